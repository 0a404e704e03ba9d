#!/usr/bin/env bash
# The product is one statically linked 32-bit GUI executable that imports
# only the system's known DLLs (and comctl32), with a manifest that asks
# for administrator rights and common controls 6; it and the programs it
# carries declare per-monitor DPI awareness. The loader resolves only
# kernel32; every other import is bound by the program's own entry point
# (cmake/defer_imports.py, ui/platform/process_entry.cpp).
#   product_binary_test.sh <qingwu_setup.exe> [carried programs and DLLs...]
set -u
export LC_ALL=C  # tool output is parsed below: no translations
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$exe" ] || fail "no product at $exe"
headers=$(i686-w64-mingw32-objdump -p "$exe") || fail "objdump failed"
grep -q 'file format pei-i386' <<<"$headers" || fail "not PE32 i386"
grep -Eq 'Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not the GUI subsystem"
dlls=$(grep -i 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort -u)
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll imm32.dll comdlg32.dll shlwapi.dll comctl32.dll msvcrt.dll"
for d in $dlls; do
  case " $allowed " in *" $d "*) ;; *) fail "imports $d at load time" ;; esac
done
grep -q 'gdiplus' <<<"$dlls" && fail "gdiplus imported at load time"
[ "$dlls" = kernel32.dll ] || fail "the loader resolves imports of $(echo $dlls), not only kernel32.dll"
listing=$(python3 "${QW_SOURCE_DIR:?}/cmake/defer_imports.py" --list "$exe") || fail "cannot read the imports"
deferred=$(sed -n 's/^deferred: //p' <<<"$listing" | tr 'A-Z ' 'a-z\n' | sort -u)
for d in $deferred; do
  case " $allowed " in *" $d "*) ;; *) fail "imports $d" ;; esac
done
for d in user32.dll gdi32.dll msvcrt.dll; do
  grep -qx "$d" <<<"$deferred" || fail "$d is not among the imports the entry point binds: $(echo $deferred)"
done
grep -qa 'requireAdministrator' "$exe" || fail "manifest lacks requireAdministrator"
grep -qa 'Microsoft.Windows.Common-Controls' "$exe" || fail "manifest lacks common controls"
grep -qa 'version="6.0.0.0"' "$exe" || fail "manifest lacks version 6.0.0.0"
# Every program and library of the installation (the installer itself and
# the carried programs given after it) declares the supported systems and
# carries no link time.
for file in "$@"; do
  [ -f "$file" ] || fail "no such file: $file"
  case "$file" in
    *.exe) for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
             1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
             grep -qa "supportedOS Id=\"{$os}\"" "$file" || fail "$file: manifest lacks supportedOS {$os}"
           done
           # Drawn at the display's scale: per-monitor aware (v2, then v1),
           # system-aware where only the older entry is known; each entry in
           # the namespace the system reads it from, or it is ignored.
           settings=$(python3 "${QW_SOURCE_DIR:?}/tests/app/manifest_settings.py" "$file") ||
             fail "$file: no readable manifest"
           grep -qx '2005:dpiAware=true/pm' <<<"$settings" ||
             fail "$file: manifest lacks <dpiAware>true/pm</dpiAware> (2005 namespace): $settings"
           grep -qx '2016:dpiAwareness=PerMonitorV2, PerMonitor' <<<"$settings" ||
             fail "$file: manifest lacks <dpiAwareness>PerMonitorV2, PerMonitor</dpiAwareness> (2016 namespace): $settings"
           ;;
  esac
  # Reproducible: the header's link-time field (4 bytes, 8 after the
  # "PE\0\0" signature whose offset sits at 0x3C) is zero.
  pe=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  [ "$(od -An -tx1 -j"$pe" -N4 "$file" | tr -d ' ')" = 50450000 ] || fail "$file: no PE signature at $pe"
  stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$file" | tr -d ' ')
  [ "$stamp" = 0 ] || fail "$file: the PE header carries a link time ($stamp)"
done
echo "imports: $(echo $dlls); bound by the entry point: $(echo $deferred)"
echo "1 passed, 0 failed"
