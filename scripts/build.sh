#!/usr/bin/env bash
# build.sh <build-dir> <build-type> [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; type=$2; shift 2
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
jobs=${KORVI_JOBS:-$(nproc)}
cmake --build "$dir" -j "$jobs"
