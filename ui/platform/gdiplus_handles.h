#pragma once
// Owning holders for GDI+ objects: each releases its object exactly once,
// through the run-time bound API, on every path.
#include "ui/platform/gdiplus_api.h"

namespace ui::gp {

template <class T, GpStatus (*Release)(T*)>
class Owned {
 public:
  Owned() = default;
  explicit Owned(T* p) : p_(p) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : p_(o.release()) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~Owned() { reset(); }

  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Out-parameter for creation calls; releases what was held first.
  T** put() {
    reset();
    return &p_;
  }
  T* release() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  void reset(T* p = nullptr) {
    if (p_ && p_ != p) Release(p_);
    p_ = p;
  }

 private:
  T* p_ = nullptr;
};

namespace detail {
inline GpStatus DeleteGraphics(Gdiplus::GpGraphics* g) { return GdipDeleteGraphics(g); }
inline GpStatus DisposeImage(Gdiplus::GpImage* i) { return GdipDisposeImage(i); }
inline GpStatus DisposeBitmap(Gdiplus::GpBitmap* b) { return GdipDisposeImage(b); }
inline GpStatus DeleteBrush(Gdiplus::GpBrush* b) { return GdipDeleteBrush(b); }
inline GpStatus DeleteSolidFill(Gdiplus::GpSolidFill* b) { return GdipDeleteBrush(b); }
inline GpStatus DeleteLineBrush(Gdiplus::GpLineGradient* b) { return GdipDeleteBrush(b); }
inline GpStatus DeletePen(Gdiplus::GpPen* p) { return GdipDeletePen(p); }
inline GpStatus DeletePath(Gdiplus::GpPath* p) { return GdipDeletePath(p); }
inline GpStatus DeleteRegion(Gdiplus::GpRegion* r) { return GdipDeleteRegion(r); }
inline GpStatus DeleteMatrix(Gdiplus::GpMatrix* m) { return GdipDeleteMatrix(m); }
inline GpStatus DeleteFont(Gdiplus::GpFont* f) { return GdipDeleteFont(f); }
inline GpStatus DeleteFontFamily(Gdiplus::GpFontFamily* f) { return GdipDeleteFontFamily(f); }
inline GpStatus DeleteStringFormat(Gdiplus::GpStringFormat* f) { return GdipDeleteStringFormat(f); }
inline GpStatus DisposeImageAttributes(Gdiplus::GpImageAttributes* a) {
  return GdipDisposeImageAttributes(a);
}
}  // namespace detail

using Graphics = Owned<Gdiplus::GpGraphics, detail::DeleteGraphics>;
using Image = Owned<Gdiplus::GpImage, detail::DisposeImage>;
using Bitmap = Owned<Gdiplus::GpBitmap, detail::DisposeBitmap>;
using Brush = Owned<Gdiplus::GpBrush, detail::DeleteBrush>;
using SolidBrush = Owned<Gdiplus::GpSolidFill, detail::DeleteSolidFill>;
using LineBrush = Owned<Gdiplus::GpLineGradient, detail::DeleteLineBrush>;
using Pen = Owned<Gdiplus::GpPen, detail::DeletePen>;
using Path = Owned<Gdiplus::GpPath, detail::DeletePath>;
using Region = Owned<Gdiplus::GpRegion, detail::DeleteRegion>;
using Matrix = Owned<Gdiplus::GpMatrix, detail::DeleteMatrix>;
using Font = Owned<Gdiplus::GpFont, detail::DeleteFont>;
using FontFamily = Owned<Gdiplus::GpFontFamily, detail::DeleteFontFamily>;
using StringFormat = Owned<Gdiplus::GpStringFormat, detail::DeleteStringFormat>;
using ImageAttributes = Owned<Gdiplus::GpImageAttributes, detail::DisposeImageAttributes>;

}  // namespace ui::gp
