#!/usr/bin/env bash
# The installer at a display scale, under Wine on the X display, from a
# clean Wine prefix whose display reads <dpi> (LogPixels): the window is
# the installer's logical 588 x 438 scaled (735 x 548 at 120 DPI, 882 x 657
# at 144, 1176 x 876 at 192), the ready layout is drawn at that scale, a
# click at the scaled centre of "极速安装" installs, and the installation
# reaches its end ("完成安装": the installed tree, Uninstall.dat, the links).
# The prefix is removed when the run passes.
#   display_scale_install_test.sh <qingwu_setup.exe> <wintool.exe> <payload.zip> <dpi>
set -u
exe=$1 wintool=$2 archive=$3
WT_DPI=$4
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/app/display_scale/$WT_DPI
# The pristine prefix the hostile runs make too (made once, never written).
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
fail() {
  wt_failed "FAIL [$WT_DPI DPI]: $*"
  wt_close_display
  exit 1
}

read -r width height <<<"$WT_INSTALLER_SIZE"
want_w=$(wt_scaled "$width") want_h=$(wt_scaled "$height")
# The window opens at (50, 50); room for it and its scaled size.
wt_display_at_least $((want_w + 100)) $((want_h + 100)) || fail "no display of $((want_w + 100))x$((want_h + 100))"
wt_fresh_prefix || fail "no fresh Wine prefix"
[ -e "$WT_FOLDER" ] && fail "the prefix is not clean: $WT_FOLDER exists"
seen=$(wt_tool dpi | tr -d '\r')
[ "$seen" = "$WT_DPI" ] || fail "the prefix's display reads $seen DPI, not $WT_DPI"

wt_start_installer "$exe" ||
  fail "the installer window is ${WT_W:-?} x ${WT_H:-?}, expected $want_w x $want_h"
echo "installer window: ${WT_W}x$WT_H at $WT_X,$WT_Y"
# The probes sit at scaled places: blue buttons where the scaled layout
# has them, the white panel between.
wt_wait_phase ready 60 || fail "the window never showed the ready layout at $WT_DPI DPI (phase: $(wt_grab; wt_phase))"
wt_shot "$WT_WORK/ready.png" || fail "no screenshot"

# The scaled centre of "极速安装"; mouse input is mapped back to logical.
wt_click $WT_INSTALL_BUTTON
wt_wait_until 180 wt_finished || fail "the installation did not finish (phase: $(wt_grab; wt_phase))"
problem=$(wt_installed_tree "$archive") || fail "$problem"
[ "$(wt_reg_value DisplayName)" = "$WT_PRODUCT" ] || fail "no uninstall registration"

# Finished: WM_CLOSE ends the installer without a question.
wt_tool close "$WT_FORM_CLASS" >/dev/null || fail "no window to close"
wt_wait_exit 60 || fail "the finished installer did not end on WM_CLOSE"
[ "$WT_CODE" = 0 ] || fail "the installer ended with exit code $WT_CODE"
wt_stop_all
wt_close_display
rm -rf "$WT_WORK"
echo "1 passed, 0 failed"
