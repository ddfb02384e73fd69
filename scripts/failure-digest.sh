#!/usr/bin/env bash
# Prints, for each test that failed in a ctest run, its failure lines: a log read from its end
# (as CI shows it) then names what failed and why, not only that something did.
# Usage: failure-digest.sh <build dir>/Testing/Temporary/LastTest.log
set -euo pipefail
log="${1:?the ctest log}"
[ -f "$log" ] || exit 0
echo "==================== what failed, and why ===================="
awk '
  function keepLine(line) { if (n < 60) keep[n++] = line }
  / Testing: / { name = $3; n = 0; after = 0; next }
  /^Test Failed/ {
    print "--- " name
    for (i = 0; i < n; i++) print "  " keep[i]
    if (n == 0) print "  (no failure line: a time-out or a crash without a report; see its output above)"
    after = 0; next
  }
  # A failure and the lines that explain it (values, the message streamed after it).
  /: Failure$|Sanitizer|runtime error|terminate called|Segmentation fault|Aborted/ { keepLine($0); after = 12; next }
  after > 0 { keepLine($0); after--; next }
  /^\[  FAILED  \] [A-Za-z]/ { keepLine($0); next }
' "$log"
