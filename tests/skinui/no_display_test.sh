#!/usr/bin/env bash
# A window test started without an X display ends at once and says why.
# Usage: no_display_test.sh <wine-run> <window test program>
set -u
runner=$1
program=$2
start=$(date +%s)
output=$(env -u DISPLAY TOLVAN_NEEDS_DISPLAY=1 timeout 120 "$runner" "$program" 2>&1)
code=$?
elapsed=$(($(date +%s) - start))
failures=0
[ "$code" -ne 0 ] || { echo "FAIL: ended with code 0"; failures=1; }
[ "$elapsed" -le 10 ] || { echo "FAIL: took ${elapsed}s"; failures=1; }
grep -q "needs an X display" <<<"$output" || { echo "FAIL: no clear message in: $output"; failures=1; }
echo "$((1 - failures)) passed, $failures failed"
exit "$failures"
