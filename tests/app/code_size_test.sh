#!/usr/bin/env bash
# The product's code and tables (the executable less the artwork and the
# archive it embeds) stay within their 512 KB budget, as bench/binary_size.sh
# measures them.
#   code_size_test.sh <qingwu_setup.exe> <payload.zip>
set -u
exe=$1 archive=$2
[ -f "$exe" ] || { echo "FAIL: no product at $exe"; exit 1; }
report=$(bash "${QW_SOURCE_DIR:?}/bench/binary_size.sh" "$exe" "$archive" product) || {
  echo "FAIL: binary_size.sh failed"; exit 1; }
echo "$report"
grep -q 'code and tables .*target <= 512 KB: met' <<<"$report" || { echo "FAIL: over the 512 KB budget"; exit 1; }
echo "1 passed, 0 failed"
