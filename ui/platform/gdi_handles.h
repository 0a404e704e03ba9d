#pragma once
// Owning holders for GDI objects and DCs; each releases exactly once.
#include <windows.h>

namespace ui::gdi {

template <class H, class Traits>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : h_(o.release()) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~Owned() { reset(); }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  H release() {
    H h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(H h = nullptr) {
    if (h_ && h_ != h) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_ = nullptr;
};

struct ObjectTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {
  static void Close(HDC dc) { DeleteDC(dc); }
};
struct IconTraits {
  static void Close(HICON h) { DestroyIcon(h); }
};

using Bitmap = Owned<HBITMAP, ObjectTraits>;
using Region = Owned<HRGN, ObjectTraits>;
using Brush = Owned<HBRUSH, ObjectTraits>;
using Pen = Owned<HPEN, ObjectTraits>;
using FontHandle = Owned<HFONT, ObjectTraits>;
using MemoryDc = Owned<HDC, MemoryDcTraits>;
using Icon = Owned<HICON, IconTraits>;

// A DC from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  WindowDc() = default;
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  WindowDc(WindowDc&& o) noexcept : hwnd_(o.hwnd_), dc_(o.dc_) { o.dc_ = nullptr; }
  WindowDc& operator=(WindowDc&& o) noexcept {
    if (this != &o) {
      reset();
      hwnd_ = o.hwnd_;
      dc_ = o.dc_;
      o.dc_ = nullptr;
    }
    return *this;
  }
  ~WindowDc() { reset(); }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_) ReleaseDC(hwnd_, dc_);
    dc_ = nullptr;
  }

 private:
  HWND hwnd_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects an object into a DC for a scope and selects the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (dc_ && old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace ui::gdi
