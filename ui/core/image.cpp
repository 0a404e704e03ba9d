#include "ui/core/image.h"

#include <cstring>

namespace ui {

namespace {
constexpr std::uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Fills movable global memory with (signature +) bytes; null on failure.
HGLOBAL FillGlobal(ByteView bytes, bool addPngSignature) {
  const SIZE_T size = bytes.size() + (addPngSignature ? sizeof kPngSignature : 0);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!mem) return nullptr;
  auto* p = static_cast<std::uint8_t*>(GlobalLock(mem));
  if (!p) {
    GlobalFree(mem);
    return nullptr;
  }
  if (addPngSignature) {
    std::memcpy(p, kPngSignature, sizeof kPngSignature);
    p += sizeof kPngSignature;
  }
  std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(mem);
  return mem;
}
}  // namespace

gp::Image ImageFromMemory(ByteView bytes, bool addPngSignature) {
  KeptImage decoded = KeptImage::Decode(bytes, addPngSignature);
  if (!decoded) return {};
  const auto w = ImageWidth(decoded.get());
  const auto h = ImageHeight(decoded.get());
  gp::Bitmap copy;
  if (!gp::Ok(gp::GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), 0,
                                            PixelFormat32bppARGB, nullptr, copy.put())))
    return {};
  {
    gp::Graphics g;
    gp::GdipGetImageGraphicsContext(copy.get(), g.put());
    gp::GdipDrawImageRectI(g.get(), decoded.get(), 0, 0, static_cast<INT>(w), static_cast<INT>(h));
  }
  return gp::Image(copy.release());
}

KeptImage KeptImage::Decode(ByteView bytes, bool addPngSignature) {
  KeptImage out;
  if (bytes.empty()) return out;
  out.memory_ = FillGlobal(bytes, addPngSignature);
  if (!out.memory_) return out;
  if (FAILED(CreateStreamOnHGlobal(out.memory_, FALSE, &out.stream_))) {
    out.stream_ = nullptr;
    out.reset();
    return out;
  }
  if (!gp::Ok(gp::GdipLoadImageFromStream(out.stream_, out.image_.put()))) out.reset();
  return out;
}

KeptImage::KeptImage(KeptImage&& o) noexcept
    : image_(std::move(o.image_)), stream_(o.stream_), memory_(o.memory_) {
  o.stream_ = nullptr;
  o.memory_ = nullptr;
}

KeptImage& KeptImage::operator=(KeptImage&& o) noexcept {
  if (this != &o) {
    reset();
    image_ = std::move(o.image_);
    stream_ = o.stream_;
    memory_ = o.memory_;
    o.stream_ = nullptr;
    o.memory_ = nullptr;
  }
  return *this;
}

KeptImage::~KeptImage() { reset(); }

void KeptImage::reset() {
  image_.reset();  // the image reads from the stream: release it first
  if (stream_) stream_->Release();
  stream_ = nullptr;
  if (memory_) GlobalFree(memory_);
  memory_ = nullptr;
}

std::uint32_t ImageWidth(Gdiplus::GpImage* image) {
  UINT w = 0;
  if (image) gp::GdipGetImageWidth(image, &w);
  return w;
}

std::uint32_t ImageHeight(Gdiplus::GpImage* image) {
  UINT h = 0;
  if (image) gp::GdipGetImageHeight(image, &h);
  return h;
}

void CopyToMemory(void* destination, ByteView bytes, std::size_t count) {
  if (!destination) return;
  const std::size_t n = (count > 0 && count < bytes.size()) ? count : bytes.size();
  if (n) std::memcpy(destination, bytes.data(), n);
}

void* AllocPages(std::size_t size) {
  return VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE);
}

void FreePages(void* address) {
  if (address) VirtualFree(address, 0, MEM_RELEASE);
}

}  // namespace ui
