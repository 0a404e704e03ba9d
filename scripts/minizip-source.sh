# The minizip sources come from one exact zlib source tarball of Debian 12
# (sourced by scripts/install-deps and by its test). A different tarball,
# a newer upload or a damaged download, stops the build with a message
# instead of compiling sources nobody has checked.
QW_MINIZIP_RELEASE=zlib/bookworm
QW_MINIZIP_TARBALL=zlib_1.2.13.dfsg.orig.tar.bz2
QW_MINIZIP_SHA256=71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1

# True when `file` is the pinned tarball; otherwise says why on stderr.
verify_minizip_tarball() {  # file
  local file=$1 name sum
  name=$(basename "$file")
  if [ "$name" != "$QW_MINIZIP_TARBALL" ]; then
    echo "minizip sources: expected $QW_MINIZIP_TARBALL from $QW_MINIZIP_RELEASE, got '$name'." >&2
    echo "The zlib source package changed version; check the new sources and update scripts/minizip-source.sh." >&2
    return 1
  fi
  sum=$(sha256sum "$file" | cut -d' ' -f1)
  if [ "$sum" != "$QW_MINIZIP_SHA256" ]; then
    echo "minizip sources: $name has SHA-256 $sum, expected $QW_MINIZIP_SHA256." >&2
    echo "The download is damaged or not the checked tarball; nothing was unpacked." >&2
    return 1
  fi
}
