#!/usr/bin/env bash
# qingwu.exe as a screen reader meets it, from a process of its own
# (tests/tools/a11ytool) under Wine, in a clean prefix: the window's tree
# (buttons named by their captions without the access-key marker, the
# caption buttons by their commands, the edit boxes and the progress bar);
# the settings menu opened by the settings button's default action; the
# menu's own window read the same way (items without "&", the toggles'
# checked states, separators; its start and end heard by a WinEvent hook);
# an item's default action toggles its option
# (settings.ini, and the checked state when the menu opens again); the
# caption's close button's default action ends the program with 0.
# Where the platform cannot hand the window's object to another process
# (Wine's 64-bit oleacc) the test says so with the HRESULT and skips (77).
#   accessibility_window_test.sh <qingwu.exe> <qwcore.dll> <uninst.exe> <wintool.exe> <a11ytool.exe>
set -u
exe=$1 core=$2 uninst=$3 wintool=$4 a11ytool=$5
WT_WINE=${QW_WINE:-/usr/lib/wine/wine64}
WT_WINTOOL=$wintool
WT_WORK=${QW_BUILD_DIR:?}/tests/payload/accessibility
source "${QW_SOURCE_DIR:?}/scripts/walkthrough.sh"
pid=
fail() {
  echo "FAIL: $*"
  import -window root "$WT_WORK/failure.png" 2>/dev/null && echo "screen: $WT_WORK/failure.png"
  wt_stop_all
  exit 1
}
a11y() { "$WT_WINE" "$a11ytool" "$@"; }
read_tree() {  # window
  TREE=$(a11y tree "$1" 30000)
  local code=$?
  if [ $code = 77 ]; then
    echo "SKIP: qingwu.exe's window hands out no accessibility object here: $TREE"
    wt_stop_all
    exit 77
  fi
  [ $code = 0 ] || fail "no tree of $1: $TREE"
}
node() { awk -F'\t' -v n="$1" '$3 == n { print; exit }' <<<"$TREE"; }
field() { cut -f"$2" <<<"$1"; }
expect_node() {  # name role action [state...]
  local line state
  line=$(node "$1")
  [ -n "$line" ] || fail "no node named $1 in the tree:
$TREE"
  [ "$(field "$line" 2)" = "$2" ] || fail "$1 has the role $(field "$line" 2), expected $2"
  [ "$(field "$line" 7)" = "$3" ] || fail "$1 has the default action '$(field "$line" 7)', expected '$3'"
  for state in "${@:4}"; do
    case ",$(field "$line" 5)," in *,"$state",*) ;; *) fail "$1 is not $state: '$(field "$line" 5)'" ;; esac
  done
  NODE=$line
}
not_state() {  # line state
  case ",$(field "$1" 5)," in *,"$2",*) fail "$(field "$1" 3) is $2" ;; esac
}
ini_has() { [ -f "$data/settings.ini" ] && tr -d '\r' <"$data/settings.ini" | grep -qx "$1"; }

wt_fresh_prefix || fail "no fresh Wine prefix"
data="$WT_C/users/$WT_USER/AppData/Roaming/Qingwu"
rm -rf "$WT_WORK/app"
mkdir -p "$WT_WORK/app"
cp "$exe" "$core" "$uninst" "$WT_WORK/app/"
cp "$QW_SOURCE_DIR"/payload/data/* "$WT_WORK/app/"
"$WT_WINE" "$WT_WORK/app/qingwu.exe" &
pid=$!
geometry=$(set -o pipefail; wt_tool wait QingwuAccelerator 60000 | tr -d '\r') || fail "no window: $geometry"

# --- The window -------------------------------------------------------------------
read_tree QingwuAccelerator
[ "$(field "$(head -n 1 <<<"$TREE")" 6)" = "$geometry" ] || fail "the client is not at the window's place $geometry"
expect_node "设置(M)" pushbutton 按下 focusable
expect_node "检查文件(C)" pushbutton 按下 focusable
expect_node "保存(S)" pushbutton 按下
expect_node 关闭 pushbutton 按下
expect_node 最小化 pushbutton 按下
expect_node 安装检查 statictext ""
expect_node 关闭窗口时自动保存 text "" focusable
awk -F'\t' '$2 == "text" && $5 ~ /readonly/' <<<"$TREE" | grep -q . || fail "no read-only text (the action log)"
awk -F'\t' '$2 == "progressbar"' <<<"$TREE" | grep -q . || fail "no progress bar"
! cut -f3 <<<"$TREE" | grep -q '&' || fail "a name keeps its access-key marker: $(cut -f3 <<<"$TREE" | grep '&')"

# --- The settings menu, opened by the settings button's default action --------------
# The window takes no input while it fades in: the action is repeated until
# the menu shows.
open_menu() {
  a11y do QingwuAccelerator "设置(M)" 5000 >/dev/null &&
    wt_tool wait Zq_DirectUI 2000 >/dev/null
}
# The menu's start and end are heard by a WinEvent hook.
events=$WT_WORK/events.txt
rm -f "$events"
touch "$WT_WORK/recording"
a11y events QingwuAccelerator "Z:$events" "Z:$WT_WORK/recording" 30000 >"$WT_WORK/recorder.out" 2>&1 &
recorder=$!
wt_wait_until 60 grep -q '^ready' "$events" 2>/dev/null || fail "the event recorder never got ready"
wt_wait_until 60 open_menu || fail "the settings button's default action never opened the menu"
read_tree Zq_DirectUI
expect_node "窗口置顶(T)" menuitem 执行
not_state "$NODE" checked
expect_node "记录操作(R)" menuitem 执行 checked
expect_node "打开(O)" menuitem 执行
expect_node "清空操作记录(L)" menuitem 执行
expect_node "退出(X)" menuitem 执行
[ "$(awk -F'\t' '$2 == "separator"' <<<"$TREE" | wc -l)" = 2 ] || fail "the menu does not list two separators:
$TREE"
! cut -f3 <<<"$TREE" | grep -q '&' || fail "a menu item keeps its access-key marker"

# The recorder describes the menu's start by asking the menu window, so it
# must have done so before the item closes the menu.
wt_wait_until 30 grep -q '^menupopupstart' "$events" || fail "the menu's start was not heard: $(cat "$events")"
# An item's default action: the option turns on, the menu closes.
out=$(a11y do Zq_DirectUI "窗口置顶(T)" 10000) || fail "the item's default action failed: $out"
wt_wait_until 30 ini_has always_on_top=1 || fail "窗口置顶 was not turned on"
wt_tool gone Zq_DirectUI 30000 >/dev/null || fail "the menu stayed open"
wt_wait_until 30 grep -q '^menupopupend' "$events" || fail "the menu's end was not heard: $(cat "$events")"
rm -f "$WT_WORK/recording"
wait "$recorder"
heard=$(grep -E '^menupopup(start|end)' "$events" | cut -f1 | tr '\n' ' ')
[ "$heard" = "menupopupstart menupopupend " ] || fail "the menu was heard as: $heard"
grep -qP '^menupopupstart\tZq_DirectUI_Menu\t' "$events" || fail "the menu's start does not name its window: $(cat "$events")"
# Opened again, the item reads checked; its action turns the option off.
wt_wait_until 60 open_menu || fail "the menu did not open again"
read_tree Zq_DirectUI
expect_node "窗口置顶(T)" menuitem 执行 checked
a11y do Zq_DirectUI "窗口置顶(T)" 10000 >/dev/null || fail "the item's second default action failed"
wt_wait_until 30 ini_has always_on_top=0 || fail "窗口置顶 was not turned off"
wt_tool gone Zq_DirectUI 30000 >/dev/null || fail "the menu stayed open"

# --- The caption's close button ----------------------------------------------------
a11y do QingwuAccelerator 关闭 10000 >/dev/null || fail "the close button's default action failed"
wt_wait_exit 60 "$pid" || fail "qingwu.exe did not end after the close button's default action"
[ "$WT_CODE" = 0 ] || fail "qingwu.exe ended with exit code $WT_CODE"
wt_stop_all
echo "1 passed, 0 failed"
