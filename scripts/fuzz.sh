#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each from its seed corpus.
#
#   ./scripts/fuzz.sh                 every target, 60 s each
#   ./scripts/fuzz.sh dispatch 600    one target, 10 minutes
#   KORVI_FUZZ_DIR=dir                build folder (default build/fuzz)
#
# New inputs are kept under build/fuzz/corpus/<target>; a crash leaves its input in the current
# folder (crash-*). Add an input worth keeping to tests/fuzz/corpus/<target>/, where
# ./scripts/test.sh replays it on every run.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ is not installed; the seed corpora still run as tests in ./scripts/test.sh." >&2
  exit 1
fi
dir="${KORVI_FUZZ_DIR:-build/fuzz}"
targets=(mapping response channel dispatch shell_text invitation chat transcript roster schedule)
if [ $# -ge 1 ]; then targets=("$1"); fi
seconds="${2:-60}"
CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVEnv=dev -DKORVI_FUZZ=ON \
  -DKORVI_BUILD_TESTS=ON -DKORVI_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "${KORVI_JOBS:-$(nproc)}" --target korvi_fuzzers
# Every target runs, whatever another found; the run fails at the end when any did.
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$t"
  echo "fuzz.sh: $t for ${seconds}s"
  if QT_QPA_PLATFORM=offscreen "$dir/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=4096 \
    "$dir/corpus/$t" "tests/fuzz/corpus/$t"; then
    echo "fuzz.sh: $t passed"
  else
    echo "fuzz.sh: $t FAILED (exit $?)"
    failed+=("$t")
  fi
done
echo "fuzz.sh: ${#targets[@]} targets run, ${#failed[@]} failed${failed:+: ${failed[*]}}"
[ ${#failed[@]} -eq 0 ]
