#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it, naming each one.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=()
while IFS= read -r -d '' f; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#bad[@]} -ne 0 ]; then
    printf 'not formatted (run clang-format -i on them):\n' >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
