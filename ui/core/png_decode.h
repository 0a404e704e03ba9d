#pragma once
// A decoder for plain PNG images, the kind the program embeds: 8 bits per
// channel, RGB or RGBA, not interlaced, and no chunk that changes colours
// (palette, transparency key, gamma, colour space or profile). It reads them
// with zlib in a fraction of the time GDI+ takes, and without starting the
// platform's image codecs, which costs a program its first decode.
//
// Anything else is refused, including a damaged image (a wrong checksum,
// missing or extra data): the caller then decodes with GDI+ as before, so
// what GDI+ accepts or rejects stays its own decision.
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/core/bytes.h"

namespace ui {

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Straight (not premultiplied) 0xAARRGGBB, rows top first, no padding.
  std::vector<std::uint32_t> pixels;
};

// `signatureLeftOut`: the bytes begin with the header chunk instead of the
// eight signature bytes (as an image does that is stored without them).
std::optional<DecodedPng> DecodePlainPng(ByteView bytes, bool signatureLeftOut);

}  // namespace ui
