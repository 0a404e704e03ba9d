#!/usr/bin/env bash
# The uninstaller from the application archive, run under Wine against a
# real installed tree: the archive's files, Uninstall.dat, the four links
# and the uninstall key, set up the way the installer leaves them.
#   uninstaller_test.sh <payload.zip> <wintool.exe> <case>
# Each case starts from a fresh copy of the build tree's pristine Wine prefix.
set -u
archive=$1 wintool=$2 case=$3
wine=${QW_WINE:-/usr/lib/wine/wine64}
work=${QW_BUILD_DIR:?}/tests/resources/uninstaller
export WINEDEBUG=-all
export LC_ALL=zh_CN.UTF-8 2>/dev/null
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export HOME=$work/home
mkdir -p "$HOME"
# On failure, what the last uninstaller run wrote to stderr (Wine's own
# messages too: an exit code the uninstaller never gives comes from there).
uninstaller_stderr=$work/$case.stderr
rm -f "$uninstaller_stderr"
fail() {
  echo "FAIL [$case]: $*"
  [ -s "$uninstaller_stderr" ] && { echo "the uninstaller's stderr:"; tail -n 30 "$uninstaller_stderr"; }
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  exit 1
}

# --- a fresh copy of the tree's pristine prefix (scripts/wine_prefix.sh) ---
source "${QW_SOURCE_DIR:?}/scripts/wine_prefix.sh"
pristine=${QW_BUILD_DIR}/tests/wine-pristine
qw_pristine_prefix "$wine" "$pristine"
prefix=$work/case-$case
qw_copy_prefix "$pristine" "$prefix" || fail "cannot copy the Wine prefix"
export WINEPREFIX=$prefix
c=$prefix/drive_c
user=$(ls "$c/users" | grep -v '^Public$' | head -n 1)
# The desktop of a new prefix links to $HOME; give this case a real one.
rm -f "$c/users/$user/Desktop"
mkdir -p "$c/users/$user/Desktop"

product=青梧网游加速器
folder="$c/Program Files/$product"
programs="$c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
group="$programs/$product"
desktop="$c/users/$user/Desktop"
win_folder="C:\\Program Files\\$product\\"
win_programs="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"
win_desktop="C:\\users\\$user\\Desktop\\"
uninstall_key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"

# Uninstall.dat: four code-page 936 lines, CR LF between them, none at the end.
write_data() {  # line1 line2 line3 line4
  printf '%s\r\n%s\r\n%s\r\n%s' "$1" "$2" "$3" "$4" | iconv -f UTF-8 -t GBK > "$folder/Uninstall.dat"
}

# The installer stores the uninstaller's path in quotes; older records
# (case removes-unquoted-registration) hold it bare. Escaped for a .reg file.
uninstall_string='\"'"${win_folder//\\/\\\\}"'uninst.exe\"'

install_tree() {
  mkdir -p "$folder" "$group" "$desktop"
  unzip -q -o "$archive" -d "$folder" || fail "cannot unpack the archive"
  write_data "$win_folder" "$win_programs$product" "$win_desktop$product.lnk" qingwu.exe
  for link in "$group/$product.lnk" "$group/卸载$product.lnk" "$programs/$product.lnk" "$desktop/$product.lnk"; do
    echo link > "$link"
  done
  # Things that are not ours and must survive: a neighbour's link and key.
  echo other > "$desktop/其他程序.lnk"
  cat > "$work/$case.reg.txt" <<EOF
Windows Registry Editor Version 5.00

[${uninstall_key/HKLM/HKEY_LOCAL_MACHINE}\\$product]
"DisplayIcon"="${win_folder//\\/\\\\}qingwu.exe"
"DisplayName"="$product"
"DisplayVersion"="201909999"
"UninstallString"="$uninstall_string"
"Publisher"="青梧网络科技有限公司"
"URLInfoAbout"="https://www.qingwu.example/"

[${uninstall_key/HKLM/HKEY_LOCAL_MACHINE}\\OtherProduct]
"DisplayName"="Other"
EOF
  iconv -f UTF-8 -t UTF-16 "$work/$case.reg.txt" > "$work/$case.reg"
  "$wine" regedit /S "$work/$case.reg" || fail "regedit failed"
  key_present || fail "uninstall key not set up"
}

key_present() { "$wine" reg query "$uninstall_key\\$product" >/dev/null 2>&1; }

# Every file, folder and size under the places the uninstaller may touch,
# the content of each file, and the uninstall keys.
snapshot() {
  (cd "$c" && find . -path ./windows -prune -o -path ./users/Public -prune -o -print0 | sort -z |
     xargs -0 stat -c '%n %s %F' && find . -path ./windows -prune -o -type f -print0 | sort -z | xargs -0 md5sum)
  registry_snapshot
}

# The uninstall keys. A reg process that fails to start or to answer (seen
# under heavy load) is asked again; the parent key always holds the
# neighbour's key, so a failing query is never the state being looked at.
registry_snapshot() {
  local out i
  for i in $(seq 1 20); do
    out=$("$wine" reg query "$uninstall_key" /s 2>/dev/null) && break
    sleep 0.2
  done
  printf '%s\n' "$out" | tr -d '\r'
}

run_uninstaller() {  # args... ; sets $code
  (cd "$folder" && WINEDEBUG=err+all "$wine" "$folder/uninst.exe" "$@") 2>"$uninstaller_stderr"
  code=$?
}

wait_exists() {  # path [seconds]
  local i
  for i in $(seq 1 $((${2:-60} * 10))); do
    [ -e "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# The uninstaller's message box (non-silent runs): waits until one is up
# whose text holds $1, prints the text.
wait_message() {  # expected-text
  local i text
  for i in $(seq 1 600); do
    if "$wine" "$wintool" wait '#32770' 100 >/dev/null; then
      text=$("$wine" "$wintool" body '#32770' | tr -d '\r')
      case $text in *"$1"*) echo "$text"; return 0 ;; esac
    fi
    sleep 0.1
  done
  return 1
}

# Starts holding a file (or folder) open from another process, the way a
# running program does; release_file lets go and waits for that process to end.
hold_file() {  # windows-path
  held_marker=$c/held.marker
  rm -f "$held_marker"
  "$wine" "$wintool" hold "$1" 'C:\held.marker' >/dev/null &
  hold_pid=$!
  wait_exists "$held_marker" || fail "could not hold $1"
}
release_file() {
  rm -f "$held_marker"
  wait $hold_pid || fail "the held file was not released"
}

temp_copies() { ls "$c/users/$user/AppData/Local/Temp/" 2>/dev/null | grep -c '^qw-uninst-'; }

wait_gone() {  # path [seconds]
  local i
  for i in $(seq 1 $((${2:-60} * 10))); do
    [ -e "$1" ] || return 0
    sleep 0.1
  done
  return 1
}

expect_unchanged() {  # label before
  local after
  after=$(snapshot)
  [ "$after" = "$2" ] || { diff <(echo "$2") <(echo "$after") | head -20; fail "$1: something changed"; }
}

case $case in
  removes-installation)
    install_tree
    "$wine" reg query "$uninstall_key\\$product" /v UninstallString | tr -d '\r' |
      grep -qF 'REG_SZ    "C:\Program Files\' || fail "the record is not quoted"
    run_uninstaller /S
    [ "$code" = 0 ] || fail "exit code $code"
    wait_gone "$folder" || fail "installation folder still there: $(ls "$folder")"
    for gone in "$group" "$programs/$product.lnk" "$desktop/$product.lnk"; do
      [ -e "$gone" ] && fail "$gone still there"
    done
    key_present && fail "uninstall key still there"
    [ -f "$desktop/其他程序.lnk" ] || fail "a neighbour's link was removed"
    [ -d "$programs" ] || fail "the start menu folder was removed"
    "$wine" reg query "$uninstall_key\\OtherProduct" >/dev/null 2>&1 || fail "a neighbour's key was removed"
    ;;
  finishes-after-the-folder-is-free)
    # Another program has the folder open as the finishing copy deletes
    # uninst.exe: the copy keeps trying, and the folder goes once it is free.
    install_tree
    hold_file "${win_folder%\\}"
    run_uninstaller /S
    [ "$code" = 0 ] || fail "exit code $code"
    wait_gone "$folder/uninst.exe" || fail "uninst.exe was not deleted"
    [ -d "$folder" ] || fail "the folder went while it was held"
    release_file
    wait_gone "$folder" || fail "installation folder still there: $(ls "$folder")"
    ;;
  keeps-foreign-files)
    install_tree
    echo save > "$folder/我的存档.sav"
    mkdir -p "$folder/截图" && echo png > "$folder/截图/1.png"
    echo mine > "$group/我的快捷方式.lnk"
    run_uninstaller /S
    [ "$code" = 0 ] || fail "exit code $code"
    wait_gone "$folder/uninst.exe" || fail "uninst.exe still there"
    WINEPREFIX=$prefix wineserver -w
    left=$(cd "$folder" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
    [ "$left" = "./我的存档.sav ./截图 ./截图/1.png " ] || fail "folder holds '$left'"
    left=$(cd "$group" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
    [ "$left" = "./我的快捷方式.lnk " ] || fail "group folder holds '$left'"
    [ -e "$programs/$product.lnk" ] && fail "start menu link still there"
    [ -e "$desktop/$product.lnk" ] && fail "desktop link still there"
    key_present && fail "uninstall key still there"
    ;;
  removes-unquoted-registration)
    uninstall_string="${win_folder//\\/\\\\}uninst.exe"
    install_tree
    "$wine" reg query "$uninstall_key\\$product" /v UninstallString | tr -d '\r' | grep -q '"' &&
      fail "the record is not bare"
    run_uninstaller /S
    [ "$code" = 0 ] || fail "exit code $code"
    wait_gone "$folder" || fail "installation folder still there"
    key_present && fail "uninstall key still there"
    ;;
  keeps-newer-registration)
    # The key names another folder's uninstaller: a later installation owns it.
    uninstall_string='\"D:\\Games\\青梧网游加速器\\uninst.exe\"'
    install_tree
    run_uninstaller /S
    [ "$code" = 0 ] || fail "exit code $code"
    wait_gone "$folder" || fail "installation folder still there"
    key_present || fail "another installation's key was removed"
    ;;
  missing-data)
    install_tree
    rm "$folder/Uninstall.dat"
    before=$(snapshot)
    run_uninstaller /S
    [ "$code" = 2 ] || fail "exit code $code, expected 2"
    WINEPREFIX=$prefix wineserver -w
    expect_unchanged "missing Uninstall.dat" "$before"
    ;;
  malformed-data)
    install_tree
    # Decoys where a hostile record points: none of them may go.
    mkdir -p "$c/victim"
    for f in qingwu.exe readme.txt Uninstall.dat $product.lnk 卸载$product.lnk; do echo keep > "$c/victim/$f"; done
    mkdir -p "$c/victim/$product" && echo keep > "$c/victim/$product/$product.lnk"
    g="$win_programs$product" d="$win_desktop$product.lnk"
    variants=(
      "three-lines|$(printf '%s\r\n%s\r\n%s' "$win_folder" "$g" "$d")"
      "five-lines|$(printf '%s\r\n%s\r\n%s\r\n%s\r\n%s' "$win_folder" "$g" "$d" qingwu.exe extra)"
      "other-folder|$(printf '%s\r\n%s\r\n%s\r\n%s' 'C:\victim\' "$g" "$d" qingwu.exe)"
      "dot-dot|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder"'..\..\victim\' "$g" "$d" qingwu.exe)"
      "no-trailing-backslash|$(printf '%s\r\n%s\r\n%s\r\n%s' "${win_folder%\\}" "$g" "$d" qingwu.exe)"
      "group-wrong-name|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" 'C:\victim' "$d" qingwu.exe)"
      "group-dot-dot|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" 'C:\victim\..\victim\'"$product" "$d" qingwu.exe)"
      "link-wrong-name|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" "$g" 'C:\victim\readme.txt' qingwu.exe)"
      "link-relative|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" "$g" "$product.lnk" qingwu.exe)"
      "link-wildcard|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" "$g" 'C:\*\'"$product.lnk" qingwu.exe)"
      "link-stream|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" "$g" 'C:\victim:'"$product.lnk" qingwu.exe)"
      "wrong-program|$(printf '%s\r\n%s\r\n%s\r\n%s' "$win_folder" "$g" "$d" cmd.exe)"
      "empty|"
    )
    for v in "${variants[@]}"; do
      name=${v%%|*}
      printf '%s' "${v#*|}" | iconv -f UTF-8 -t GBK > "$folder/Uninstall.dat"
      before=$(snapshot)
      run_uninstaller /S
      [ "$code" = 2 ] || fail "$name: exit code $code, expected 2"
      expect_unchanged "$name" "$before"
      echo "ok: $name"
    done
    # Bytes that are not code page 936 text.
    printf '\x81\x20\r\n%s\r\n%s\r\nqingwu.exe' "$g" "$d" > "$folder/Uninstall.dat"
    before=$(snapshot)
    run_uninstaller /S
    [ "$code" = 2 ] || fail "not code page 936: exit code $code, expected 2"
    expect_unchanged "not code page 936" "$before"
    ;;
  declined)
    # Without /S the uninstaller asks first; "No" changes nothing.
    install_tree
    before=$(snapshot)
    (cd "$folder" && "$wine" "$folder/uninst.exe") &
    pid=$!
    "$wine" "$wintool" wait '#32770' 60000 >/dev/null || fail "no confirmation box"
    [ -n "${QW_SHOT:-}" ] && import -window root "$QW_SHOT"
    text=$("$wine" "$wintool" text '#32770' | tr -d '\r')
    [ "$text" = "青梧网游加速器 卸载" ] || fail "box titled '$text'"
    "$wine" "$wintool" command '#32770' 7 >/dev/null  # IDNO
    wait $pid
    code=$?
    [ "$code" = 1 ] || fail "exit code $code, expected 1"
    expect_unchanged "declined" "$before"
    ;;
  keeps-means-to-retry)
    # Another program holds servers.ini open: the uninstaller removes the
    # rest but keeps itself, Uninstall.dat and the uninstall key, and says
    # what is left; once the file is free, running it again finishes.
    install_tree
    hold_file "${win_folder}servers.ini"
    (cd "$folder" && "$wine" "$folder/uninst.exe") &
    pid=$!
    "$wine" "$wintool" wait '#32770' 60000 >/dev/null || fail "no confirmation box"
    "$wine" "$wintool" command '#32770' 6 >/dev/null  # IDYES
    text=$(wait_message servers.ini) || fail "no message naming servers.ini"
    case $text in *qingwu.exe*|*uninst.exe*|*Uninstall.dat*) fail "the message lists more: $text" ;; esac
    "$wine" "$wintool" command '#32770' 1 >/dev/null  # IDOK
    wait $pid
    code=$?
    [ "$code" = 3 ] || fail "exit code $code, expected 3"
    run_uninstaller /S  # still held: the same again
    [ "$code" = 3 ] || fail "silent run: exit code $code, expected 3"
    for kept in uninst.exe Uninstall.dat servers.ini; do
      [ -f "$folder/$kept" ] || fail "$kept was removed although the uninstallation is incomplete"
    done
    key_present || fail "the uninstall key was removed although the uninstallation is incomplete"
    [ "$(temp_copies)" = 0 ] || fail "a finishing copy was started"
    for gone in "$folder/qingwu.exe" "$folder/qwcore.dll" "$group" "$programs/$product.lnk" "$desktop/$product.lnk"; do
      [ -e "$gone" ] && fail "$gone still there"
    done
    release_file
    run_uninstaller /S
    [ "$code" = 0 ] || fail "retry: exit code $code"
    wait_gone "$folder" || fail "installation folder still there after the retry: $(ls "$folder")"
    key_present && fail "uninstall key still there after the retry"
    ;;
  dotted-folder)
    # A folder with inner parts ending in a dot and a space, as earlier
    # installers accepted (Wine creates them as named).
    folder="$c/qw5. /sub/$product"
    win_folder="C:\\qw5. \\sub\\$product\\"
    uninstall_string='\"'"${win_folder//\\/\\\\}"'uninst.exe\"'
    install_tree
    run_uninstaller /S
    [ "$code" = 0 ] || fail "exit code $code"
    wait_gone "$folder" || fail "installation folder still there: $(ls "$folder")"
    for gone in "$group" "$programs/$product.lnk" "$desktop/$product.lnk"; do
      [ -e "$gone" ] && fail "$gone still there"
    done
    key_present && fail "uninstall key still there"
    [ -d "$c/qw5. /sub" ] || fail "a parent folder that is not ours was removed"
    ;;
  foreign-link-folders)
    # Lines 2 and 3 must name the program group and the desktop link in this
    # machine's start-menu programs and desktop folders; files of those names
    # anywhere else are not ours.
    install_tree
    for place in "$c/victim" "$c/windows" "$desktop/sub" "$c/users/other/Desktop"; do
      mkdir -p "$place/$product"
      for f in "$product/$product.lnk" "$product/卸载$product.lnk" "$product.lnk"; do echo keep > "$place/$f"; done
    done
    g="$win_programs$product" d="$win_desktop$product.lnk"
    variants=(
      "group-elsewhere|C:\\victim\\$product|$d"
      "link-elsewhere|$g|C:\\victim\\$product.lnk"
      "system-folder|C:\\windows\\$product|C:\\windows\\$product.lnk"
      "below-the-desktop|$g|${win_desktop}sub\\$product.lnk"
      "group-below-the-desktop|${win_desktop}sub\\$product|$d"
      "another-users-desktop|$g|C:\\users\\other\\Desktop\\$product.lnk"
      "programs-as-desktop|$g|$win_programs$product.lnk"
    )
    for v in "${variants[@]}"; do
      IFS='|' read -r name line2 line3 <<<"$v"
      write_data "$win_folder" "$line2" "$line3" qingwu.exe
      before=$(snapshot)
      run_uninstaller /S
      [ "$code" = 2 ] || fail "$name: exit code $code, expected 2"
      expect_unchanged "$name" "$before"
      for f in "$product/$product.lnk" "$product/卸载$product.lnk" "$product.lnk"; do
        [ -f "$c/windows/$f" ] || fail "$name: C:\\windows\\$f was deleted"
      done
      echo "ok: $name"
    done
    ;;
  finish-needs-its-parent)
    # The finishing mode deletes only for the uninstaller that started it.
    install_tree
    mkdir -p "$c/victim"
    echo keep > "$c/victim/uninst.exe"
    temp="$c/users/$user/AppData/Local/Temp"
    mkdir -p "$temp"
    cp "$folder/uninst.exe" "$temp/qw-uninst-1.exe"
    before=$(snapshot)
    own="${win_folder%\\}"
    for args in "0|C:\\victim" "4|C:\\victim" "4|8|C:\\victim" "4|8|$own" "12|16|$own" "-1|-1|$own"; do
      IFS='|' read -r -a a <<<"$args"
      for program in "$folder/uninst.exe" "$temp/qw-uninst-1.exe"; do
        (cd "$c" && "$wine" "$program" /finish "${a[@]}")
        code=$?
        [ "$code" = 2 ] || fail "/finish $args from $program: exit code $code, expected 2"
      done
      [ -f "$c/victim/uninst.exe" ] || fail "/finish $args deleted another program's uninst.exe"
      [ -f "$folder/uninst.exe" ] || fail "/finish $args deleted the installation's uninst.exe"
    done
    # An incomplete internal command is refused too, not taken for an
    # uninstallation.
    for args in "/finish" "/S /finish 0" "/S /finish 4 8"; do
      run_uninstaller $args
      [ "$code" = 2 ] || fail "$args: exit code $code, expected 2"
    done
    # A parent that hands over real inherited handles but is not the
    # folder's uninstaller: wintool.
    code=$( (cd "$c" && "$wine" "$wintool" finish "$win_folder"uninst.exe 'C:\victim') | tr -d '\r')
    [ "$code" = 2 ] || fail "/finish from another parent: '$code', expected 2"
    [ -f "$c/victim/uninst.exe" ] || fail "another parent's /finish deleted another program's uninst.exe"
    WINEPREFIX=$prefix wineserver -w
    expect_unchanged "finishing mode without its parent" "$before"
    # Even with the record gone, as after a complete uninstallation, only
    # the folder's own uninstaller may have its file deleted.
    rm "$folder/Uninstall.dat"
    code=$( (cd "$c" && "$wine" "$wintool" finish "C:\\users\\$user\\AppData\\Local\\Temp\\qw-uninst-1.exe" "$own") | tr -d '\r')
    [ "$code" = 2 ] || fail "/finish from another parent for the installation: '$code', expected 2"
    [ -f "$folder/uninst.exe" ] || fail "another parent's /finish deleted the installation's uninst.exe"
    ;;
  *)
    fail "unknown case"
    ;;
esac
WINEPREFIX=$prefix wineserver -w
rm -rf "$prefix"
echo "1 passed, 0 failed"
