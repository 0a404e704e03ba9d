#!/usr/bin/env bash
# heapcheck.sh <program> [args...]: runs a Windows test program under Wine
# with heap checking (WINEDEBUG=warn+heap) and fails when the program fails
# or Wine reports any heap error (a damaged block, a write to freed memory,
# a double free) in its output. Wine finds a write to a freed block when the
# heap is validated (the stress test validates every heap at rest) or the
# block is used again; a double free at once.
set -u
program=$1
shift
wine=${QW_WINE:?QW_WINE names the Wine loader}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
WINEDEBUG=warn+heap "$wine" "$program" "$@" >"$log" 2>&1
code=$?
grep -v ':heap:' "$log"
if grep -q ':heap:' "$log"; then
  echo "FAIL: Wine reported heap errors:"
  grep ':heap:' "$log" | head -20
  exit 1
fi
[ "$code" = 0 ] || { echo "FAIL: exit code $code"; exit 1; }
echo "no heap errors"
