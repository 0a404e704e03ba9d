#include "tests/support/test_png.h"

#include <algorithm>
#include <cstdint>

namespace qwtest {

namespace {

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return c ^ 0xFFFFFFFFu;
}

void PutBe32(ui::Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(ui::Bytes& out, const char* kind, const ui::Bytes& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), kind, kind + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// zlib stream of stored deflate blocks.
ui::Bytes Stored(const ui::Bytes& raw) {
  ui::Bytes z{0x78, 0x01};
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n & 0xFF));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
    z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(z, (b << 16) | a);
  return z;
}

}  // namespace

ui::Bytes MakePng(int width, int height, const std::function<ui::Argb(int x, int y)>& pixel) {
  ui::Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < width; ++x) {
      const ui::Argb c = pixel(x, y);
      raw.push_back(static_cast<std::uint8_t>(c >> 16));
      raw.push_back(static_cast<std::uint8_t>(c >> 8));
      raw.push_back(static_cast<std::uint8_t>(c));
      raw.push_back(static_cast<std::uint8_t>(c >> 24));
    }
  }
  ui::Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  ui::Bytes header;
  PutBe32(header, static_cast<std::uint32_t>(width));
  PutBe32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", Stored(raw));
  Chunk(png, "IEND", {});
  return png;
}

ui::Bytes SolidPng(int width, int height, ui::Argb colour) {
  return MakePng(width, height, [colour](int, int) { return colour; });
}

}  // namespace qwtest
