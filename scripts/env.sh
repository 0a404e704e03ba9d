# Shared set-up for scripts/test, scripts/run and scripts/bench (sourced).
#
# Two build trees from the same sources, each with every program, test and
# benchmark:
#   build/x86  32-bit: the product users run, qingwu_setup.exe (PE32); its
#              tests run under the 32-bit Wine loader;
#   build/x64  64-bit: the same program and tests as 64-bit Windows
#              programs, run under wine64.
# Some machines cannot execute 32-bit x86 code at all: there the 32-bit tree
# is still built (so that it keeps compiling) but only the 64-bit tests run.
set -euo pipefail

QW_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QW_BUILD_DIR="${QW_BUILD_DIR:-$QW_ROOT/build}"
QW_X86_DIR="$QW_BUILD_DIR/x86"
QW_X64_DIR="$QW_BUILD_DIR/x64"
QW_WINE32=/usr/lib/wine/wine
QW_WINE64=/usr/lib/wine/wine64
export QW_ROOT QW_BUILD_DIR QW_X86_DIR QW_X64_DIR QW_WINE32 QW_WINE64

configure_tree() {  # dir toolchain extra-args...
  local dir=$1 toolchain=$2
  shift 2
  # Always configured: a tree made by an older script may hold other cache
  # values (cheap when nothing changed).
  cmake -S "$QW_ROOT" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$QW_ROOT/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

configure_trees() {
  configure_tree "$QW_X86_DIR" toolchain-i686-mingw.cmake -DQW_BUILD_TESTS=ON \
    -DQW_PRODUCT_DIR="$QW_X86_DIR"
  configure_tree "$QW_X64_DIR" toolchain-x86_64-mingw.cmake -DQW_BUILD_TESTS=ON \
    -DQW_PRODUCT_DIR="$QW_X86_DIR"
}

# Builds both trees (targets: all, or as given).
configure_and_build() {
  configure_trees
  cmake --build "$QW_X86_DIR" "$@"
  cmake --build "$QW_X64_DIR" "$@"
}

# True where this machine executes 32-bit x86 code (and so 32-bit Wine).
can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Environment every Wine process of this build gets.
wine_env() {
  export WINEPREFIX="$QW_BUILD_DIR/wineprefix"
  export WINEDEBUG=-all
  export LC_ALL=zh_CN.UTF-8 2>/dev/null
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  # Desktop and Documents of a new prefix link into $HOME: keep them in the build.
  export HOME="$QW_BUILD_DIR/home"
  export WINE64=$QW_WINE64
  mkdir -p "$HOME"
}

# Creates the build's Wine prefix once: code page 936, the 宋体 font mapping,
# and unmanaged X windows (without a window manager, hiding a managed window
# waits two seconds for a withdrawal that never comes).
prepare_wine() {
  wine_env
  if [ ! -f "$WINEPREFIX/.qw-ready-3" ]; then
    rm -rf "$WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    for face in 宋体 SimSun; do
      "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A crashing test prints its backtrace and ends, instead of waiting for
    # someone to close a crash dialog until the test's time runs out.
    "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w || true
    touch "$WINEPREFIX/.qw-ready-3"
  fi
}

# Starts a virtual display when none is usable; it ends with this shell.
start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -e "/tmp/.X11-unix/X${DISPLAY#*:}" ]; then return; fi
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QW_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 200); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    trap 'kill $QW_XVFB_PID 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
    return
  done
  echo "no free display number" >&2
  return 1
}

# Starts a compositing manager on the virtual display, so that layered
# windows show their per-pixel alpha (menu shadows, translucency) in
# screenshots the way a desktop shows them; without one, X shows the
# transparent pixels black. It ends with the display.
start_compositor() {
  command -v xcompmgr >/dev/null 2>&1 || return 0
  xcompmgr -n >/dev/null 2>&1 &
}
