#include "ui/core/png_decode.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace ui {

namespace {
constexpr std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kChunkFrame = 12;  // length, type, checksum
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
// Larger images are left to GDI+: no image of the program comes near, and a
// hostile header must not make this decoder allocate much.
constexpr std::uint32_t kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

constexpr std::uint8_t kColourRgb = 2;
constexpr std::uint8_t kColourRgba = 6;

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool IsType(const std::uint8_t* type, const char (&name)[5]) { return std::memcmp(type, name, 4) == 0; }

// Ancillary chunks that do not change a decoded pixel: text, time and the
// physical pixel size.
bool LeavesPixelsAlone(const std::uint8_t* type) {
  return IsType(type, "tEXt") || IsType(type, "zTXt") || IsType(type, "iTXt") || IsType(type, "tIME") ||
         IsType(type, "pHYs");
}

// Ends the inflate stream whatever way the decoding leaves.
class Inflater {
 public:
  Inflater() { ok_ = inflateInit(&stream_) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  bool Ok() const { return ok_; }
  void SetOutput(std::uint8_t* out, std::size_t size) {
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(size);
  }
  // Feeds one data chunk. False on a damaged stream or on data beyond the
  // image's rows.
  bool Feed(const std::uint8_t* data, std::uint32_t length) {
    if (ended_) return length == 0;
    stream_.next_in = const_cast<Bytef*>(data);
    stream_.avail_in = length;
    while (stream_.avail_in > 0) {
      const int result = inflate(&stream_, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        ended_ = true;
        return stream_.avail_in == 0;
      }
      if (result != Z_OK) return false;
      if (stream_.avail_out == 0 && stream_.avail_in > 0) {
        // Output full with input left: it may still be the stream's end
        // marker, which writes nothing.
        const int tail = inflate(&stream_, Z_NO_FLUSH);
        if (tail == Z_STREAM_END) {
          ended_ = true;
          return stream_.avail_in == 0;
        }
        return false;
      }
    }
    return true;
  }
  bool EndedFilling() const { return ended_ && stream_.avail_out == 0; }

 private:
  z_stream stream_{};
  bool ok_ = false;
  bool ended_ = false;
};

int Paeth(int left, int up, int upLeft) {
  const int p = left + up - upLeft;
  const int toLeft = std::abs(p - left);
  const int toUp = std::abs(p - up);
  const int toUpLeft = std::abs(p - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) return left;
  return toUp <= toUpLeft ? up : upLeft;
}

// Undoes the filter of one row in place; `up` is the previous row after its
// own filter was undone (zeros above the first row). False on an unknown
// filter.
bool Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* up, std::size_t length,
              std::size_t pixelBytes) {
  switch (filter) {
    case 0:
      return true;
    case 1:
      for (std::size_t i = pixelBytes; i < length; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - pixelBytes]);
      return true;
    case 2:
      for (std::size_t i = 0; i < length; ++i) row[i] = static_cast<std::uint8_t>(row[i] + up[i]);
      return true;
    case 3:
      for (std::size_t i = 0; i < pixelBytes; ++i) row[i] = static_cast<std::uint8_t>(row[i] + up[i] / 2);
      for (std::size_t i = pixelBytes; i < length; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + (row[i - pixelBytes] + up[i]) / 2);
      return true;
    case 4:
      for (std::size_t i = 0; i < pixelBytes; ++i) row[i] = static_cast<std::uint8_t>(row[i] + up[i]);
      for (std::size_t i = pixelBytes; i < length; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + Paeth(row[i - pixelBytes], up[i], up[i - pixelBytes]));
      return true;
    default:
      return false;
  }
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t pixelBytes = 0;  // 3 (RGB) or 4 (RGBA)
};

std::optional<Header> ReadHeader(const std::uint8_t* data, std::uint32_t length) {
  if (length != 13) return std::nullopt;
  Header h;
  h.width = ReadBigEndian32(data);
  h.height = ReadBigEndian32(data + 4);
  const std::uint8_t depth = data[8], colour = data[9], compression = data[10], filter = data[11],
                     interlace = data[12];
  if (depth != 8 || compression != 0 || filter != 0 || interlace != 0) return std::nullopt;
  if (colour == kColourRgb)
    h.pixelBytes = 3;
  else if (colour == kColourRgba)
    h.pixelBytes = 4;
  else
    return std::nullopt;
  if (h.width == 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide ||
      std::uint64_t{h.width} * h.height > kMaxPixels)
    return std::nullopt;
  return h;
}

// The unfiltered rows as straight ARGB.
DecodedPng ToArgb(const Header& h, std::vector<std::uint8_t>& rows) {
  DecodedPng out;
  out.width = h.width;
  out.height = h.height;
  out.pixels.resize(std::size_t{h.width} * h.height);
  const std::size_t rowBytes = std::size_t{h.width} * h.pixelBytes;
  std::uint32_t* pixel = out.pixels.data();
  for (std::uint32_t y = 0; y < h.height; ++y) {
    const std::uint8_t* p = rows.data() + y * (rowBytes + 1) + 1;
    for (std::uint32_t x = 0; x < h.width; ++x, p += h.pixelBytes) {
      const std::uint32_t alpha = h.pixelBytes == 4 ? p[3] : 0xFF;
      *pixel++ = (alpha << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
  }
  return out;
}
}  // namespace

std::optional<DecodedPng> DecodePlainPng(ByteView bytes, bool signatureLeftOut) {
  std::size_t pos = 0;
  if (!signatureLeftOut) {
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
      return std::nullopt;
    pos = sizeof kSignature;
  }
  Inflater inflater;
  if (!inflater.Ok()) return std::nullopt;
  std::optional<Header> header;
  std::vector<std::uint8_t> rows;  // each row: its filter byte, then its bytes
  bool dataStarted = false, dataOver = false, ended = false;
  while (!ended) {
    if (bytes.size() - pos < kChunkFrame) return std::nullopt;
    const std::uint8_t* chunk = bytes.data() + pos;
    const std::uint32_t length = ReadBigEndian32(chunk);
    if (length > kMaxChunkLength || length > bytes.size() - pos - kChunkFrame) return std::nullopt;
    const std::uint8_t* type = chunk + 4;
    const std::uint8_t* data = chunk + 8;
    const uLong crc = crc32(crc32(0, nullptr, 0), type, 4 + length);
    if (crc != ReadBigEndian32(data + length)) return std::nullopt;
    pos += kChunkFrame + length;

    if (!header) {
      if (!IsType(type, "IHDR") || !(header = ReadHeader(data, length))) return std::nullopt;
      rows.resize(std::size_t{header->height} * (std::size_t{header->width} * header->pixelBytes + 1));
      inflater.SetOutput(rows.data(), rows.size());
    } else if (IsType(type, "IDAT")) {
      if (dataOver || !inflater.Feed(data, length)) return std::nullopt;
      dataStarted = true;
    } else if (IsType(type, "IEND")) {
      ended = true;
    } else if (LeavesPixelsAlone(type)) {
      dataOver = dataStarted;
    } else {
      return std::nullopt;
    }
  }
  // All rows present, nothing after the end chunk.
  if (pos != bytes.size() || !inflater.EndedFilling()) return std::nullopt;

  const std::size_t rowBytes = std::size_t{header->width} * header->pixelBytes;
  const std::vector<std::uint8_t> zeros(rowBytes, 0);
  const std::uint8_t* up = zeros.data();
  for (std::uint32_t y = 0; y < header->height; ++y) {
    std::uint8_t* row = rows.data() + y * (rowBytes + 1);
    if (!Unfilter(row[0], row + 1, up, rowBytes, header->pixelBytes)) return std::nullopt;
    up = row + 1;
  }
  return ToArgb(*header, rows);
}

}  // namespace ui
