#include "FuzzSupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Models, JSON and strings need Qt's runtime; no event loop runs.
    static int args = 1;
    static char name[] = "korvi-fuzz";
    static char *arg[] = {name, nullptr};
    (void)argc;
    (void)argv;
    // Lives to the end of the process: destroying it after Qt's own statics have gone crashes.
    if (!QCoreApplication::instance())
        (void)new QCoreApplication(args, arg);
    return 0;
}

namespace FuzzSupport {
void fail(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}
} // namespace FuzzSupport
