#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and the address and
# undefined-behaviour sanitizers, runs every test, then runs the tests that exercise
# threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
# A long log is read from its end: a failed run ends with the failures' own lines.
digest_on_failure() {
  local status=0
  "$@" || status=$?
  [ "$status" -eq 0 ] || "$root/scripts/failure-digest.sh" Testing/Temporary/LastTest.log
  return "$status"
}
./scripts/install-deps.sh
# A file clang-format would change fails the run before anything is built.
./scripts/check-format.sh
# The compiler cache is keyed on paths relative to the checkout, so a fresh
# clone in another folder still hits it.
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# Line tables only: full debug information made the sanitizer build several gigabytes.
./scripts/build.sh build/test Debug -DKVEnv=dev -DKORVI_WERROR=ON -DKORVI_SANITIZE=ON -DKORVI_BUILD_BENCH=ON -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
cd build/test
# Audio tests run against a private PulseAudio daemon with a null sink and a sine source.
# The tests mostly wait on sockets and the event loop: twice as many at once as there are cores.
# The whole suite runs in a zone east of UTC, where the service's local times are written: a time
# taken for UTC anywhere fails here (the time rules' own tests also try UTC and New York).
TZ=Asia/Shanghai digest_on_failure ../../scripts/with-pulseaudio.sh ctest --output-on-failure -j "$((2 * $(nproc)))" --timeout 300 "$@"
cd ../..
# The tests labelled "threads" once more under ThreadSanitizer. Only the test executables named
# in KORVI_TSAN_TESTS and the libraries they link are built (a few CPU-minutes).
./scripts/build.sh build/tsan Debug -DKVEnv=dev -DKORVI_WERROR=ON -DKORVI_TSAN=ON -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
cd build/tsan
digest_on_failure ctest --output-on-failure -L threads -j "$((2 * $(nproc)))" --timeout 300
