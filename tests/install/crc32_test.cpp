// The unpacker's checksum must be zlib's for every length, alignment and
// starting value, whole or in pieces: a wrong fold would report sound
// archives as damaged (or damaged ones as sound).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/form/crc32.h"

namespace {

std::vector<unsigned char> Noise(std::size_t size) {
  std::vector<unsigned char> bytes(size);
  std::uint32_t state = 0x9E3779B9u;
  for (unsigned char& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(state >> 24);
  }
  return bytes;
}

std::uint32_t Zlib(std::uint32_t crc, const unsigned char* bytes, std::size_t size) {
  return static_cast<std::uint32_t>(crc32(crc, bytes, static_cast<uInt>(size)));
}

TEST(Crc32, IsZlibsForEveryLengthPlaceAndStart) {
  const std::vector<unsigned char> bytes = Noise(400);
  for (std::uint32_t start : {0u, 0xFFFFFFFFu, 0x1234ABCDu}) {
    for (std::size_t offset = 0; offset < 4; ++offset) {
      for (std::size_t size = 0; size + offset <= 340; ++size) {
        const unsigned char* at = bytes.data() + offset;
        ASSERT_EQ(app::form::Crc32(start, at, size), Zlib(start, at, size))
            << "start " << start << ", offset " << offset << ", size " << size;
      }
    }
  }
}

TEST(Crc32, PiecesOfALongRunAddUpToTheWhole) {
  const std::vector<unsigned char> bytes = Noise((1u << 20) + 37);
  const std::uint32_t whole = Zlib(0, bytes.data(), bytes.size());
  EXPECT_EQ(app::form::Crc32(0, bytes.data(), bytes.size()), whole);
  std::uint32_t pieces = 0;
  std::size_t at = 0;
  for (std::size_t piece = 1; at < bytes.size(); piece = piece * 3 + 61) {
    const std::size_t size = std::min(piece, bytes.size() - at);
    pieces = app::form::Crc32(pieces, bytes.data() + at, size);
    at += size;
  }
  EXPECT_EQ(pieces, whole);
  // One changed bit anywhere changes the sum.
  std::vector<unsigned char> changed = bytes;
  changed[changed.size() / 2] ^= 0x10;
  EXPECT_NE(app::form::Crc32(0, changed.data(), changed.size()), whole);
}

}  // namespace
