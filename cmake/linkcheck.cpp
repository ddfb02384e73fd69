// The program of a link check (cmake/KorviModule.cmake, korvi_link_check): it links a whole
// library and does nothing.
int main()
{
    return 0;
}
