#!/usr/bin/env bash
# Size of the installer's code and tables: the executable's size less the
# constant data it embeds (the artwork and the application archive that
# app/resources/resources_data.S pulls in with .incbin).
#   bench/binary_size.sh <qingwu_setup.exe> <payload.zip> [label]
set -euo pipefail
exe=$1 archive=$2 label=${3:-$(basename "$exe")}
root="$(cd "$(dirname "$0")/.." && pwd)"
art="$root/app/resources/art"
target_kb=512

# Every embedded array is a 4-byte length and the file's bytes (less the
# skipped prefix), 4-byte aligned.
embedded=0
while read -r file skip; do
  case $file in
    payload.zip) path=$archive ;;
    *) path=$art/$file ;;
  esac
  size=$(( $(stat -c %s "$path") - ${skip:-0} ))
  embedded=$(( embedded + 4 + (size + 3) / 4 * 4 ))
done < <(sed -n 's/^ *qw_embed [^,]*, *\([^, ]*\)\(, *\([0-9]*\)\)\? *$/\1 \3/p' \
           "$root/app/resources/resources_data.S")

total=$(stat -c %s "$exe")
code=$(( total - embedded ))
echo "size: $label: file $(( total / 1024 )) KB, embedded data $(( embedded / 1024 )) KB"
# Section sizes (the embedded data lies in .rdata).
objdump=i686-w64-mingw32-objdump
command -v $objdump >/dev/null || objdump=objdump
LC_ALL=C $objdump -h "$exe" | while read -r index name size _; do
  if [[ $index =~ ^[0-9]+$ ]]; then printf 'size:   %-16s %8d KB\n' "$name" $(( 0x$size / 1024 )); fi
done
verdict="NOT met"
if [ $code -le $(( target_kb * 1024 )) ]; then verdict="met"; fi
echo "size: $label: code and tables $(( code / 1024 )) KB (target <= $target_kb KB: $verdict)"
