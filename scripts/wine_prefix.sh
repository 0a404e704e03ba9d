# Wine prefixes for the black-box tests: one pristine prefix per build
# tree, made once, and cheap fresh copies of it for each run.
#
# A new prefix holds about 1.3 GB, almost all of it the system DLLs in
# drive_c/windows/{system32,syswow64,winsxs}. Wine only reads those, so a
# copy hard-links them and copies everything else (registry, users,
# Program Files): a run's prefix costs tens of megabytes instead of a
# full prefix, and a test run fits on a nearly full disk.

# The folders whose files a copy shares with the pristine prefix.
QW_SHARED_PREFIX_DIRS=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)

# qw_pristine_prefix <wine loader> <dir>: makes the pristine prefix in
# <dir> unless it is there and was made by this Wine: code page 936 comes
# from LC_ALL, 宋体 is mapped to the installed CJK font, X windows are
# unmanaged. Serialised with a lock beside <dir>.
qw_pristine_prefix() {
  local wine=$1 pristine=$2 version
  version=$("$wine" --version 2>/dev/null)
  mkdir -p "$(dirname "$pristine")"
  (
    flock 9
    if [ ! -f "$pristine/.qw-ready" ] || [ "$(cat "$pristine/.qw-ready")" != "$version" ]; then
      echo "[prefix] making a pristine Wine prefix (once): $pristine" >&2
      rm -rf "$pristine"
      WINEPREFIX=$pristine "$wine" wineboot -i >/dev/null 2>&1
      for face in 宋体 SimSun; do
        WINEPREFIX=$pristine "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
          /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
      done
      WINEPREFIX=$pristine "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N \
        /f >/dev/null 2>&1
      WINEPREFIX=$pristine wineserver -w
      echo "$version" > "$pristine/.qw-ready"
    fi
  ) 9>"$pristine.lock"
}

# qw_copy_prefix <pristine> <dest>: a fresh prefix in <dest> (whatever was
# there is removed); fails when the copy is incomplete, e.g. on a full disk.
qw_copy_prefix() {
  local pristine=$1 dest=$2 dir excludes=()
  [ -d "$dest" ] && WINEPREFIX=$dest wineserver -k 2>/dev/null
  rm -rf "$dest"
  mkdir -p "$dest" || return 1
  for dir in "${QW_SHARED_PREFIX_DIRS[@]}"; do excludes+=(--exclude="./$dir"); done
  # Everything but the shared folders, copied...
  tar -C "$pristine" "${excludes[@]}" -cf - . | tar -C "$dest" -xpf - || return 1
  # ...and the shared folders' files hard-linked.
  for dir in "${QW_SHARED_PREFIX_DIRS[@]}"; do
    [ -d "$pristine/$dir" ] || continue
    cp -al "$pristine/$dir" "$dest/$dir" || return 1
  done
}
