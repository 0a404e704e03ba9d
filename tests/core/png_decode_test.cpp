// The plain-PNG decoder against GDI+'s own decoding: the same pixels for
// every image it takes, and GDI+ left to decide every image it refuses.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/image_pixels.h"
#include "ui/core/image.h"
#include "ui/core/png_decode.h"

using qwtest::GdiplusCopiedPixels;
using qwtest::GdiplusDecodedPixels;
using qwtest::ImagePixels;

namespace {

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian32(out, crc32(0, out.data() + typeAt, static_cast<uInt>(4 + data.size())));
}

struct PngRecipe {
  std::uint32_t width = 5, height = 4;
  int channels = 4;
  std::uint8_t depth = 8, colourType = 6, interlace = 0;
  std::function<std::uint8_t(std::uint32_t row)> filter = [](std::uint32_t row) { return row % 5; };
  std::size_t dataChunkBytes = 0;       // 0: one data chunk
  std::vector<std::uint8_t> extraRaw;   // appended to the rows before compressing
  std::vector<std::uint8_t> afterData;  // appended to the compressed stream
  std::vector<std::string> chunksBeforeData, chunksAfterData;
};

std::uint8_t Sample(std::uint32_t x, std::uint32_t y, int c) {
  const std::uint32_t v = x * 37 + y * 101 + static_cast<std::uint32_t>(c) * 59 + (x * y) % 13;
  // Alpha runs through clear, opaque and translucent values.
  if (c == 3) return (x + y) % 4 == 0 ? 0 : (x + y) % 4 == 1 ? 255 : static_cast<std::uint8_t>(v);
  return static_cast<std::uint8_t>(v);
}

int PaethOf(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A PNG written by hand, so that every filter and chunk layout is chosen.
std::vector<std::uint8_t> HandWrittenPng(const PngRecipe& r) {
  const std::size_t rowBytes = std::size_t{r.width} * r.channels;
  std::vector<std::uint8_t> raw, prev(rowBytes, 0);
  for (std::uint32_t y = 0; y < r.height; ++y) {
    std::vector<std::uint8_t> row(rowBytes);
    for (std::uint32_t x = 0; x < r.width; ++x)
      for (int c = 0; c < r.channels; ++c) row[x * r.channels + c] = Sample(x, y, c);
    const std::uint8_t f = r.filter(y);
    raw.push_back(f);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= static_cast<std::size_t>(r.channels) ? row[i - r.channels] : 0;
      const int b = prev[i];
      const int c = i >= static_cast<std::size_t>(r.channels) ? prev[i - r.channels] : 0;
      const int predictor = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : f == 4 ? PaethOf(a, b, c) : 0;
      raw.push_back(static_cast<std::uint8_t>(row[i] - predictor));
    }
    prev = row;
  }
  raw.insert(raw.end(), r.extraRaw.begin(), r.extraRaw.end());
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6);
  packed.resize(packedSize);
  packed.insert(packed.end(), r.afterData.begin(), r.afterData.end());

  std::vector<std::uint8_t> png = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  PutBigEndian32(header, r.width);
  PutBigEndian32(header, r.height);
  header.insert(header.end(), {r.depth, r.colourType, 0, 0, r.interlace});
  PutChunk(png, "IHDR", header);
  const std::vector<std::uint8_t> text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'};
  for (const std::string& type : r.chunksBeforeData) PutChunk(png, type.c_str(), text);
  const std::size_t step = r.dataChunkBytes ? r.dataChunkBytes : packed.size();
  for (std::size_t at = 0; at < packed.size(); at += step) {
    const std::size_t n = std::min(step, packed.size() - at);
    PutChunk(png, "IDAT", std::vector<std::uint8_t>(packed.begin() + at, packed.begin() + at + n));
  }
  for (const std::string& type : r.chunksAfterData) PutChunk(png, type.c_str(), text);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace

TEST(PlainPng, DecodesEveryFilterChannelLayoutAndChunkingExactlyAsGdiplus) {
  struct Case {
    std::uint32_t width, height;
    int channels;
    std::function<std::uint8_t(std::uint32_t)> filter;
    std::size_t dataChunkBytes;
  };
  const std::vector<Case> cases = {
      {1, 1, 4, [](std::uint32_t) { return std::uint8_t{0}; }, 0},
      {7, 10, 4, [](std::uint32_t y) { return static_cast<std::uint8_t>(y % 5); }, 0},
      {7, 10, 3, [](std::uint32_t y) { return static_cast<std::uint8_t>(4 - y % 5); }, 0},
      {33, 6, 4, [](std::uint32_t) { return std::uint8_t{4}; }, 1},  // data one byte a chunk
      {33, 6, 3, [](std::uint32_t) { return std::uint8_t{3}; }, 17},
      {2, 40, 4, [](std::uint32_t y) { return static_cast<std::uint8_t>((y * 3) % 5); }, 64},
  };
  for (const Case& c : cases) {
    PngRecipe r;
    r.width = c.width;
    r.height = c.height;
    r.channels = c.channels;
    r.colourType = c.channels == 4 ? 6 : 2;
    r.filter = c.filter;
    r.dataChunkBytes = c.dataChunkBytes;
    r.chunksBeforeData = {"tEXt", "pHYs"};
    r.chunksAfterData = {"tIME"};
    const std::vector<std::uint8_t> png = HandWrittenPng(r);
    const std::string label = std::to_string(c.width) + "x" + std::to_string(c.height) + "x" +
                              std::to_string(c.channels) + " chunk " + std::to_string(c.dataChunkBytes);

    const std::optional<ui::DecodedPng> decoded = ui::DecodePlainPng(png, false);
    ASSERT_TRUE(decoded) << label;
    EXPECT_EQ(decoded->width, c.width);
    EXPECT_EQ(decoded->height, c.height);
    EXPECT_EQ(decoded->pixels, GdiplusDecodedPixels(png, false)) << label;

    // Without its signature, as the glyph strip is stored.
    const std::vector<std::uint8_t> bare(png.begin() + 8, png.end());
    ASSERT_TRUE(ui::DecodePlainPng(bare, true)) << label;
    EXPECT_FALSE(ui::DecodePlainPng(bare, false)) << label;
    EXPECT_FALSE(ui::DecodePlainPng(png, true)) << label;

    // The library's decode gives the very bitmap it gave through GDI+.
    ui::gp::Image image = ui::ImageFromMemory(png);
    ASSERT_TRUE(image) << label;
    EXPECT_EQ(ImagePixels(image.get()), GdiplusCopiedPixels(png, false)) << label;
  }
}

TEST(PlainPng, RefusesWhatItDoesNotFullyReadAndLeavesTheDecisionToGdiplus) {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> refused;
  auto add = [&](const std::string& what, const PngRecipe& r) { refused.emplace_back(what, HandWrittenPng(r)); };
  PngRecipe r;
  r.chunksBeforeData = {"gAMA"};
  add("gamma chunk", r);
  r = {};
  r.chunksBeforeData = {"iCCP"};
  add("colour profile", r);
  r = {};
  r.chunksAfterData = {"tRNS"};
  add("transparency chunk", r);
  r = {};
  r.chunksAfterData = {"abCd"};
  add("unknown chunk", r);
  r = {};
  r.chunksBeforeData = {"tEXt"};
  r.dataChunkBytes = 8;
  add("control: text and split data", r);  // taken; removed below
  r = {};
  r.colourType = 0;
  r.channels = 1;
  add("grey", r);
  r = {};
  r.interlace = 1;
  add("interlaced", r);
  r = {};
  r.filter = [](std::uint32_t y) { return static_cast<std::uint8_t>(y == 2 ? 5 : 0); };
  add("unknown filter", r);
  r = {};
  r.extraRaw = {0, 0, 0};
  add("more rows than the header says", r);
  r = {};
  r.afterData = {1, 2, 3};
  add("data after the compressed stream", r);

  std::vector<std::uint8_t> png = HandWrittenPng({});
  auto corrupt = png;
  corrupt[40] ^= 0x10;
  refused.emplace_back("damaged data (checksum)", corrupt);
  refused.emplace_back("cut short", std::vector<std::uint8_t>(png.begin(), png.end() - 20));
  auto trailing = png;
  trailing.push_back(0);
  refused.emplace_back("bytes after the end", trailing);
  auto noEnd = std::vector<std::uint8_t>(png.begin(), png.end() - 12);
  refused.emplace_back("no end chunk", noEnd);
  auto tooFewRows = HandWrittenPng({});
  {
    PngRecipe shortRows;
    shortRows.height = 3;
    auto three = HandWrittenPng(shortRows);
    // The header of a 4-row image over the data of 3 rows.
    std::vector<std::uint8_t> mixed(tooFewRows.begin(), tooFewRows.begin() + 33);
    mixed.insert(mixed.end(), three.begin() + 33, three.end());
    refused.emplace_back("fewer rows than the header says", mixed);
  }
  PngRecipe wide;
  wide.width = 16385;
  wide.height = 1;
  wide.filter = [](std::uint32_t) { return std::uint8_t{0}; };
  add("wider than the decoder takes", wide);

  for (const auto& [what, bytes] : refused) {
    if (what.starts_with("control")) {
      EXPECT_TRUE(ui::DecodePlainPng(bytes, false)) << what;
      continue;
    }
    EXPECT_FALSE(ui::DecodePlainPng(bytes, false)) << what;
    // Whatever GDI+ makes of it, the library gives: the same bitmap, or none.
    ui::gp::Image image = ui::ImageFromMemory(bytes);
    const std::vector<ui::Argb> viaGdiplus = GdiplusCopiedPixels(bytes, false);
    EXPECT_EQ(static_cast<bool>(image), !viaGdiplus.empty()) << what;
    if (image) {
      EXPECT_EQ(ImagePixels(image.get()), viaGdiplus) << what;
    }
  }
}
