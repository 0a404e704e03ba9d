#include "app/form/zip_memory_source.h"

#include <cstring>

namespace app::form {

namespace {

ZipMemoryCursor& CursorOf(voidpf stream) { return *static_cast<ZipMemoryCursor*>(stream); }

// The cursor is both the opaque value and the stream; the name is unused.
voidpf ZCALLBACK OpenMemory(voidpf opaque, const void* /*name*/, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  CursorOf(opaque).position = 0;
  CursorOf(opaque).readPastEnd = false;
  return opaque;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
  ZipMemoryCursor& cursor = CursorOf(stream);
  const std::uint64_t left = cursor.bytes.size() - cursor.position;
  const uLong n = left < size ? static_cast<uLong>(left) : size;
  if (n > 0) std::memcpy(buffer, cursor.bytes.data() + cursor.position, n);
  cursor.position += n;
  if (n < size) cursor.readPastEnd = true;
  return n;
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) { return CursorOf(stream).position; }

long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  ZipMemoryCursor& cursor = CursorOf(stream);
  const std::uint64_t size = cursor.bytes.size();
  std::uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = cursor.position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = size; break;
    default: return -1;
  }
  // Written so that a huge offset cannot wrap around.
  if (offset > size - base) return -1;
  cursor.position = base + offset;
  return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) { return 0; }

int ZCALLBACK MemoryError(voidpf, voidpf stream) { return CursorOf(stream).readPastEnd ? 1 : 0; }

}  // namespace

zlib_filefunc64_def MemoryFileFunctions(ZipMemoryCursor& cursor) {
  zlib_filefunc64_def io{};
  io.zopen64_file = &OpenMemory;
  io.zread_file = &ReadMemory;
  io.zwrite_file = &WriteMemory;
  io.ztell64_file = &TellMemory;
  io.zseek64_file = &SeekMemory;
  io.zclose_file = &CloseMemory;
  io.zerror_file = &MemoryError;
  io.opaque = &cursor;
  return io;
}

}  // namespace app::form
