#!/usr/bin/env bash
# The installer from the keyboard alone, under Wine on the X display: from
# a clean Wine prefix, Tab walks the folder field, "浏览" and "极速安装" (the
# focus mark shows on the button), Enter installs, Escape while installing
# changes nothing, the installation finishes with the focus on "立即运行",
# Enter starts qingwu.exe and the installer ends with exit code 0. A second
# run is closed with Escape in its ready phase: exit code 0, nothing
# installed; a third installs with Enter and is closed with Escape once
# finished: exit code 0, the installation kept. Keys go to the focused window (xdotool key); the mouse never
# clicks.
#   keyboard_install_test.sh <qingwu_setup.exe> <wintool.exe>
set -u
exe=$1 wintool=$2
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/app/keyboard/run
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
shots=$WT_WORK/shots
fail() { wt_failed "FAIL: $*"; exit 1; }
key() { xdotool key --delay 50 "$@"; }

# The install button's area of a screenshot, as text of its pixels.
button_pixels() {  # png
  convert "$1" -crop "200x50+190+360" +repage rgb:- | md5sum
}

# The installer window holds the X input focus (keys typed go to it).
installer_has_keys() {
  local name
  name=$(xdotool getwindowfocus getwindowname 2>/dev/null) || return 1
  [ -n "$name" ] && xdotool getwindowfocus getwindowgeometry 2>/dev/null | grep -q "Position: $WT_X,$WT_Y "
}

wt_fresh_prefix || fail "no fresh Wine prefix"
rm -rf "$shots"
mkdir -p "$shots"
[ -e "$WT_FOLDER" ] && fail "the prefix is not clean: $WT_FOLDER exists"
# The pointer out of the way: nothing is hovered.
xdotool mousemove --sync 1020 760

# --- Ready: Tab to 极速安装, Enter -----------------------------------------------
wt_start_installer "$exe" || fail "no 588 x 438 installer window"
wt_wait_phase ready 60 || fail "the window never showed the ready layout"
wt_wait_until 30 installer_has_keys || fail "the installer window never got the keyboard"
wt_shot "$shots/ready.png" || fail "no screenshot"
before=$(button_pixels "$shots/ready.png")
# The folder field, 浏览, 极速安装 (the run button is hidden and passed over).
key Tab Tab Tab
marked() {
  wt_shot "$shots/focused.png" && [ "$(button_pixels "$shots/focused.png")" != "$before" ]
}
wt_wait_until 30 marked || fail "no focus mark on 极速安装 after three Tabs"
key Return
wt_wait_phase installing 60 || fail "Enter on 极速安装 did not start the installation"
# Escape does nothing while installing: the installation goes on to its end.
key Escape
wt_wait_until 180 wt_finished || fail "the installation did not finish (phase: $(wt_grab; wt_phase))"
wt_wait_phase finished 60 || fail "the window never showed the finished layout"
kill -0 "$WT_PID" 2>/dev/null || fail "the installer ended (Escape while installing?)"
[ -f "$WT_FOLDER/qingwu.exe" ] || fail "no qingwu.exe installed"
wt_shot "$shots/finished.png" || fail "no screenshot"

# --- Finished: the focus is on 立即运行; Enter runs the program ---------------------
key Return
wt_wait_exit 60 || fail "the installer did not end after Enter on 立即运行"
[ "$WT_CODE" = 0 ] || fail "the installer ended with exit code $WT_CODE"
wt_tool waitexe qingwu.exe 60000 >/dev/null || fail "qingwu.exe showed no window"
wt_stop_all

# --- Escape in Ready closes the installer ----------------------------------------
rm -rf "$WT_FOLDER" "$WT_PROGRAMS/$WT_PRODUCT" "$WT_PROGRAMS/$WT_PRODUCT.lnk" "$WT_DESKTOP/$WT_PRODUCT.lnk"
"$WT_WINE" reg delete "$WT_KEY" /f >/dev/null 2>&1
WT_X=
wt_start_installer "$exe" || fail "no installer window on the second run"
wt_wait_phase ready 60 || fail "the second run never showed the ready layout"
wt_wait_until 30 installer_has_keys || fail "the second installer window never got the keyboard"
key Escape
wt_wait_exit 60 || fail "Escape did not close the ready installer"
[ "$WT_CODE" = 0 ] || fail "Escape ended the installer with exit code $WT_CODE"
[ ! -e "$WT_FOLDER" ] || fail "Escape installed something: $(ls -A "$WT_FOLDER")"
wt_stop_all

# --- Escape once finished closes the installer, the installation stays ------------
WT_X=
wt_start_installer "$exe" || fail "no installer window on the third run"
wt_wait_phase ready 60 || fail "the third run never showed the ready layout"
wt_wait_until 30 installer_has_keys || fail "the third installer window never got the keyboard"
key Return
wt_wait_until 180 wt_finished || fail "the third installation did not finish"
wt_wait_phase finished 60 || fail "the third run never showed the finished layout"
key Escape
wt_wait_exit 60 || fail "Escape did not close the finished installer"
[ "$WT_CODE" = 0 ] || fail "Escape ended the finished installer with exit code $WT_CODE"
[ -f "$WT_FOLDER/qingwu.exe" ] || fail "the installation is gone after Escape"
wt_stop_all
echo "screenshots: $shots"
echo "1 passed, 0 failed"
