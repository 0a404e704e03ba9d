#pragma once
// The ZIP checksum (CRC-32, the reflected polynomial 0x04C11DB7) with zlib's
// convention: Crc32(Crc32(0, a), b) is the checksum of a followed by b.
// Where the processor multiplies without carries (PCLMULQDQ), long runs are
// folded 64 bytes a step, several times faster than the table; the result
// is the same either way.
#include <cstddef>
#include <cstdint>

namespace app::form {

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

}  // namespace app::form
