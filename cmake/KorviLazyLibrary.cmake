# korvi_lazy_library(<target> NAME <id> LIBRARIES <library files...> SYMBOLS <functions...>)
#   Start-up maps only what the first window needs: <target> calls the listed functions of these
#   C libraries through stubs of its own, and the libraries are loaded (dlopen) when one of them
#   is first called, not when the program starts. A function missing from the list is an
#   undefined reference at link time. Only functions: a library's variables cannot be reached
#   this way. On machines other than x86-64 the libraries are linked as usual.
function(korvi_lazy_library target)
  cmake_parse_arguments(L "" "NAME" "LIBRARIES;SYMBOLS" ${ARGN})
  if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$" OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_libraries(${target} PUBLIC ${L_LIBRARIES})
    return()
  endif()
  set(sonames)
  foreach(library IN LISTS L_LIBRARIES)
    # The name the library is loaded by, as the linker would have recorded it.
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p "${library}" OUTPUT_VARIABLE dynamic ERROR_QUIET)
    string(REGEX MATCH "SONAME +([^ \n]+)" found "${dynamic}")
    set(soname "${CMAKE_MATCH_1}")
    if(NOT soname)
      message(FATAL_ERROR "korvi_lazy_library: ${library} has no SONAME")
    endif()
    list(APPEND sonames "${soname}")
  endforeach()
  list(LENGTH L_SYMBOLS count)
  set(id "korvi_lazy_${L_NAME}")
  # One stub per function: a jump through its slot, which first points at the binder's entry.
  set(text "")
  set(stubs "")
  set(slots "")
  set(names "")
  set(index 0)
  foreach(symbol IN LISTS L_SYMBOLS)
    string(APPEND text "    .globl ${symbol}\n    .type ${symbol}, @function\n${symbol}:\n    jmp *${id}_slots+${index}*8(%rip)\n    .size ${symbol}, .-${symbol}\n")
    string(APPEND stubs ".L${id}_stub${index}:\n    pushq $${index}\n    jmp .L${id}_bind\n")
    string(APPEND slots "    .quad .L${id}_stub${index}\n")
    string(APPEND names "    .quad .L${id}_name${index}\n")
    math(EXPR index "${index} + 1")
  endforeach()
  set(strings "")
  set(index 0)
  foreach(symbol IN LISTS L_SYMBOLS)
    string(APPEND strings ".L${id}_name${index}: .asciz \"${symbol}\"\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(JOIN ":" soname_list ${sonames})
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${id}.cpp")
  file(CONFIGURE OUTPUT "${source}" @ONLY CONTENT [=[
// Made by korvi_lazy_library (cmake/KorviLazyLibrary.cmake): stubs for @count@ functions of @soname_list@.
asm(R"(
    .text
@text@
@stubs@
.L@id@_bind:
    # The caller's arguments are kept while the binder loads the library and finds the function.
    pushq %rdi
    pushq %rsi
    pushq %rdx
    pushq %rcx
    pushq %r8
    pushq %r9
    pushq %rax
    subq $136, %rsp
    movdqu %xmm0, 0(%rsp)
    movdqu %xmm1, 16(%rsp)
    movdqu %xmm2, 32(%rsp)
    movdqu %xmm3, 48(%rsp)
    movdqu %xmm4, 64(%rsp)
    movdqu %xmm5, 80(%rsp)
    movdqu %xmm6, 96(%rsp)
    movdqu %xmm7, 112(%rsp)
    leaq @id@_info(%rip), %rdi
    movq 192(%rsp), %rsi
    call korvi_lazy_bind@PLT
    movq %rax, %r11
    movdqu 0(%rsp), %xmm0
    movdqu 16(%rsp), %xmm1
    movdqu 32(%rsp), %xmm2
    movdqu 48(%rsp), %xmm3
    movdqu 64(%rsp), %xmm4
    movdqu 80(%rsp), %xmm5
    movdqu 96(%rsp), %xmm6
    movdqu 112(%rsp), %xmm7
    addq $136, %rsp
    popq %rax
    popq %r9
    popq %r8
    popq %rcx
    popq %rdx
    popq %rsi
    popq %rdi
    addq $8, %rsp
    jmp *%r11

    .data
    .balign 8
@id@_slots:
@slots@
@id@_names:
@names@
@id@_info:
    .quad .L@id@_sonames
    .quad @id@_names
    .quad @id@_slots
    .quad @count@
    .quad 0

    .section .rodata
.L@id@_sonames: .asciz "@soname_list@"
@strings@
    .section .note.GNU-stack,"",@progbits
    .text
)");
]=])
  target_sources(${target} PRIVATE "${source}")
  target_link_libraries(${target} PUBLIC ${CMAKE_DL_LIBS})
endfunction()
