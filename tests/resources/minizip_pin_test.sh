#!/usr/bin/env bash
# The minizip sources are compiled only from the pinned zlib tarball: the
# check refuses a tarball of another version or with other bytes, with a
# message that says which, and the sources in this checkout came through it.
#   minizip_pin_test.sh <source root>
set -u
root=$1
source "$root/scripts/minizip-source.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo "not the sources" >"$work/$QW_MINIZIP_TARBALL"
verify_minizip_tarball "$work/$QW_MINIZIP_TARBALL" 2>"$work/err" && fail "a tarball with other bytes was accepted"
grep -q "SHA-256" "$work/err" || fail "no checksum message: $(cat "$work/err")"

newer="${QW_MINIZIP_TARBALL/1.2.13/1.3.1}"
cp "$work/$QW_MINIZIP_TARBALL" "$work/$newer"
verify_minizip_tarball "$work/$newer" 2>"$work/err" && fail "a tarball of another version was accepted"
grep -q "changed version" "$work/err" || fail "no version message: $(cat "$work/err")"

stamp="$root/third_party/zlib-src/.qw-verified"
[ -f "$stamp" ] || fail "the minizip sources were not unpacked from a verified tarball"
[ "$(cat "$stamp")" = "$QW_MINIZIP_TARBALL $QW_MINIZIP_SHA256" ] || fail "verified: $(cat "$stamp")"
echo "1 passed, 0 failed"
