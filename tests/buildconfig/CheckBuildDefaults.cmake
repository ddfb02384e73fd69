# Configures this source tree as a user would and checks what a plain build is:
#   cmake -DSOURCE_DIR=<tree> -DWORK_DIR=<scratch> -DGENERATOR=<generator> -P CheckBuildDefaults.cmake
# A plain configure is a release build without the development environment, tests or benchmarks;
# -DKVEnv=dev compiles the development environment in; tests in a non-dev build are refused.
file(REMOVE_RECURSE "${WORK_DIR}")

function(configure dir expect_ok)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/${dir}" -G "${GENERATOR}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(expect_ok AND NOT rc EQUAL 0)
    message(FATAL_ERROR "configure ${dir} failed:\n${err}")
  elseif(NOT expect_ok AND rc EQUAL 0)
    message(FATAL_ERROR "configure ${dir} should have been refused")
  endif()
endfunction()

function(expect_cache dir entry)
  file(STRINGS "${WORK_DIR}/${dir}/CMakeCache.txt" found REGEX "^${entry}$")
  if(NOT found)
    message(FATAL_ERROR "${dir}: expected ${entry} in the cache")
  endif()
endfunction()

# Whether the agent (the only target that can define it) is compiled with the development environment.
function(development_compiled_in dir out)
  file(READ "${WORK_DIR}/${dir}/compile_commands.json" commands)
  if(NOT commands MATCHES "src/agent/AgentEnvironment\\.cpp")
    message(FATAL_ERROR "${dir}: no compile line for the agent's environment table")
  endif()
  if(commands MATCHES "KORVI_WITH_DEVELOPMENT_ENVIRONMENT")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

configure(plain TRUE)
expect_cache(plain "KVEnv:STRING=release")
expect_cache(plain "KORVI_BUILD_TESTS:BOOL=OFF")
expect_cache(plain "KORVI_BUILD_BENCH:BOOL=OFF")
development_compiled_in(plain plain_dev)
if(plain_dev)
  message(FATAL_ERROR "a plain build compiles the development environment in")
endif()

configure(dev TRUE -DKVEnv=dev -DKORVI_BUILD_TESTS=OFF -DKORVI_BUILD_BENCH=OFF)
development_compiled_in(dev dev_dev)
if(NOT dev_dev)
  message(FATAL_ERROR "a KVEnv=dev build lacks the development environment")
endif()

configure(release-tests FALSE -DKVEnv=release -DKORVI_BUILD_TESTS=ON)
configure(bogus FALSE -DKVEnv=staging)

file(REMOVE_RECURSE "${WORK_DIR}")
