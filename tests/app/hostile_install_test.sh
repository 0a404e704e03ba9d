#!/usr/bin/env bash
# The installer as a hostile or unlucky user meets it, under Wine on the X
# display, one case a run, each from a clean Wine prefix:
#   long-folders    folders of 255 to 322 characters are refused before
#                   anything is created, and the window stays ready
#   disk-exact      a drive one page short of the archive and the members,
#                   then with exactly their room (that installs, and the
#                   uninstaller it carries removes it)
#   disk-10mb       a drive with 10 MB free
#   blocked-member  a folder standing where readme.txt goes
#                   (the three: one message naming the cause, everything
#                   the installation made is gone, the window is ready)
#   double-click    a double click on "极速安装" installs once, makes every
#                   link, and starts nothing
#   close-no        the close button while installing asks first; "No" goes
#                   on to the end
#   close-yes       Alt+F4 while installing asks too; "Yes" removes
#                   everything the installation made, exit code 0
#   hostile_install_test.sh <qingwu_setup.exe> <wintool.exe> <payload.zip> <case>
set -u
exe=$1 wintool=$2 archive=$3 case=$4
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/app/hostile/$case
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
disk=""
fail() {
  wt_failed "FAIL [$case]: $*"
  [ -n "$disk" ] && umount "$disk" 2>/dev/null
  exit 1
}
MESSAGE_BOX='#32770'

# What an installation may touch: every file and folder of the C: drive
# outside the system's own, the links, the uninstall key, and the E: drive
# when there is one.
machine_state() {
  (cd "$WT_C" && find . -path ./windows -prune -o -path '*/AppData/Local/Temp' -prune -o \
     -path ./users/Public -prune -o -print | LC_ALL=C sort)
  [ -n "$disk" ] && (cd "$disk" && find . | LC_ALL=C sort)
  "$WT_WINE" reg query "$WT_KEY" 2>/dev/null | tr -d '\r'
  true
}

# Types `text` into the folder field, replacing what it holds.
type_folder() {  # text
  wt_click 200 319
  xdotool key --delay 30 ctrl+a BackSpace
  xdotool type --delay 20 "$1"
}

# Waits for the installer's message box and prints its message; without
# one, prints what the wait answered and how long it took.
message_text() {  # [seconds]
  local answer start=$SECONDS
  answer=$(wt_tool wait "$MESSAGE_BOX" "$((${1:-60} * 1000))") || {
    echo "the wait answered '$(tr -d '\r' <<<"$answer")' after $((SECONDS - start)) s"
    return 1
  }
  wt_tool body "$MESSAGE_BOX" | tr -d '\r'
}
# The box is closed once none is on the screen; when one stays, the boxes
# of that class are listed (a second message shows as a second visible one).
answer_message() {  # button id (1 OK, 6 yes, 7 no)
  wt_tool command "$MESSAGE_BOX" "$1" >/dev/null
  wt_tool unseen "$MESSAGE_BOX" 30000 >/dev/null && return 0
  wt_tool list "$MESSAGE_BOX" | tr -d '\r' >&2
  return 1
}

# A small drive E: of `bytes` (a tmpfs) in the prefix.
make_drive() {  # bytes
  disk="$WT_WORK/disk"
  mkdir -p "$disk"
  umount "$disk" 2>/dev/null
  mount -t tmpfs -o "size=$1" qw-small-drive "$disk" || {
    echo "cannot mount a small drive here (needs root)"
    disk=""
    exit 77
  }
  ln -sfn "$disk" "$WINEPREFIX/dosdevices/e:"
}

# The installation failed with a message that holds `cause`, and left the
# machine as it was, with the window ready for another try.
expect_refused() {  # cause-pattern before-state label
  local text
  text=$(message_text 180) || fail "$3: no message ($text)"
  echo "$3: $text"
  grep -Eq "$1" <<<"$text" || fail "$3: the message does not name the cause ($1): $text"
  answer_message 1 || fail "$3: the message did not close"
  wt_wait_phase ready 60 || fail "$3: the window is not ready again"
  local after
  after=$(machine_state)
  [ "$after" = "$2" ] || { diff <(echo "$2") <(echo "$after") | head -20; fail "$3: the installation left something behind"; }
  kill -0 "$WT_PID" 2>/dev/null || fail "$3: the installer ended"
}

finished_or_ended() { ! kill -0 "$WT_PID" 2>/dev/null || wt_finished; }

# C:\qqq...\qqq...\ of exactly `length` characters, in parts of 40.
long_folder() {  # length
  local folder='C:\' part
  while [ $(($1 - ${#folder})) -gt 42 ]; do
    part=$(printf '%040d' 0 | tr 0 q)
    folder+="$part\\"
  done
  part=$(printf "%0$(($1 - ${#folder} - 1))d" 0 | tr 0 q)
  echo "$folder$part\\"
}

# Sizes rounded up to whole 4 KB pages, as a tmpfs counts them.
pages() { echo $(( ($1 + 4095) / 4096 * 4096 )); }
archive_and_members_bytes() {
  local total=$(pages "$(stat -c %s "$archive")") size
  while read -r size; do total=$((total + $(pages "$size"))); done < <(python3 - "$archive" <<'EOF'
import sys, zipfile
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    print(info.file_size)
EOF
)
  echo "$total"
}

wt_fresh_prefix || fail "no fresh Wine prefix"
case $case in
  long-folders)
    wt_start_installer "$exe" || fail "no installer window"
    wt_wait_phase ready 60 || fail "the window never showed the ready layout"
    before=$(machine_state)
    for length in 255 270 283 322; do
      folder=$(long_folder "$length")
      [ ${#folder} = "$length" ] || fail "made a folder of ${#folder} characters, not $length"
      type_folder "$folder"
      wt_click $WT_INSTALL_BUTTON
      expect_refused '路径|长' "$before" "$length characters"
    done
    ;;
  disk-10mb)
    make_drive 10m
    wt_start_installer "$exe" || fail "no installer window"
    wt_wait_phase ready 60 || fail "the window never showed the ready layout"
    before=$(machine_state)
    type_folder 'E:\qingwu\'
    wt_click $WT_INSTALL_BUTTON
    expect_refused '空间' "$before" "$case"
    ;;
  disk-exact)
    # One page short of the archive and the members together: refused and
    # taken back. With exactly that room the installation fits (the archive
    # is deleted before the record is written), and its record is whole:
    # the uninstaller it carries removes it.
    exact=$(archive_and_members_bytes)
    make_drive $((exact - 4096))
    wt_start_installer "$exe" || fail "no installer window"
    wt_wait_phase ready 60 || fail "the window never showed the ready layout"
    before=$(machine_state)
    type_folder 'E:\qingwu\'
    wt_click $WT_INSTALL_BUTTON
    expect_refused '空间' "$before" "one page short"
    mount -o remount,size="$exact" "$disk" || fail "cannot grow the drive"
    wt_click $WT_INSTALL_BUTTON
    finished_on_e() {
      ! kill -0 "$WT_PID" 2>/dev/null || { [ -f "$disk/qingwu/Uninstall.dat" ] && wt_links_exist && wt_grab &&
        [ "$(wt_phase)" = finished ]; }
    }
    wt_wait_until 180 finished_on_e || fail "exact room: the installation did not finish"
    kill -0 "$WT_PID" 2>/dev/null || fail "exact room: the installer ended"
    record=$(iconv -f GBK -t UTF-8 "$disk/qingwu/Uninstall.dat" | tr -d '\r' | head -n 1)
    [ "$record" = 'E:\qingwu\' ] || fail "exact room: Uninstall.dat begins with '$record'"
    wt_stop_all
    (cd "$disk/qingwu" && "$WT_WINE" "$disk/qingwu/uninst.exe" /S)
    code=$?
    [ "$code" = 0 ] || fail "exact room: the uninstaller exited $code"
    wt_wait_until 60 eval '[ ! -e "$disk/qingwu" ]' || fail "exact room: the uninstaller left the folder"
    echo "exact room: installed with a whole record, and uninstalled"
    ;;
  blocked-member)
    mkdir -p "$WT_C/qwblock/readme.txt"
    echo mine >"$WT_C/qwblock/mine.txt"
    wt_start_installer "$exe" || fail "no installer window"
    wt_wait_phase ready 60 || fail "the window never showed the ready layout"
    before=$(machine_state)
    type_folder 'C:\qwblock\'
    wt_click $WT_INSTALL_BUTTON
    expect_refused 'readme.txt' "$before" "$case"
    [ "$(cat "$WT_C/qwblock/mine.txt")" = mine ] || fail "a file of the user's changed"
    ;;
  double-click)
    # Unpaced, the installation ends within a double click: the second
    # press may meet the run button where the install button was.
    for delay in 80 150 300; do
      wt_fresh_prefix || fail "no fresh Wine prefix"
      WT_X=
      QW_SLOW_WRITES_RATE=0 wt_start_installer "$exe" || fail "no installer window"
      wt_wait_phase ready 60 || fail "the window never showed the ready layout"
      read -r x y <<<"$WT_INSTALL_BUTTON"
      xdotool mousemove --sync $((WT_X + x)) $((WT_Y + y)) click --repeat 2 --delay "$delay" 1
      wt_wait_until 180 finished_or_ended || fail "$delay ms: the installation did not finish"
      kill -0 "$WT_PID" 2>/dev/null || fail "$delay ms: the installer ended on a double click"
      wt_links_exist || fail "$delay ms: links missing"
      wt_tool waitexe qingwu.exe 3000 >/dev/null &&
        fail "$delay ms: the application started without being asked"
      echo "$delay ms between the clicks: installed once, nothing started"
      wt_stop_all
    done
    ;;
  close-no | close-yes)
    wt_start_installer "$exe" || fail "no installer window"
    wt_wait_phase ready 60 || fail "the window never showed the ready layout"
    before=$(machine_state)
    wt_click $WT_INSTALL_BUTTON
    wt_hold_installing 60 || fail "never seen installing"
    if [ "$case" = close-no ]; then
      wt_click $WT_CLOSE_BUTTON
    else
      xdotool key alt+F4  # the window has the keyboard since the click on 极速安装
    fi
    wt_thaw
    text=$(message_text 60) || fail "closing while installing asked nothing ($text)"
    [ "$text" = "安装尚未完成，确定要退出吗？" ] || fail "the question is '$text'"
    if [ "$case" = close-no ]; then
      answer_message 7 || fail "the question did not close"
      wt_wait_until 180 wt_finished || fail "the installation did not go on to the end"
      kill -0 "$WT_PID" 2>/dev/null || fail "the installer ended"
    else
      answer_message 6 || fail "the question did not close"
      wt_wait_exit 120 || fail "the installer did not end"
      [ "$WT_CODE" = 0 ] || fail "exit code $WT_CODE"
      after=$(machine_state)
      [ "$after" = "$before" ] || { diff <(echo "$before") <(echo "$after") | head -20; fail "the installation left something behind"; }
    fi
    ;;
  *)
    fail "unknown case"
    ;;
esac
wt_stop_all
[ -n "$disk" ] && { rm -f "$WINEPREFIX/dosdevices/e:"; umount "$disk"; }
# A passed case needs its prefix no more (a failed one keeps it to look at).
rm -rf "$WINEPREFIX"
echo "1 passed, 0 failed"
