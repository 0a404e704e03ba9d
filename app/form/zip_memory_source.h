#pragma once
// Lets minizip read an archive straight from bytes in memory: file
// functions over a read-only range, so nothing is copied up front and the
// reader works exactly as it does on a file.
#include <ioapi.h>

#include <cstdint>

#include "ui/core/bytes.h"

namespace app::form {

// The read position in the range. Must outlive the minizip reader opened
// with MemoryFileFunctions() on it.
struct ZipMemoryCursor {
  ui::ByteView bytes;  // not owned
  std::uint64_t position = 0;
  bool readPastEnd = false;  // a read came back short since the last open
};

// File functions over `cursor`: opening rewinds it, reads past the end come
// back short and are reported as an error from then on, seeks beyond the
// end are refused, writing is refused. (minizip reads single header bytes
// and takes a short read for success unless the error function says
// otherwise, so without that report an archive cut inside its last field
// would open.)
zlib_filefunc64_def MemoryFileFunctions(ZipMemoryCursor& cursor);

}  // namespace app::form
