# korvi_module(<name> SOURCES ... DEPS ... [QT ...])
#   One static library per module, aliased korvi::<name>. DEPS name only modules
#   below it, so the linker enforces the layering.
function(korvi_module name)
  cmake_parse_arguments(M "" "" "SOURCES;DEPS;QT;LIBS" ${ARGN})
  list(FILTER M_SOURCES INCLUDE REGEX "\\.cpp$")
  if(NOT M_SOURCES)
    return()
  endif()
  file(GLOB_RECURSE _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
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

# korvi_test(<name> SOURCES ... LIBS ... [RESOURCE_LOCK <resource>])
#   A GoogleTest executable; every test case runs in its own process with a
#   fresh HOME/XDG folder and the offscreen platform (see tests/support/TestMain.cpp).
#   RESOURCE_LOCK runs its cases one at a time, for tests that change a shared
#   resource (the private sound server).
function(korvi_test name)
  cmake_parse_arguments(T "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} korvi_test_main GTest::gtest GTest::gmock)
  target_precompile_headers(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch.h)
  set(lock)
  if(T_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ${lock})
endfunction()
