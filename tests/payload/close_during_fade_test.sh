#!/usr/bin/env bash
# qingwu.exe as a black box: Alt+F4 pressed while the window's fade-in is
# still running ends the program with exit code 0, having closed the window
# the ordinary way (its close entry is in the log). The key press is posted
# by wintool the moment the window becomes visible; a run in which it landed
# only after the fade-in is repeated (at most three runs). Every wait has a
# generous limit.
set -u
exe=$1 core=$2 uninst=$3 wintool=$4
wine=${QW_WINE:-/usr/lib/wine/wine64}
src=${QW_SOURCE_DIR:?}
work=${QW_BUILD_DIR:?}/payload_close_during_fade_test
pid= tool=
fail() {
  echo "FAIL: $*"
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$tool" ] && kill "$tool" 2>/dev/null
  wineserver -k 2>/dev/null
  exit 1
}
# wait_for <what> <limit in seconds> <command...>: polls the command.
wait_for() {
  local what=$1 limit=$2
  shift 2
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && fail "timed out waiting for $what"
    sleep 0.05
  done
}
log_has() { [ -f "$data/actions.log" ] && iconv -f GBK -t UTF-8 "$data/actions.log" | grep -q "$1"; }
out_has() { grep -q "$1" "$work/wintool.out" 2>/dev/null; }
running() { kill -0 "$pid" 2>/dev/null; }

rm -rf "$work"
mkdir -p "$work/app"
cp "$exe" "$core" "$uninst" "$work/app/"
cp "$src"/payload/data/* "$work/app/"
data_win=$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
case "$data_win" in
  [Cc]:\\*) ;;
  *) fail "no application data folder ('$data_win')" ;;
esac
data_unix=${data_win#?:}
data="${WINEPREFIX:-$HOME/.wine}/drive_c${data_unix//\\//}/Qingwu"

for attempt in 1 2 3; do
  rm -rf "$data" "$work/wintool.out"
  # The key presser first, so that it is watching when the window appears.
  "$wine" "$wintool" altf4 QingwuAccelerator 60000 >"$work/wintool.out" 2>/dev/null &
  tool=$!
  wait_for "wintool to start" 60 out_has ready
  "$wine" "$work/app/qingwu.exe" &
  pid=$!
  wait_for "the key press" 60 out_has "fade-in"
  wait "$tool"
  tool=
  code=timeout
  end=$((SECONDS + 60))
  while [ $SECONDS -lt $end ]; do
    if ! running; then wait "$pid"; code=$?; break; fi
    sleep 0.1
  done
  pid=
  [ "$code" = 0 ] || fail "exit code $code after Alt+F4 ($(tr -d '\r' < "$work/wintool.out" | tail -1))"
  log_has "关闭窗口" || fail "no close entry in the log"
  if out_has "during fade-in"; then
    echo "closed during the fade-in on run $attempt: exit code 0"
    echo "1 passed, 0 failed"
    exit 0
  fi
  echo "run $attempt: the key press came after the fade-in; again"
done
fail "the key press never landed during the fade-in"
