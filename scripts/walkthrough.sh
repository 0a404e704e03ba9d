# Drives the real installer the way a user does, on an X display under
# Wine: a fresh Wine prefix, the installer started, clicks with the mouse,
# waits for what the window shows, screenshots of each phase. Sourced by
# scripts/run (the walkthrough) and tests/app/walkthrough_test.sh (the
# black-box test), so both click and wait the same way.
#
# Needs DISPLAY (a display without a window manager: the window stands
# where the installer puts it), xdotool and ImageMagick. Set before use:
#   WT_WINE     the Wine loader of the build (/usr/lib/wine/wine for the
#               32-bit tree, /usr/lib/wine/wine64 for the 64-bit one)
#   WT_WINTOOL  tests/tools/wintool.exe of the same build
#   WT_WORK     a folder of this run's own (prefix, home, screenshots)
#   WT_PRISTINE (optional) where the pristine prefix is kept
#   WT_DPI      (optional) the display's DPI in the run's prefix (96, 120,
#               144, 192; default 96); places below are logical (96 DPI)
#               and are clicked and read scaled to it
# Every wait polls with a generous limit; nothing sleeps a fixed time to
# let something happen.

QW_WALKTHROUGH_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$QW_WALKTHROUGH_DIR/wine_prefix.sh"
WT_PRODUCT=青梧网游加速器
WT_FORM_CLASS=QingwuSetupForm

# Places in the installer window (logical client pixels), from its layout.
WT_INSTALL_BUTTON="290 385"   # 极速安装, 190,360 200x50
WT_RUN_BUTTON="296 361"       # 立即运行, 196,336 200x50 once finished
WT_CLOSE_BUTTON="569 18"      # 554,3 30x30
# Pixels that tell the phases apart: name, x, y (logical).
WT_PROBES=(
  install 290 400     # inside the install button only
  run 296 352         # inside the run button only (below the progress bar)
  run_low 210 380     # inside the run button (and the install button), left of the status text
  browse 537 319      # inside the browse button
  bar_start 34 339    # the progress bar's first filled pixels
  bar_middle 90 339   # filled once the bar passed about 11 %
  bar_end 550 339     # the progress bar's track until 100 %
)

wt_log() { echo "[walkthrough] $*" >&2; }

# Runs WT_WINTOOL under WT_WINE with the arguments given and prints what it
# printed, and returns its exit code. Every answer of the tool, a refusal or a
# timeout included, prints a line; a run that failed without printing
# anything never reached the tool (the Wine process did not start), and is
# started again, logged, rather than taken for an answer about the window.
wt_tool() {  # command args...
  local out code try
  for try in 1 2 3; do
    out=$("$WT_WINE" "$WT_WINTOOL" "$@")
    code=$?
    if [ "$code" = 0 ] || [ -n "$out" ]; then break; fi
    wt_log "wintool $1 ended with $code before printing anything (try $try)"
  done
  [ -n "$out" ] && printf '%s\n' "$out"
  return "$code"
}

# The installer's window, logical.
WT_INSTALLER_SIZE="588 438"
# A logical length or coordinate in device pixels at WT_DPI, rounded half
# up as the library's display scale rounds it (lengths of whole quarters
# from 100 % to 300 %: 96 DPI is 4 quarters).
wt_scaled() {  # logical
  local quarters=$(((${WT_DPI:-96} + 12) / 24))
  echo $(((2 * $1 * quarters + 4) / 8))
}

# Seconds since the epoch with a fraction, for time limits.
wt_now() { date +%s.%N; }
wt_elapsed_over() {  # start seconds
  awk -v s="$1" -v n="$(wt_now)" -v l="$2" 'BEGIN { exit !(n - s > l) }'
}

# The environment of every Wine process of the walkthrough.
wt_env() {
  export WINEDEBUG=-all
  export LC_ALL=zh_CN.UTF-8 2>/dev/null
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  export HOME="$WT_WORK/home"
  mkdir -p "$HOME"
}

# A fresh prefix for this run in $WT_WORK/prefix, copied from a pristine
# one made once in $WT_PRISTINE (default: one per build tree,
# $QW_BUILD_DIR/tests/wine-pristine; shared by runs, never written after it
# is made). See scripts/wine_prefix.sh.
wt_fresh_prefix() {
  wt_env
  local pristine=${WT_PRISTINE:-${QW_BUILD_DIR:?}/tests/wine-pristine}
  mkdir -p "$WT_WORK"
  qw_pristine_prefix "$WT_WINE" "$pristine"
  export WINEPREFIX="$WT_WORK/prefix"
  qw_copy_prefix "$pristine" "$WINEPREFIX" || { wt_log "cannot copy the Wine prefix"; return 1; }
  # The display's scale: a new prefix reads 96 DPI.
  if [ "${WT_DPI:-96}" != 96 ]; then
    "$WT_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$WT_DPI" /f >/dev/null 2>&1
  fi
  WT_C="$WINEPREFIX/drive_c"
  WT_USER=$(ls "$WT_C/users" | grep -v '^Public$' | head -n 1)
  # The desktop of a new prefix links to $HOME; give this run a real one.
  rm -f "$WT_C/users/$WT_USER/Desktop"
  mkdir -p "$WT_C/users/$WT_USER/Desktop"
  WT_FOLDER="$WT_C/$WT_PRODUCT"  # the default installation folder C:\青梧网游加速器\
  WT_PROGRAMS="$WT_C/users/$WT_USER/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
  WT_DESKTOP="$WT_C/users/$WT_USER/Desktop"
  WT_KEY="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$WT_PRODUCT"
}

# Ends every process of this run's prefix (and nothing else).
wt_stop_all() { [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null; true; }

# A failed run's last words: the line given, a screenshot of the display
# beside the run's files, and every process of the run's prefix ended (a
# paused installer is let go first). The caller exits.
wt_failed() {  # line
  echo "$*"
  [ -n "${WT_X:-}" ] && import -window root "$WT_WORK/failure.png" 2>/dev/null && echo "screen: $WT_WORK/failure.png"
  [ -n "${WT_PID:-}" ] && kill -CONT "$WT_PID" 2>/dev/null
  wt_stop_all
}

# Makes sure the X display holds at least `width` x `height` pixels: a
# window scaled to 200 % outgrows the usual 1024 x 768 virtual display, and
# X neither shows nor takes clicks outside the screen. When the display is
# smaller, a virtual display of this run's own (WT_DISPLAY_PID) takes its
# place; wt_close_display ends it. Call before the prefix's first program:
# Wine reads the screen's size when it starts.
wt_display_at_least() {  # width height
  local size
  size=$(xdotool getdisplaygeometry 2>/dev/null) || size="0 0"
  read -r WT_SCREEN_W WT_SCREEN_H <<<"$size"
  [ "$WT_SCREEN_W" -ge "$1" ] && [ "$WT_SCREEN_H" -ge "$2" ] && return 0
  local n
  for n in $(seq 141 190); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$1x$2x24" -nolisten tcp >/dev/null 2>&1 &
    WT_DISPLAY_PID=$!
    export DISPLAY=":$n"
    wt_wait_until 30 test -e "/tmp/.X11-unix/X$n" && xdotool getdisplaygeometry >/dev/null 2>&1 ||
      { wt_close_display; return 1; }
    WT_SCREEN_W=$1 WT_SCREEN_H=$2
    wt_log "virtual display $DISPLAY of $1x$2 pixels (pid $WT_DISPLAY_PID)"
    return 0
  done
  return 1
}
wt_close_display() {
  [ -n "${WT_DISPLAY_PID:-}" ] && kill "$WT_DISPLAY_PID" 2>/dev/null
  WT_DISPLAY_PID=
  true
}

# The installer unpacks its few files in a fraction of a second. To see,
# photograph and interrupt the installing phase, its writes into the
# installation folder are paced (2 MB/s: several seconds) by a preload library
# built here (scripts/walkthrough_slow_writes.c); the bytes stay the same.
# It is built for both word sizes, 32-bit for the 32-bit Wine loader and
# 64-bit for wine64, in the multiarch folders that the dynamic loader's
# "$LIB" names, so one LD_PRELOAD value fits whichever loader starts.
wt_slow_writes_library() {
  local source="$QW_WALKTHROUGH_DIR/walkthrough_slow_writes.c" dir="$WT_WORK/preload"
  local arch flag lib
  for arch in x86_64-linux-gnu:-m64 i386-linux-gnu:-m32; do
    flag=${arch#*:}
    lib="$dir/lib/${arch%%:*}/slow_writes.so"
    if [ ! -f "$lib" ] || [ "$lib" -ot "$source" ]; then
      mkdir -p "$(dirname "$lib")"
      cc "$flag" -shared -fPIC -O2 -o "$lib" "$source" -ldl || return 1
    fi
  done
  echo "$dir/\$LIB/slow_writes.so"
}

# Starts the installer (with its own loader when given, e.g. 32-bit wine);
# sets WT_PID and the window's place and size WT_X, WT_Y, WT_W, WT_H; false
# when no window came or it is not the installer's size at WT_DPI.
wt_start_installer() {  # exe [loader]
  local slow
  slow=$(wt_slow_writes_library) || return 1
  LD_PRELOAD="$slow" QW_SLOW_WRITES_UNDER="$(realpath -m "$WT_FOLDER")/" "${2:-$WT_WINE}" "$1" &
  WT_PID=$!
  local geometry
  geometry=$(set -o pipefail; wt_tool wait "$WT_FORM_CLASS" 60000 | tr -d '\r') || return 1
  read -r WT_X WT_Y WT_W WT_H <<<"$geometry"
  wt_log "installer window at $WT_X,$WT_Y size ${WT_W}x$WT_H (pid $WT_PID)"
  local width height
  read -r width height <<<"$WT_INSTALLER_SIZE"
  [ "$WT_W" = "$(wt_scaled "$width")" ] && [ "$WT_H" = "$(wt_scaled "$height")" ]
}

# Waits for the installer process (or the child process `pid`) to end;
# sets WT_CODE (or "timeout").
wt_wait_exit() {  # [seconds] [pid]
  local start pid=${2:-$WT_PID}
  start=$(wt_now)
  WT_CODE=timeout
  while kill -0 "$pid" 2>/dev/null; do
    wt_elapsed_over "$start" "${1:-60}" && return 1
    sleep 0.1
  done
  wait "$pid"
  WT_CODE=$?
}

# A left click at logical window pixel (x, y), scaled to WT_DPI.
wt_click() {  # x y
  xdotool mousemove --sync $((WT_X + $(wt_scaled "$1"))) $((WT_Y + $(wt_scaled "$2"))) click 1
}

# Grabs the window as it shows now and reads the probe pixels of it into
# WT_PIXEL[name] ("r g b").
declare -A WT_PIXEL
wt_grab() {
  local format="" i
  for ((i = 0; i < ${#WT_PROBES[@]}; i += 3)); do
    local x y
    x=$(wt_scaled "${WT_PROBES[i + 1]}") y=$(wt_scaled "${WT_PROBES[i + 2]}")
    format+="${WT_PROBES[i]} %[fx:int(255*p{$x,$y}.r)] %[fx:int(255*p{$x,$y}.g)] %[fx:int(255*p{$x,$y}.b)]\n"
  done
  local values name r g b
  values=$(import -window root -crop "${WT_W}x${WT_H}+${WT_X}+${WT_Y}" +repage png:- 2>/dev/null |
    convert png:- -format "$format" info: 2>/dev/null) || return 1
  WT_PIXEL=()
  while read -r name r g b; do WT_PIXEL[$name]="$r $g $b"; done <<<"$values"
  [ -n "${WT_PIXEL[install]:-}" ]
}

# Colour tests on the last grab: the big buttons and the filled bar are
# blue, the panel white, the bar's track light grey.
wt_is_blue() {  # probe
  local r g b
  read -r r g b <<<"${WT_PIXEL[$1]:-}"
  [ -n "$b" ] && [ "$b" -gt 150 ] && [ "$r" -lt 120 ]
}
wt_is_white() {  # probe
  local r g b
  read -r r g b <<<"${WT_PIXEL[$1]:-}"
  [ -n "$b" ] && [ "$r" -gt 240 ] && [ "$g" -gt 240 ] && [ "$b" -gt 240 ]
}
wt_is_track() {  # probe
  local r g b
  read -r r g b <<<"${WT_PIXEL[$1]:-}"
  [ -n "$b" ] && [ "$r" -ge 170 ] && [ "$r" -le 240 ] && [ "$g" -ge 170 ] && [ "$g" -le 240 ] &&
    [ "$b" -ge 170 ] && [ "$b" -le 240 ]
}

# The phase the last grab shows: ready, installing, finished or unknown (a
# frame between two, or anything else).
wt_phase() {
  if wt_is_blue run && wt_is_blue run_low && wt_is_white install && wt_is_white browse; then
    echo finished
  elif wt_is_blue install && wt_is_blue run_low && wt_is_blue browse; then
    echo ready
  elif wt_is_white install && wt_is_white run_low && wt_is_white browse &&
    wt_is_track bar_end; then
    echo installing
  else
    echo unknown
  fi
}

# Polls the window until it shows `phase`; false after `seconds`.
wt_wait_phase() {  # phase seconds
  local start
  start=$(wt_now)
  while :; do
    wt_grab && [ "$(wt_phase)" = "$1" ] && return 0
    wt_elapsed_over "$start" "$2" && return 1
    kill -0 "$WT_PID" 2>/dev/null || return 1
  done
}

# Polls until a command succeeds; false after `seconds`.
wt_wait_until() {  # seconds command...
  local limit=$1 start
  shift
  start=$(wt_now)
  until "$@"; do
    wt_elapsed_over "$start" "$limit" && return 1
    sleep 0.1
  done
}

# A screenshot of the window's part of the screen (default: the installer
# window) as `file`, once two grabs in a row show the same pixels: a window
# that just appeared or changed has finished painting.
wt_shot() {  # file [x y w h]
  local x=${2:-$WT_X} y=${3:-$WT_Y} w=${4:-$WT_W} h=${5:-$WT_H} before="" now start
  start=$(wt_now)
  while :; do
    import -window root "$WT_WORK/screen.png" 2>/dev/null || return 1
    now=$(convert "$WT_WORK/screen.png" -crop "${w}x${h}+${x}+${y}" +repage rgb:- | md5sum)
    [ "$now" = "$before" ] && break
    wt_elapsed_over "$start" 30 && break
    before=$now
    sleep 0.2
  done
  convert "$WT_WORK/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$1"
}

# The frozen window as it is, as `file` (no waiting: it cannot change).
wt_shot_now() {  # file
  import -window root "$WT_WORK/screen.png" 2>/dev/null &&
    convert "$WT_WORK/screen.png" -crop "${WT_W}x${WT_H}+${WT_X}+${WT_Y}" +repage "$1"
}

# The installer's process holds still (its window stays as it is) while a
# screenshot is taken, and goes on afterwards.
wt_freeze() { kill -STOP "$WT_PID"; }
wt_thaw() { kill -CONT "$WT_PID"; }

# Waits until the window shows the installation with the bar on its way
# (so a status of the installation shows too), and holds the installer
# still on such a frame: a whole installing frame, not one half way to the
# next phase. Returns with the installer frozen (wt_thaw lets it go on);
# false, not frozen, when no such frame came within `seconds`.
wt_hold_installing() {  # seconds
  local start
  start=$(wt_now)
  while :; do
    wt_elapsed_over "$start" "$1" && return 1
    kill -0 "$WT_PID" 2>/dev/null || return 1
    wt_grab || continue
    [ "$(wt_phase)" = finished ] && return 1
    [ "$(wt_phase)" = installing ] && wt_is_blue bar_middle || continue
    wt_freeze
    wt_grab && [ "$(wt_phase)" = installing ] && wt_is_blue bar_start && wt_is_blue bar_middle && return 0
    wt_thaw
  done
}

# Clicks "极速安装" and photographs the installation in progress as `file`.
wt_install_and_catch() {  # installing.png
  wt_click $WT_INSTALL_BUTTON
  wt_hold_installing 60 || return 1
  wt_shot_now "$1"
  local shot=$?
  wt_thaw
  return $shot
}

# Clicks "立即运行" once the installation is seen finished. The button takes
# no press within the double-click time after it appears (500 ms in a new
# prefix), so that the second click of a double click on "极速安装" never
# runs the program: a user's later click is what this is.
wt_click_run() {
  wt_wait_until 180 wt_finished || return 1
  sleep 0.6
  wt_click $WT_RUN_BUTTON
}

# The four links the installer makes, as Linux paths.
wt_links() {
  printf '%s\n' "$WT_PROGRAMS/$WT_PRODUCT/$WT_PRODUCT.lnk" "$WT_PROGRAMS/$WT_PRODUCT/卸载$WT_PRODUCT.lnk" \
    "$WT_PROGRAMS/$WT_PRODUCT.lnk" "$WT_DESKTOP/$WT_PRODUCT.lnk"
}
wt_links_exist() {
  local link
  while IFS= read -r link; do [ -f "$link" ] || return 1; done < <(wt_links)
}

# Finished: the window shows the run button, Uninstall.dat and the links exist.
wt_finished() {
  [ -f "$WT_FOLDER/Uninstall.dat" ] && wt_links_exist && wt_grab && [ "$(wt_phase)" = finished ]
}

# One registry value of the uninstall key as text ("" when missing).
wt_reg_value() {  # name
  # reg prints in the prefix's code page, 936.
  "$WT_WINE" reg query "$WT_KEY" /v "$1" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}

# The installed tree is exactly the archive's members with their sizes, and
# Uninstall.dat (the temporary archive is gone). Prints what is wrong and
# returns 1 otherwise.
wt_installed_tree() {  # payload.zip
  local expected name size installed
  expected=$(python3 - "$1" <<'EOF'
import sys, zipfile
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    print(info.filename, info.file_size)
print("Uninstall.dat")
EOF
  ) || { echo "cannot read the archive $1"; return 1; }
  [ "$(echo "$expected" | wc -l)" = 9 ] || { echo "the archive does not hold 8 members: $expected"; return 1; }
  while read -r name size; do
    [ -f "$WT_FOLDER/$name" ] || { echo "$name not installed"; return 1; }
    [ -z "$size" ] || [ "$(stat -c %s "$WT_FOLDER/$name")" = "$size" ] ||
      { echo "$name has $(stat -c %s "$WT_FOLDER/$name") bytes, expected $size"; return 1; }
  done <<<"$expected"
  installed=$(cd "$WT_FOLDER" && ls -A | LC_ALL=C sort)
  [ "$installed" = "$(echo "$expected" | cut -d' ' -f1 | LC_ALL=C sort)" ] ||
    { echo "the folder holds: $installed"; return 1; }
}
