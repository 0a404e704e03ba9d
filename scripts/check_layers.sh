#!/usr/bin/env bash
# check_layers.sh [tree]: checks which layers of the UI library each layer's
# files include, in the source tree `tree` (default: this checkout). Prints
# every offending include as file:line and exits 1 when there is any.
#   ui/platform  includes only ui/platform (and system headers);
#   ui/core      includes only ui/core and ui/platform;
#   ui/host      includes nothing from ui/controls;
#   all of ui/   names includes from the source root, never by "../" or "./",
#                so that no path slips past the rules above.
set -u
root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root" || { echo "check_layers: no tree at $root"; exit 2; }
for layer in platform core host element controls; do
  [ -d "ui/$layer" ] || { echo "check_layers: $root has no ui/$layer"; exit 2; }
done

status=0
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]'

# report <rule> <extended regex of the included path> <directory>
report() {
  local rule=$1 target=$2 dir=$3 hits
  hits=$(grep -rnIE "$include$target" "$dir")
  [ -z "$hits" ] && return
  status=1
  while IFS= read -r hit; do
    # file:line:text -> file:line: rule (text)
    local where=${hit%%:*}
    local rest=${hit#*:}
    local line=${rest%%:*}
    local text=${rest#*:}
    echo "$where:$line: $rule: $(echo "$text" | sed 's/^[[:space:]]*//')"
  done <<<"$hits"
}

report "ui/platform includes only ui/platform" 'ui/(core|host|element|controls)/' ui/platform
report "ui/core includes only ui/core and ui/platform" 'ui/(host|element|controls)/' ui/core
report "ui/host includes nothing from ui/controls" 'ui/controls/' ui/host
report "includes in ui/ are named from the source root" '\.\.?/' ui

if [ "$status" = 0 ]; then
  echo "layer includes: ok"
else
  echo "FAIL: includes that break the library's layering (above)"
fi
exit $status
