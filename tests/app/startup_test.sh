#!/usr/bin/env bash
# Start-up: the installer opens its 588 x 438 window at (50, 50); a close
# ends the process with exit code 0.
set -u
exe=$1 wintool=$2
wine=${QW_WINE:-/usr/lib/wine/wine64}
fail() { echo "FAIL: $*"; wineserver -k 2>/dev/null; exit 1; }

"$wine" "$exe" &
pid=$!
geometry=$("$wine" "$wintool" wait QingwuSetupForm 60000) || fail "no window: $geometry"
echo "window: $geometry"
[ "$(echo $geometry | tr -d '\r')" = "50 50 588 438" ] || fail "window at '$geometry', expected 50 50 588 438"
"$wine" "$wintool" close QingwuSetupForm >/dev/null || fail "could not close"
code=timeout
for _ in $(seq 1 600); do
  if ! kill -0 $pid 2>/dev/null; then wait $pid; code=$?; break; fi
  sleep 0.1
done
[ "$code" = 0 ] || fail "exit code $code"
echo "1 passed, 0 failed"
