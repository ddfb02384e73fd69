# korvi_module(<name> SOURCES ... DEPS ... [QT ...] [HEADERS_IN <dir>])
#   One static library per module, aliased korvi::<name>. DEPS name only modules
#   below it, so the linker enforces the layering. HEADERS_IN: the folder whose
#   headers belong to the library (default: the module's folder), for a module
#   made of several libraries.
function(korvi_module name)
  cmake_parse_arguments(M "" "HEADERS_IN" "SOURCES;DEPS;QT;LIBS" ${ARGN})
  list(FILTER M_SOURCES INCLUDE REGEX "\\.cpp$")
  if(NOT M_SOURCES)
    return()
  endif()
  if(NOT M_HEADERS_IN)
    set(M_HEADERS_IN ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE _headers CONFIGURE_DEPENDS ${M_HEADERS_IN}/*.h)
  add_library(korvi_${name} STATIC ${M_SOURCES} ${_headers})
  add_library(korvi::${name} ALIAS korvi_${name})
  target_include_directories(korvi_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS M_DEPS)
    target_link_libraries(korvi_${name} PUBLIC korvi::${dep})
  endforeach()
  foreach(q IN LISTS M_QT)
    target_link_libraries(korvi_${name} PUBLIC Qt6::${q})
  endforeach()
  if(M_LIBS)
    target_link_libraries(korvi_${name} PUBLIC ${M_LIBS})
  endif()
  target_precompile_headers(korvi_${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch.h)
endfunction()

# korvi_link_check(<name>)
#   Links the whole of korvi::<name> with only what it links, into a program that
#   does nothing. A static library is otherwise checked only as far as a program
#   uses it, and a program that links the higher library too would hide a call
#   upwards: here any such call is an undefined reference, at build time.
function(korvi_link_check name)
  if(NOT TARGET korvi_${name})
    return()
  endif()
  add_executable(korvi_${name}_linkcheck ${PROJECT_SOURCE_DIR}/cmake/linkcheck.cpp)
  target_link_libraries(korvi_${name}_linkcheck PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,korvi_${name}>")
endfunction()

# korvi_test(<name> SOURCES ... LIBS ... [RESOURCE_LOCK <resource> [LOCKED <gtest filter>]]
#            [THREADS <gtest filter>])
#   A GoogleTest executable; every test case runs in its own process with a
#   fresh HOME/XDG folder and the offscreen platform (see tests/support/TestMain.cpp).
#   RESOURCE_LOCK runs its cases one at a time, for tests that change a shared
#   resource (the private sound server), or that a change of it disturbs. With
#   LOCKED, only the cases it names take the lock; the whole run below leaves them out,
#   as it holds no lock. LOCKED cases are not also THREADS cases.
#   THREADS names the cases that exercise threads: they carry the ctest label
#   "threads". A ThreadSanitizer build (KORVI_TSAN) builds only the executables
#   listed in KORVI_TSAN_TESTS and registers only their "threads" cases.
#   Besides, the whole executable runs once in one process in a random order
#   (<name>.WholeShuffled, label "whole"): a case that leaves something behind for
#   the next, or needs one before it, fails there. WHOLE_FILTER (a gtest filter) leaves
#   out of that run the cases not yet independent of their order, each named.
function(korvi_test name)
  cmake_parse_arguments(T "" "RESOURCE_LOCK;LOCKED;THREADS;WHOLE_FILTER" "SOURCES;LIBS" ${ARGN})
  set(in_tsan_build FALSE)
  if(KORVI_TSAN)
    if(NOT T_THREADS OR NOT name IN_LIST KORVI_TSAN_TESTS)
      return()
    endif()
    set(in_tsan_build TRUE)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} korvi_test_main GTest::gtest GTest::gmock Qt6::Test)
  target_precompile_headers(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/test_pch.h)
  if(KORVI_SANITIZE)
    # The code under test keeps the build's optimisation; the tests' own code, mostly calls and
    # checks, is compiled without it: most of a test file's build time went to optimising it.
    target_compile_options(${name} PRIVATE -O0)
  endif()
  set(properties TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  set(whole_filter "${T_WHOLE_FILTER}")
  set(unlocked "")
  if(T_RESOURCE_LOCK AND T_LOCKED)
    set(unlocked ":${T_LOCKED}")
    if(whole_filter MATCHES "-")
      string(APPEND whole_filter ":${T_LOCKED}")
    else()
      string(APPEND whole_filter "-${T_LOCKED}")
    endif()
    if(NOT in_tsan_build)
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${T_LOCKED}"
                           PROPERTIES ${properties} RESOURCE_LOCK ${T_RESOURCE_LOCK})
    endif()
  elseif(T_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(NOT in_tsan_build)
    set(whole_args --gtest_shuffle)
    if(whole_filter)
      list(APPEND whole_args "--gtest_filter=${whole_filter}")
    endif()
    add_test(NAME ${name}.WholeShuffled COMMAND ${name} ${whole_args})
    set(whole_properties ${properties})
    list(REMOVE_AT whole_properties 0 1) # the per-case timeout
    set_tests_properties(${name}.WholeShuffled PROPERTIES TIMEOUT 1200 LABELS whole ${whole_properties})
  endif()
  if(NOT T_THREADS)
    if(unlocked)
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${T_LOCKED}" PROPERTIES ${properties})
    else()
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
    endif()
    return()
  endif()
  if(NOT in_tsan_build)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${T_THREADS}${unlocked}" PROPERTIES ${properties})
  endif()
  set(threads_filter "${T_THREADS}")
  if(unlocked)
    string(APPEND threads_filter "-${T_LOCKED}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${threads_filter}" PROPERTIES LABELS threads
                       ${properties})
endfunction()

# korvi_startup_linking(<program>)
#   Most symbols a program's start looks up are Qt's: its Widgets, Gui and Core libraries come first
#   in its list of libraries, so each lookup ends there instead of after every other library. The
#   relative relocations are packed where the linker can (fewer pages to touch at start).
function(korvi_startup_linking target)
  target_link_options(${target} PRIVATE "LINKER:--push-state,--no-as-needed"
                      "$<TARGET_LINKER_FILE:Qt6::Widgets>" "$<TARGET_LINKER_FILE:Qt6::Gui>"
                      "$<TARGET_LINKER_FILE:Qt6::Core>" "LINKER:--pop-state")
  if(KORVI_PACK_RELATIVE_RELOCS)
    target_link_options(${target} PRIVATE "LINKER:-z,pack-relative-relocs")
  endif()
endfunction()
