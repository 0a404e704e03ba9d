#!/usr/bin/env bash
# qingwu.exe at 150 % as a black box, under Wine on the X display. A clean
# prefix at 96 DPI shows what the window and the settings menu measure at
# 100 % (the menu's width follows its texts); a clean prefix at 144 DPI
# (LogPixels) must then show the window at 1.5 x 780 x 540, the settings
# menu at 1.5 x its size and 1.5 x its offset from the window (under the
# settings button), take a click on the menu's first row at its scaled
# place (the option is saved), and take a click into the notes box at a
# scaled place and the typed text (saved by the save button). The close
# request ends the program with exit code 0. Every wait polls a condition
# with a generous limit; the prefix is removed when the run passes.
#   display_scale_window_test.sh <qingwu.exe> <qwcore.dll> <uninst.exe> <wintool.exe>
set -u
exe=$1 core=$2 uninst=$3 wintool=$4
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/payload/display_scale
# The pristine prefix the installer's black-box runs make too (made once,
# never written).
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
src=$QW_SOURCE_DIR
WINDOW_CLASS=QingwuAccelerator
MENU_CLASS=Zq_DirectUI
# Logical places in the window (payload/app/main_layout.cpp at 780 x 540).
SETTINGS_BUTTON="712 67"  # centre of 664,52 96x30
NOTES_EDIT="537 244"      # centre of 331,164 413x161
SAVE_BUTTON="696 142"     # centre of 648,127 96x30
MENU_FIRST_ROW="50 19"    # "窗口置顶": rows start 8 pixels into the menu, 22 high
NOTES="dpi 150 notes"
data=

fail() {
  echo "FAIL [${WT_DPI:-96} DPI]: $*"
  [ -n "${data:-}" ] && [ -f "$data/actions.log" ] && iconv -f GBK -t UTF-8 "$data/actions.log" | sed 's/^/  log: /'
  [ -n "${WT_X:-}" ] && import -window root "$WT_WORK/failure.png" 2>/dev/null && echo "screen: $WT_WORK/failure.png"
  wt_stop_all
  wt_close_display
  exit 1
}
log_has() { [ -f "$data/actions.log" ] && iconv -f GBK -t UTF-8 "$data/actions.log" | grep -q "$1"; }
ini_has() { [ -f "$data/settings.ini" ] && tr -d '\r' <"$data/settings.ini" | grep -qx "$1"; }
notes_are() { [ -f "$data/notes.txt" ] && [ "$(cat "$data/notes.txt")" = "$1" ]; }
menu_closed() { wt_tool gone "$MENU_CLASS" 1000 >/dev/null; }
# `got` is `want` or one pixel off (edges are rounded each on its own).
near() {  # got want
  [ "$1" -ge $(($2 - 1)) ] && [ "$1" -le $(($2 + 1)) ]
}

# Installs the program into C:\青梧网游加速器\ of a clean prefix at WT_DPI
# and starts it; sets WT_PID, the window WT_X WT_Y WT_W WT_H, and `data`.
start_program() {
  wt_fresh_prefix || fail "no fresh Wine prefix"
  local seen
  seen=$(wt_tool dpi | tr -d '\r')
  [ "$seen" = "$WT_DPI" ] || fail "the prefix's display reads $seen DPI"
  mkdir -p "$WT_FOLDER"
  cp "$exe" "$core" "$uninst" "$src"/payload/data/* "$WT_FOLDER/"
  data="$WT_C/users/$WT_USER/AppData/Roaming/Qingwu"
  "$WT_WINE" "$WT_FOLDER/qingwu.exe" &
  WT_PID=$!
  local geometry
  geometry=$(wt_tool wait "$WINDOW_CLASS" 60000 | tr -d '\r')
  [[ "$geometry" =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+\ [0-9]+$ ]] || fail "no window: $geometry"
  read -r WT_X WT_Y WT_W WT_H <<<"$geometry"
  wt_wait_until 30 log_has "程序启动" || fail "no start-up entry in the log"
}

# Clicks the settings button until the menu shows (the window takes no
# input while it fades in); sets the menu's MX MY MW MH.
open_settings_menu() {
  local geometry="" _
  for _ in $(seq 1 20); do
    wt_click $SETTINGS_BUTTON
    geometry=$(wt_tool wait "$MENU_CLASS" 3000 | tr -d '\r')
    [[ "$geometry" =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+\ [0-9]+$ ]] && break
    geometry=
  done
  [ -n "$geometry" ] || fail "the settings menu did not open"
  read -r MX MY MW MH <<<"$geometry"
  wt_wait_until 30 log_has "打开设置菜单" || fail "no menu entry in the log"
}

# Both runs need room for the window at 150 % (it opens centred).
wt_display_at_least 1600 1200 || fail "no display of 1600x1200"

# --- 100 %: what the window and the menu measure ------------------------------------
WT_DPI=96
start_program
[ "$WT_W $WT_H" = "780 540" ] || fail "the window is $WT_W x $WT_H at 100 %, expected 780 x 540"
open_settings_menu
menu_w=$MW menu_h=$MH menu_dx=$((MX - WT_X)) menu_dy=$((MY - WT_Y))
echo "100 %: window ${WT_W}x$WT_H, menu ${MW}x$MH at +$menu_dx+$menu_dy"
wt_stop_all

# --- 150 % ---------------------------------------------------------------------------
WT_DPI=144
start_program
echo "150 %: window ${WT_W}x$WT_H at $WT_X,$WT_Y"
[ "$WT_W $WT_H" = "1170 810" ] || fail "the window is $WT_W x $WT_H at 150 %, expected 1170 x 810"

open_settings_menu
echo "150 %: menu ${MW}x$MH at +$((MX - WT_X))+$((MY - WT_Y))"
near "$MW" "$(wt_scaled "$menu_w")" && near "$MH" "$(wt_scaled "$menu_h")" ||
  fail "the menu is $MW x $MH, expected 1.5 x ${menu_w}x$menu_h"
near $((MX - WT_X)) "$(wt_scaled "$menu_dx")" && near $((MY - WT_Y)) "$(wt_scaled "$menu_dy")" ||
  fail "the menu opens at +$((MX - WT_X))+$((MY - WT_Y)) in the window, expected 1.5 x +$menu_dx+$menu_dy (under the settings button)"
# The first row at its scaled place in the menu.
read -r row_x row_y <<<"$MENU_FIRST_ROW"
xdotool mousemove --sync $((MX + $(wt_scaled "$row_x"))) $((MY + $(wt_scaled "$row_y"))) click 1
wt_wait_until 30 ini_has "always_on_top=1" || fail "the menu's first row did not take the click"
wt_wait_until 30 menu_closed || fail "the menu did not close"

# The notes box: a click at its scaled place gives it the keyboard.
wt_click $NOTES_EDIT
xdotool type --delay 30 "$NOTES"
wt_click $SAVE_BUTTON
wt_wait_until 30 notes_are "$NOTES" ||
  fail "the notes saved are '$(cat "$data/notes.txt" 2>/dev/null)', expected '$NOTES'"
log_has "笔记已保存（${#NOTES} 个字符）" || fail "no save entry in the log"

wt_tool close "$WINDOW_CLASS" >/dev/null || fail "no window to close"
wt_wait_exit 60 || fail "the program did not end on the close request"
[ "$WT_CODE" = 0 ] || fail "exit code $WT_CODE"
wt_stop_all
wt_close_display
rm -rf "$WT_WORK"
echo "1 passed, 0 failed"
