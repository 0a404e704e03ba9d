#!/usr/bin/env bash
# The installer as a user meets it, under Wine on the X display: from a
# clean Wine prefix, a mouse click on "极速安装", the installation to its
# end ("完成安装"), the installed tree, the uninstall registration and the
# links; "立即运行" starts qingwu.exe and ends the installer with exit code
# 0. A second run is closed with the close button while it installs: the
# question is answered yes, nothing is left and the exit code is 0. A third
# gets WM_CLOSE while it installs, answered no: it finishes. Screenshots of the phases go to
# <build>/tests/app/walkthrough/run/shots.
#   walkthrough_test.sh <qingwu_setup.exe> <wintool.exe> <payload.zip>
set -u
exe=$1 wintool=$2 archive=$3
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/app/walkthrough/run
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
shots=$WT_WORK/shots
fail() { wt_failed "FAIL: $*"; exit 1; }

wt_fresh_prefix || fail "no fresh Wine prefix"
rm -rf "$shots"
mkdir -p "$shots"
[ -e "$WT_FOLDER" ] && fail "the prefix is not clean: $WT_FOLDER exists"
"$WT_WINE" reg query "$WT_KEY" >/dev/null 2>&1 && fail "the prefix is not clean: the uninstall key exists"

# --- Ready --------------------------------------------------------------------
wt_start_installer "$exe" || fail "no 588 x 438 installer window"
wt_wait_phase ready 60 || fail "the window never showed the ready layout"
wt_shot "$shots/ready.png" || fail "no screenshot"
# No system caret blinks in the window: its top-left corner, where a caret
# that was never placed would show, keeps the header's dark blue over two
# blink periods.
for _ in $(seq 1 12); do
  red=$(import -window root -crop "1x1+${WT_X}+$((WT_Y + 5))" +repage png:- 2>/dev/null |
    convert png:- -format '%[fx:int(255*p{0,0}.r)]' info:) || fail "no grab of the corner"
  [ "$red" -lt 100 ] || fail "a caret is drawn at the window's top-left corner (red $red)"
  sleep 0.1
done

# --- Installing ---------------------------------------------------------------
wt_install_and_catch "$shots/installing.png" || fail "the installation was never seen in progress"

# --- Finished -----------------------------------------------------------------
wt_wait_until 180 wt_finished || fail "the installation did not finish (phase: $(wt_grab; wt_phase))"
wt_shot "$shots/finished.png" || fail "no screenshot"

# The installed tree: exactly the archive's members and Uninstall.dat.
problem=$(wt_installed_tree "$archive") || fail "$problem"

# Uninstall.dat: the folder, the program group, the desktop link, the program.
programs_win="C:\\users\\$WT_USER\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"
data=$(iconv -f GBK -t UTF-8 "$WT_FOLDER/Uninstall.dat")
want=$(printf '%s\r\n%s\r\n%s\r\n%s' "C:\\$WT_PRODUCT\\" "$programs_win$WT_PRODUCT" \
  "C:\\users\\$WT_USER\\Desktop\\$WT_PRODUCT.lnk" qingwu.exe)
[ "$data" = "$want" ] || fail "Uninstall.dat holds: $(echo "$data" | od -c | head)"

# The six registry values.
check_value() {  # name expected
  local got
  got=$(wt_reg_value "$1")
  [ "$got" = "$2" ] || fail "registry value $1 is '$got', expected '$2'"
}
check_value DisplayIcon "C:\\$WT_PRODUCT\\qingwu.exe"
check_value DisplayName "$WT_PRODUCT"
check_value DisplayVersion 201909999
check_value UninstallString "\"C:\\$WT_PRODUCT\\uninst.exe\""
[ -n "$(wt_reg_value Publisher)" ] || fail "no Publisher"
[ -n "$(wt_reg_value URLInfoAbout)" ] || fail "no URLInfoAbout"
wt_links_exist || fail "links missing"

# --- Run now --------------------------------------------------------------------
wt_click_run
wt_wait_exit 60 || fail "the installer did not end after 立即运行"
[ "$WT_CODE" = 0 ] || fail "the installer ended with exit code $WT_CODE"
app=$(set -o pipefail; wt_tool waitexe qingwu.exe 60000 | tr -d '\r') || fail "qingwu.exe showed no window: $app"
read -r ax ay aw ah <<<"$app"
wt_shot "$shots/application.png" "$ax" "$ay" "$aw" "$ah" || fail "no screenshot of the application"
wt_stop_all

# --- Closed while installing ---------------------------------------------------
# A clean installation state again: no folder, no key, no links.
rm -rf "$WT_FOLDER" "$WT_PROGRAMS/$WT_PRODUCT" "$WT_PROGRAMS/$WT_PRODUCT.lnk" "$WT_DESKTOP/$WT_PRODUCT.lnk"
"$WT_WINE" reg delete "$WT_KEY" /f >/dev/null 2>&1
WT_X=
wt_start_installer "$exe" || fail "no installer window on the second run"
wt_wait_phase ready 60 || fail "the second run never showed the ready layout"
wt_click $WT_INSTALL_BUTTON
# Held still on an installing frame, so the close click surely lands while it installs.
wt_hold_installing 60 || fail "the second run was never seen installing"
wt_click $WT_CLOSE_BUTTON
wt_thaw
# Closing while installing asks first (a message box, class #32770); yes
# (IDYES, 6) takes the installation back and ends the installer.
wt_tool wait '#32770' 60000 >/dev/null || fail "no question after the close button"
wt_tool command '#32770' 6 >/dev/null || fail "the question could not be answered"
wt_wait_exit 60 || fail "the installer did not end after the close button"
[ "$WT_CODE" = 0 ] || fail "closing during the installation ended with exit code $WT_CODE"
wt_tool gone "$WT_FORM_CLASS" 10000 >/dev/null || fail "the window is still there"
# Nothing of the abandoned installation is left.
[ ! -e "$WT_FOLDER" ] || fail "the folder is left: $(ls -A "$WT_FOLDER")"
[ -z "$(wt_reg_value DisplayName)" ] || fail "the registry values are left"
while IFS= read -r link; do [ ! -e "$link" ] || fail "a link is left: $link"; done < <(wt_links)
[ ! -e "$WT_PROGRAMS/$WT_PRODUCT" ] || fail "the program group is left"
wt_stop_all

# --- WM_CLOSE (as Alt+F4 sends it) while installing, answered no ---------------
WT_X=
wt_start_installer "$exe" || fail "no installer window on the third run"
wt_wait_phase ready 60 || fail "the third run never showed the ready layout"
wt_click $WT_INSTALL_BUTTON
wt_hold_installing 60 || fail "the third run was never seen installing"
wt_tool close "$WT_FORM_CLASS" >/dev/null || fail "no window to close"
wt_thaw
wt_tool wait '#32770' 60000 >/dev/null || fail "no question after WM_CLOSE"
wt_tool command '#32770' 7 >/dev/null || fail "the question could not be answered"
wt_wait_until 180 wt_finished || fail "the installation answered no did not finish"
[ -f "$WT_FOLDER/qingwu.exe" ] || fail "no qingwu.exe after the installation went on"
# Finished: WM_CLOSE ends the installer without a question.
wt_tool close "$WT_FORM_CLASS" >/dev/null || fail "no window to close"
wt_wait_exit 60 || fail "the finished installer did not end on WM_CLOSE"
[ "$WT_CODE" = 0 ] || fail "closing the finished installer ended with exit code $WT_CODE"
wt_stop_all
echo "screenshots: $shots"
echo "1 passed, 0 failed"
