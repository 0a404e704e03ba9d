#!/usr/bin/env bash
# DLL planting under Wine, from a clean Wine prefix: a marker DLL
# (planting_marker.dll) is copied under the name of every DLL the three
# programs load (from +loaddll traces of a whole installation with the folder
# dialog, the application and the uninstaller), next to each program:
#   - the installer, started from a downloads folder of its own (also its
#     current directory): the folder dialog opened and cancelled, a whole
#     installation, "立即运行" (qingwu.exe starts, and is closed);
#   - qingwu.exe, started from the installation folder, then closed;
#   - uninst.exe /S from the installation folder, with the temporary folder
#     (where its copy finishes the removal) planted as well.
# No marker may be loaded: none leaves its "<name>.loaded" file, and every
# program ends normally.
#   dll_planting_test.sh default|native <qingwu_setup.exe> <wintool.exe> <planting_marker.dll>
# "native" prefers native DLLs for the planted names (WINEDLLOVERRIDES
# <names>=n,b), as a user's Wine configuration may. kernel32 and kernelbase
# are planted but keep Wine's own load order: Wine loads them itself before
# any code of a program runs.
set -u
mode=$1 exe=$2 wintool=$3 marker=$4
wine=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINE=$wine
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/dll_planting/$mode
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"

# Every DLL the traces show in the programs' processes, and the names the
# same components load on Windows.
planted=(kernel32 kernelbase ucrtbase msvcrt sechost advapi32 zlib1 version win32u user32 gdi32 imm32
  msimg32 uxtheme dwmapi rpcrt4 combase ole32 oleaut32 shcore shlwapi userenv propsys shell32 oleacc
  actxprxy apphelp windowscodecs gdiplus dbghelp comctl32 cryptbase bcryptprimitives profapi gdi32full
  clbcatq comres windows.storage)
planted_files() {
  local name
  for name in "${planted[@]}"; do echo "$name.dll"; done
  echo winex11.drv
}

pid=
fail() {
  echo "FAIL [$mode]: $*"
  local found
  found=$(loaded_markers)
  [ -n "$found" ] && echo "loaded planted DLLs: $(echo $found)"
  [ -n "${WT_X:-}" ] && import -window root "$WT_WORK/failure.png" 2>/dev/null && echo "screen: $WT_WORK/failure.png"
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  wt_stop_all
  exit 1
}
plant() {  # folder
  local file
  mkdir -p "$1"
  while read -r file; do cp "$marker" "$1/$file"; done < <(planted_files)
}
# The markers that were loaded, in the planted folders.
loaded_markers() {
  find "${downloads:-/nonexistent}" "${WT_FOLDER:-/nonexistent}" "${temp:-/nonexistent}" -name '*.loaded' \
    2>/dev/null | sed 's|.*/||' | sort
}
check_no_marker() {  # after what
  local found
  found=$(loaded_markers)
  [ -z "$found" ] || fail "planted DLLs were loaded $1: $(echo $found)"
}
wait_exit() {  # pid seconds -> sets code
  wt_wait_exit "$2" "$1"
  local ended=$?
  code=$WT_CODE
  return $ended
}

for tool in xdotool import convert; do command -v $tool >/dev/null || fail "$tool is missing"; done
[ -f "$marker" ] || fail "no marker DLL at $marker"
wt_fresh_prefix || fail "no fresh Wine prefix"
if [ "$mode" = native ]; then
  names=$(printf '%s\n' "${planted[@]}" winex11.drv | grep -vx 'kernel32\|kernelbase' | paste -sd, -)
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$names=n,b"
fi
downloads=$WT_WORK/downloads
temp_win=$("$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
case "$temp_win" in
  [Cc]:\\*) ;;
  *) fail "no temporary folder ('$temp_win')" ;;
esac
temp_unix=${temp_win#?:}
temp="$WINEPREFIX/drive_c${temp_unix//\\//}"
rm -rf "$downloads"
plant "$downloads"
plant "$temp"
cp "$exe" "$downloads/qingwu_setup.exe"

# --- The installer, from the downloads folder --------------------------------
(cd "$downloads" && exec "$wine" ./qingwu_setup.exe) &
pid=$!
geometry=$(set -o pipefail; "$wine" "$wintool" wait "$WT_FORM_CLASS" 60000 | tr -d '\r') || fail "no installer window: $geometry"
read -r WT_X WT_Y WT_W WT_H <<<"$geometry"
WT_PID=$pid
wt_wait_phase ready 60 || fail "the installer never showed the ready layout"
# The folder dialog: the browse button opens it; its Cancel button closes it.
wt_click 537 319
"$wine" "$wintool" wait '#32770' 60000 >/dev/null || fail "the folder dialog did not open"
"$wine" "$wintool" command '#32770' 2 >/dev/null || fail "could not cancel the folder dialog"
"$wine" "$wintool" gone '#32770' 60000 >/dev/null || fail "the folder dialog did not close"
wt_wait_phase ready 60 || fail "the installer did not come back to the ready layout after the dialog"
wt_click $WT_INSTALL_BUTTON
wt_wait_until 180 wt_finished || fail "the installation did not finish"
wt_click_run
wait_exit "$pid" 60 || fail "the installer did not end after 立即运行"
[ "$code" = 0 ] || fail "the installer ended with exit code $code"
"$wine" "$wintool" waitexe qingwu.exe 60000 >/dev/null || fail "立即运行 started no qingwu.exe"
"$wine" "$wintool" close QingwuAccelerator >/dev/null || fail "could not close qingwu.exe"
"$wine" "$wintool" gone QingwuAccelerator 60000 >/dev/null || fail "qingwu.exe did not close"
check_no_marker "by the installer"

# --- qingwu.exe, from the planted installation folder ------------------------
plant "$WT_FOLDER"
(cd "$WT_FOLDER" && exec "$wine" ./qingwu.exe) &
pid=$!
"$wine" "$wintool" wait QingwuAccelerator 60000 >/dev/null || fail "qingwu.exe showed no window"
"$wine" "$wintool" close QingwuAccelerator >/dev/null || fail "could not close qingwu.exe"
wait_exit "$pid" 60 || fail "qingwu.exe did not end"
[ "$code" = 0 ] || fail "qingwu.exe ended with exit code $code"
check_no_marker "by qingwu.exe"

# --- uninst.exe /S, from the planted installation folder ---------------------
(cd "$WT_FOLDER" && exec "$wine" ./uninst.exe /S) &
pid=$!
wait_exit "$pid" 60 || fail "uninst.exe did not end"
[ "$code" = 0 ] || fail "uninst.exe /S ended with exit code $code"
# Its copy in the temporary folder deletes uninst.exe once the original has ended.
wt_wait_until 60 test ! -e "$WT_FOLDER/uninst.exe" || fail "the uninstaller's copy did not finish"
[ ! -e "$WT_FOLDER/qingwu.exe" ] || fail "qingwu.exe was not removed"
check_no_marker "by the uninstaller"
echo "planted: $(planted_files | wc -l) names in $mode mode"
wt_stop_all
# A prefix takes more than a gigabyte; a failed run keeps its own for a look.
rm -rf "$WINEPREFIX"
echo "1 passed, 0 failed"
