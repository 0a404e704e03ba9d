#!/usr/bin/env bash
# qwcore.dll's exports and the pointer types the application calls them
# through come from one set of declarations: the library's own source
# compiles, and the same source with an export's parameter, result or
# calling convention changed does not.
#   qwcore_signature_test.sh <c++ compiler> <source root>
set -u
cxx=$1 root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
source_file="$root/payload/core/qwcore.cpp"
compiles() {  # file
  "$cxx" -std=c++20 -fsyntax-only -I"$root" "$1" >"$work/out.txt" 2>&1
}
compiles "$source_file" || fail "qwcore.cpp does not compile: $(cat "$work/out.txt")"
n=0
while IFS='|' read -r name from to; do
  # 64-bit Windows has one calling convention: __stdcall changes nothing there.
  [ "$name" = convention ] && [[ "$("$cxx" -dumpmachine)" != i686* ]] && continue
  sed "s/$from/$to/" "$source_file" >"$work/$name.cpp"
  cmp -s "$source_file" "$work/$name.cpp" && fail "$name: the edit did not apply"
  compiles "$work/$name.cpp" && fail "$name: a drifted export still compiles"
  grep -q 'conflicting declaration' "$work/out.txt" || fail "$name: failed for another reason: $(cat "$work/out.txt")"
  n=$((n + 1))
done <<'CASES'
parameter|int QwCoreRouteCount(const wchar_t\* serversIniPath)|int QwCoreRouteCount(const char* serversIniPath)
result|const wchar_t\* QwCoreVersion()|const char* QwCoreVersion()
convention|int QwCoreRouteCount(|int __stdcall QwCoreRouteCount(
CASES
echo "$n drifted signatures refused"
echo "1 passed, 0 failed"
