#!/usr/bin/env bash
# qingwu.exe as a black box, from a clean state: installed into a folder of
# its own with its data files, started under Wine; its window is checked
# (class, title, size); the settings button is clicked with the mouse and
# the menu's check item chosen; the file check runs; the caption's close
# button ends the program with exit code 0. Every step waits on a
# condition (a window, a file's content, the process) with generous limits.
set -u
exe=$1 core=$2 uninst=$3 wintool=$4
wine=${QW_WINE:-/usr/lib/wine/wine64}
src=${QW_SOURCE_DIR:?}
work=${QW_BUILD_DIR:?}/payload_window_test
pid=
fail() {
  echo "FAIL: $*"
  [ -f "$data/actions.log" ] && iconv -f GBK -t UTF-8 "$data/actions.log" | sed 's/^/  log: /'
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
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
    sleep 0.1
  done
}
log_has() { [ -f "$data/actions.log" ] && iconv -f GBK -t UTF-8 "$data/actions.log" | grep -q "$1"; }
ini_has() { [ -f "$data/settings.ini" ] && tr -d '\r' < "$data/settings.ini" | grep -qx "$1"; }
running() { kill -0 "$pid" 2>/dev/null; }
click() { xdotool mousemove "$1" "$2" sleep 0.1 click 1; }

command -v xdotool >/dev/null || fail "xdotool is missing"
# A clean state: a fresh installation folder (everything but the large
# resource pack) and no user data.
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
rm -rf "$data"

"$wine" "$work/app/qingwu.exe" &
pid=$!
geometry=$("$wine" "$wintool" wait QingwuAccelerator 60000 | tr -d '\r')
[[ "$geometry" =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+\ [0-9]+$ ]] || fail "no window: $geometry"
echo "window: $geometry"
read -r wx wy ww wh <<<"$geometry"
[ "$ww $wh" = "780 540" ] || fail "window is $ww x $wh, expected 780 x 540"
title=$("$wine" "$wintool" text QingwuAccelerator | tr -d '\r')
[ "$title" = "青梧网游加速器" ] || fail "title '$title'"
wait_for "the start-up entry in the log" 30 log_has "程序启动"

# The settings button (right of the header); the window ignores input
# while its fade-in runs, so the click is repeated until the menu shows.
menu_geometry=
for _ in $(seq 1 20); do
  click $((wx + ww - 20 - 48)) $((wy + 52 + 15))
  menu_geometry=$("$wine" "$wintool" wait Zq_DirectUI 3000 | tr -d '\r')
  [[ "$menu_geometry" =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+\ [0-9]+$ ]] && break
  menu_geometry=
done
[ -n "$menu_geometry" ] || fail "the settings menu did not open"
echo "menu: $menu_geometry"
read -r mx my mw mh <<<"$menu_geometry"
wait_for "the menu entry in the log" 30 log_has "打开设置菜单"
# First row: "窗口置顶" (rows start 8 pixels into the menu window, 22 high).
click $((mx + 50)) $((my + 8 + 11))
wait_for "the check item to be saved" 30 ini_has "always_on_top=1"
menu_closed() { "$wine" "$wintool" gone Zq_DirectUI 1000 >/dev/null; }
wait_for "the menu to close" 30 menu_closed
wait_for "the option in the log" 30 log_has "窗口置顶：已开启"

# The check button of the left card.
click $((wx + 36 + 66)) $((wy + 222 + 17))
wait_for "the file check" 60 log_has "检查完成"
log_has "检查完成：缺少 1 个文件：resources.pak" || fail "unexpected check result"

# The caption's close button: 39 pixels wide, 45 from the right edge, at y 7.
click $((wx + ww - 45 + 19)) $((wy + 7 + 9))
code=timeout
end=$((SECONDS + 60))
while [ $SECONDS -lt $end ]; do
  if ! running; then wait "$pid"; code=$?; break; fi
  sleep 0.1
done
[ "$code" = 0 ] || fail "exit code $code"
log_has "关闭窗口" || fail "no close entry in the log"
echo "1 passed, 0 failed"
