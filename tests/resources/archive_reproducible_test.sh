#!/usr/bin/env bash
# The archive is reproducible: unpacking it and packing the members again,
# in the order of payload/members.txt and with fresh file times, gives the
# same bytes.
set -u
archive=$1 source=${QW_SOURCE_DIR:?}
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$archive" -d "$work/members" || fail "cannot unpack $archive"
touch "$work/members"/*
args=()
while read -r name _; do
  case $name in ''|'#'*) continue ;; esac
  args+=("$name=$work/members/$name")
done < "$source/payload/members.txt"
[ "${#args[@]}" = 8 ] || fail "members.txt lists ${#args[@]} members"
python3 "$source/payload/tools/pack_archive.py" "$work/again.zip" "${args[@]}" || fail "packing failed"
cmp -s "$archive" "$work/again.zip" || fail "packing the same members again gives other bytes"
echo "1 passed, 0 failed"
