#pragma once
// Images decoded from bytes in memory.
#include <cstdint>

#include "ui/core/bytes.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// Decodes `bytes` (any format GDI+ reads; with `addPngSignature` the eight
// PNG signature bytes are put in front first) and copies the result into a
// new 32bpp ARGB bitmap that depends on nothing else. Null on failure.
gp::Image ImageFromMemory(ByteView bytes, bool addPngSignature = false);

// The decoded image itself, kept together with the stream and memory it
// reads from (multi-frame images need them). Releases all three in order.
class KeptImage {
 public:
  KeptImage() = default;
  KeptImage(const KeptImage&) = delete;
  KeptImage& operator=(const KeptImage&) = delete;
  KeptImage(KeptImage&& o) noexcept;
  KeptImage& operator=(KeptImage&& o) noexcept;
  ~KeptImage();

  static KeptImage Decode(ByteView bytes, bool addPngSignature = false);
  Gdiplus::GpImage* get() const { return image_.get(); }
  explicit operator bool() const { return static_cast<bool>(image_); }
  void reset();

 private:
  gp::Image image_;
  IStream* stream_ = nullptr;
  HGLOBAL memory_ = nullptr;
};

std::uint32_t ImageWidth(Gdiplus::GpImage* image);
std::uint32_t ImageHeight(Gdiplus::GpImage* image);

// Copies `count` bytes when 0 < count < bytes.size(), otherwise all of them.
void CopyToMemory(void* destination, ByteView bytes, std::size_t count = 0);

// Committed read-write pages (nothing executes from them) for fixed-size buffers handed to the
// platform; FreePages releases them.
void* AllocPages(std::size_t size);
void FreePages(void* address);

}  // namespace ui
