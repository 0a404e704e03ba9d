#!/usr/bin/env bash
# The layering check on generated trees: a tree that keeps the rules passes;
# each kind of forbidden include fails, naming the file and line.
set -u
script=${QW_SOURCE_DIR:-"$(cd "$(dirname "$0")/../.." && pwd)"}/scripts/check_layers.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

# A tree whose includes are all allowed (a mention in a comment included).
make_good_tree() {
  rm -rf "$tree/ui"
  mkdir -p "$tree"/ui/{platform,core,host,element,controls}
  printf '#include <windows.h>\n#include "ui/platform/a.h"\n' >"$tree/ui/platform/a.cpp"
  printf '#pragma once\n#include "ui/core/b.h"\n#include "ui/platform/a.h"\n// #include "ui/host/window.h" would be wrong here\n' >"$tree/ui/core/b.h"
  printf '#include "ui/element/e.h"\n#include "ui/core/b.h"\n#include "b.h"\n' >"$tree/ui/host/h.cpp"
  printf '#include "ui/host/h.h"\n' >"$tree/ui/element/e.cpp"
  printf '#include "ui/host/h.h"\n#include "ui/element/e.h"\n#include "ui/controls/c.h"\n' >"$tree/ui/controls/c.cpp"
}

# expect_fail <file under ui/> <include line> <line number it lands on>
expect_fail() {
  local file=$1 line=$2 number=$3 out
  make_good_tree
  mkdir -p "$(dirname "$tree/$file")"
  printf '%s\n' "$line" >>"$tree/$file"
  out=$(bash "$script" "$tree" 2>&1)
  if [ $? = 0 ]; then
    echo "FAIL: passed with $file: $line"
    failures=$((failures + 1))
  elif ! grep -q "^$file:$number: " <<<"$out"; then
    echo "FAIL: $file: $line: the report does not name $file:$number:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

make_good_tree
if ! out=$(bash "$script" "$tree" 2>&1); then
  echo "FAIL: a tree that keeps the rules did not pass:"
  echo "$out"
  failures=$((failures + 1))
fi

expect_fail ui/core/b.h '#include "ui/host/window.h"' 5
expect_fail ui/core/b.h '#include "ui/element/element.h"' 5
expect_fail ui/core/new.cpp '  #  include <ui/controls/edit.h>' 1
expect_fail ui/host/h.cpp '#include "ui/controls/menu_item.h"' 4
expect_fail ui/host/sub/deep.h '#include "ui/controls/x.h"' 1
expect_fail ui/platform/a.cpp '#include "ui/core/bytes.h"' 3
expect_fail ui/element/e.cpp '#include "../controls/c.h"' 2

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "layer check: all cases behave"
