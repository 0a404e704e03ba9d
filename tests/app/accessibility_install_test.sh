#!/usr/bin/env bash
# The installer as a screen reader meets it, from a process of its own
# (tests/tools/a11ytool) under Wine on the X display, in a clean prefix:
#   install   the Ready tree: 极速安装, 浏览, the close button, the folder
#             field with the default folder, each a named, focusable node at
#             the window's place on the screen; a Tab is heard as a focus
#             event naming the element that took the focus; then an
#             installation through the default action of 极速安装 alone (no
#             mouse): the progress bar reads a percentage and the status line
#             its text while it installs, the hook hears the values rise and
#             the status change to 完成安装, 立即运行 shows and takes the focus, and its
#             default action starts qingwu.exe and ends the installer with 0.
#   ready-144 the Ready tree at 144 DPI: the same nodes at 1.5 times the places
#             and sizes, in device pixels.
# Where the platform cannot hand the window's object to another process
# (Wine's 64-bit oleacc) the test says so with the HRESULT and skips (77).
#   accessibility_install_test.sh <qingwu_setup.exe> <wintool.exe> <a11ytool.exe> <case>
set -u
exe=$1 wintool=$2 a11ytool=$3 case=$4
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/app/accessibility/$case
WT_DPI=96
[ "$case" = ready-144 ] && WT_DPI=144
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
fail() {
  rm -f "$WT_WORK/recording"
  wt_failed "FAIL: $*"
  exit 1
}
a11y() { "$WT_WINE" "$a11ytool" "$@"; }

# The installer's tree (TREE); skips when the window's object cannot be had.
read_tree() {
  TREE=$(a11y tree "$WT_FORM_CLASS" 30000)
  local code=$?
  if [ $code = 77 ]; then
    echo "SKIP: the installer's window hands out no accessibility object here: $TREE"
    wt_stop_all
    exit 77
  fi
  [ $code = 0 ] || fail "no tree: $TREE"
}
# The tree's line of the node named $1 (fields: depth role name value states location action).
node() { awk -F'\t' -v n="$1" '$3 == n { print; exit }' <<<"$TREE"; }
field() { cut -f"$2" <<<"$1"; }
# A node at logical window place x y w h, in screen device pixels.
expect_place() {  # line what x y w h
  local got want_x want_y want_w want_h gx gy gw gh
  got=$(field "$1" 6)
  read -r gx gy gw gh <<<"$got"
  want_x=$((WT_X + $(wt_scaled "$3"))) want_y=$((WT_Y + $(wt_scaled "$4")))
  want_w=$(wt_scaled "$5") want_h=$(wt_scaled "$6")
  # Sizes at a fractional scale may take one pixel more where an edge rounds.
  local slack=0
  [ "$WT_DPI" = 96 ] || slack=1
  [ "$gx" = "$want_x" ] && [ "$gy" = "$want_y" ] && [ $((gw - want_w)) -ge 0 ] && [ $((gw - want_w)) -le $slack ] &&
    [ $((gh - want_h)) -ge 0 ] && [ $((gh - want_h)) -le $slack ] ||
    fail "$2 is at '$got', expected $want_x $want_y $want_w $want_h (window at $WT_X,$WT_Y, $WT_DPI DPI)"
}
expect_node() {  # name role action
  local line
  line=$(node "$1")
  [ -n "$line" ] || fail "no node named $1 in the tree:
$TREE"
  [ "$(field "$line" 2)" = "$2" ] || fail "$1 has the role $(field "$line" 2), expected $2"
  [ "$(field "$line" 7)" = "$3" ] || fail "$1 has the default action '$(field "$line" 7)', expected '$3'"
  case ",$(field "$line" 5)," in *,focusable,*) ;; *) fail "$1 is not focusable: $(field "$line" 5)" ;; esac
  case ",$(field "$line" 5)," in *,invisible,* | *,unavailable,*) fail "$1 is $(field "$line" 5)" ;; esac
  NODE=$line
}

wt_display_at_least "$(wt_scaled 588)" "$(wt_scaled 438)" || fail "no display large enough"
trap wt_close_display EXIT
wt_fresh_prefix || fail "no fresh Wine prefix"
wt_start_installer "$exe" || fail "no installer window of the expected size"
wt_wait_phase ready 60 || fail "the window never showed the ready layout"

# --- Ready ----------------------------------------------------------------------
read_tree
root=$(head -n 1 <<<"$TREE")
[ "$(field "$root" 2)" = client ] || fail "the tree does not start at the client: $root"
[ "$(field "$root" 6)" = "$WT_X $WT_Y $WT_W $WT_H" ] ||
  fail "the client is at $(field "$root" 6), the window at $WT_X $WT_Y $WT_W $WT_H"
expect_node 极速安装 pushbutton 按下
expect_place "$NODE" 极速安装 190 360 200 50
expect_node 浏览 pushbutton 按下
expect_place "$NODE" 浏览 508 305 58 28
expect_node 关闭 pushbutton 按下
expect_place "$NODE" "the close button" 554 3 30 30
folder=$(awk -F'\t' '$2 == "text" { print; exit }' <<<"$TREE")
[ -n "$folder" ] || fail "no editable text in the tree"
[ "$(field "$folder" 4)" = "C:\\$WT_PRODUCT\\" ] || fail "the folder field reads '$(field "$folder" 4)'"
[ "$(field "$folder" 3)" = 安装位置： ] || fail "the folder field is named '$(field "$folder" 3)', not by its label"
case ",$(field "$folder" 5)," in *,focusable,*) ;; *) fail "the folder field is not focusable" ;; esac
expect_place "$folder" "the folder field" 28 304 474 30
# The label drawn over the frames is read too, as static text.
[ "$(field "$(node 安装位置：)" 2)" = statictext ] || fail "the folder's label is not listed as static text"
expect_place "$(node 安装位置：)" "the folder's label" 28 280 62 24
# Nothing that does not show is listed: no run button, no progress bar yet.
[ -z "$(node 立即运行)" ] || fail "the hidden run button is listed"
awk -F'\t' '$2 == "progressbar"' <<<"$TREE" | grep -q . && fail "the hidden progress bar is listed"
# Hit testing at the centre of 极速安装 finds it.
hit=$(a11y hit "$WT_FORM_CLASS" $((WT_X + $(wt_scaled 290))) $((WT_Y + $(wt_scaled 385))))
[ "$hit" = 极速安装 ] || fail "the point inside 极速安装 hits '$hit'"

if [ "$case" = ready-144 ]; then
  wt_stop_all
  echo "1 passed, 0 failed"
  exit 0
fi

# --- The WinEvents of the installation ------------------------------------------------
events=$WT_WORK/events.txt
rm -f "$events"
touch "$WT_WORK/recording"
a11y events "$WT_FORM_CLASS" "Z:$events" "Z:$WT_WORK/recording" 30000 >"$WT_WORK/recorder.out" 2>&1 &
recorder=$!
wt_wait_until 60 grep -q '^ready' "$events" 2>/dev/null || fail "the event recorder never got ready"

# A Tab moves the focus; the hook hears the element that took it, by name.
# (The focused node's line: role, name and value tell it apart from the others.)
before=$(a11y focus "$WT_FORM_CLASS" line)
xdotool key Tab
moved_focus() { focused=$(a11y focus "$WT_FORM_CLASS" line) && [ "$focused" != "$before" ]; }
wt_wait_until 30 moved_focus || fail "the focus did not move on a Tab: '$before' -> '$focused'"
heard_as=$(printf 'focus\t%s\t%s\t%s' "$(field "$focused" 3)" "$(field "$focused" 4)" "$(field "$focused" 2)")
wt_wait_until 30 grep -qxF "$heard_as" "$events" ||
  fail "no focus event for '$focused' after the Tab: $(cat "$events")"
echo "the Tab moved the focus to: $focused"

# --- Installing, started by the default action alone ------------------------------------
moved=$(xdotool getmouselocation)
out=$(a11y do "$WT_FORM_CLASS" 极速安装 30000) || fail "the default action of 极速安装 failed: $out"
percent=""
saw_installing() {
  read_tree
  local bar
  bar=$(awk -F'\t' '$2 == "progressbar" { print; exit }' <<<"$TREE")
  [ -n "$bar" ] && percent=$(field "$bar" 4) && [[ "$percent" =~ ^[0-9]+%$ ]] &&
    status=$(awk -F'\t' '$2 == "statictext" && $3 ~ /^正在/ { print $3; exit }' <<<"$TREE") && [ -n "$status" ]
}
wt_wait_until 120 saw_installing || fail "no percentage of the progress bar and status line while installing:
$TREE"
echo "installing: the bar reads $percent, the status line $status"
[ "$(xdotool getmouselocation)" = "$moved" ] || fail "the mouse moved"

# --- Finished -----------------------------------------------------------------------
finished_tree() {
  read_tree
  local run
  run=$(node 立即运行)
  [ -n "$run" ] && case ",$(field "$run" 5)," in *,focusable,*) true ;; *) false ;; esac
}
wt_wait_until 180 finished_tree || fail "立即运行 never came focusable:
$TREE"
expect_node 立即运行 pushbutton 按下
[ -z "$(node 极速安装)" ] || fail "极速安装 is still listed once finished"
[ "$(field "$(node 完成安装)" 2)" = statictext ] || fail "the status line does not read 完成安装"
# The recorder describes each event by asking the installer, so it must have
# written the run button's show and focus before the installer ends: on a
# busy machine it can lag behind the window by seconds.
wt_wait_until 60 grep -qP '^focus\t立即运行\t' "$events" ||
  fail "the focus on 立即运行 was not heard: $(cat "$events")"
# The run button takes no press in the double-click time after it shows: the
# default action is repeated until the installer ends.
run_now() {
  a11y do "$WT_FORM_CLASS" 立即运行 2000 >/dev/null 2>&1
  wt_wait_exit 2
}
wt_wait_until 60 run_now || fail "立即运行's default action never ended the installer"
[ "$WT_CODE" = 0 ] || fail "the installer ended with exit code $WT_CODE"
wt_tool waitexe qingwu.exe 60000 >/dev/null || fail "qingwu.exe showed no window"

# The recorder ends with the installer's process.
wt_wait_until 60 grep -q '^end' "$events" || fail "the recorder did not end with the installer"
wait "$recorder"
rm -f "$WT_WORK/recording"
# The bar's values were heard, as percentages, never falling, up to 100 %.
values=$(awk -F'\t' '$1 == "valuechange" && $4 == "progressbar" { sub(/%$/, "", $3); print $3 }' "$events")
[ "$(wc -l <<<"$values")" -ge 3 ] || fail "too few value changes of the progress bar: $(cat "$events")"
sort -n -c <<<"$values" 2>/dev/null || fail "the progress values fell: $(echo $values)"
[ "$(tail -n 1 <<<"$values")" = 100 ] || fail "the last progress value is $(tail -n 1 <<<"$values")"
# The status line's changes were heard, ending with 完成安装.
statuses=$(awk -F'\t' '$1 == "namechange" && $4 == "statictext" { print $2 }' "$events")
grep -q '^正在' <<<"$statuses" || fail "no status line change was heard while installing: $(cat "$events")"
[ "$(tail -n 1 <<<"$statuses")" = 完成安装 ] || fail "the last status heard is not 完成安装: $statuses"
shown_at=$(grep -nP '^show\t立即运行\t' "$events" | head -n 1 | cut -d: -f1)
[ -n "$shown_at" ] || fail "the run button's appearance was not heard: $(cat "$events")"
# Once finished the focus goes to 立即运行, and a screen reader hears it.
focused_at=$(grep -nP '^focus\t立即运行\t' "$events" | head -n 1 | cut -d: -f1)
[ -n "$focused_at" ] && [ "$focused_at" -gt "$shown_at" ] ||
  fail "the focus on 立即运行 was not heard after it showed: $(cat "$events")"
wt_stop_all
echo "1 passed, 0 failed"
