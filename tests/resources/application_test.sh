#!/usr/bin/env bash
# qingwu.exe from the archive, unpacked with its files, opens its
# 青梧网游加速器 window; a close ends it with exit code 0.
set -u
archive=$1 wintool=$2
wine=${QW_WINE:-/usr/lib/wine/wine64}
fail() { echo "FAIL: $*"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$archive" -d "$work" || fail "cannot unpack $archive"
(cd "$work" && exec "$wine" "$work/qingwu.exe") &
pid=$!
geometry=$("$wine" "$wintool" wait QingwuAccelerator 60000) || fail "no window: $geometry"
title=$("$wine" "$wintool" text QingwuAccelerator | tr -d '\r')
[ "$title" = "青梧网游加速器" ] || fail "window titled '$title'"
"$wine" "$wintool" close QingwuAccelerator >/dev/null || fail "could not close"
code=timeout
for _ in $(seq 1 600); do
  if ! kill -0 $pid 2>/dev/null; then wait $pid; code=$?; break; fi
  sleep 0.1
done
[ "$code" = 0 ] || fail "exit code $code"
echo "1 passed, 0 failed"
