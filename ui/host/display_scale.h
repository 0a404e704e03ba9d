#pragma once
// DisplayScale: how many device pixels a logical pixel covers. Every
// coordinate, size and font size the library and its applications use is
// logical (96 DPI); the host maps them to device pixels with its window's
// scale. Scales are whole quarters from 100 % to 300 %: 4 quarters is
// 96 DPI, 6 is 144 DPI, 8 is 192 DPI.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "ui/element/element_types.h"

namespace ui {

class DisplayScale {
 public:
  static constexpr int kUnit = 4;         // quarters of 100 %
  static constexpr int kMaxQuarters = 12;  // 300 %

  constexpr DisplayScale() = default;
  // Clamped to 100 % .. 300 %.
  static constexpr DisplayScale FromQuarters(int quarters) {
    DisplayScale s;
    s.quarters_ = std::clamp(quarters, kUnit, kMaxQuarters);
    return s;
  }
  // The nearest quarter to dpi / 96 (0 and unknown values: 100 %).
  static constexpr DisplayScale FromDpi(UINT dpi) {
    // Rounded without adding first, so that no value wraps round to 100 %.
    const UINT quarters = dpi / 24 + (dpi % 24 >= 12 ? 1 : 0);
    return FromQuarters(static_cast<int>(std::min<UINT>(quarters, kMaxQuarters)));
  }

  constexpr int Quarters() const { return quarters_; }
  constexpr UINT Dpi() const { return static_cast<UINT>(quarters_) * 24; }
  constexpr bool IsUnit() const { return quarters_ == kUnit; }
  constexpr float Factor() const { return static_cast<float>(quarters_) / kUnit; }
  friend constexpr bool operator==(DisplayScale a, DisplayScale b) { return a.quarters_ == b.quarters_; }

  // A logical length or coordinate in device pixels, rounded half up.
  int ToDevice(int logical) const {
    return static_cast<int>(std::floor(static_cast<double>(logical) * quarters_ / kUnit + 0.5));
  }
  int ToDevice(float logical) const {
    return static_cast<int>(std::floor(static_cast<double>(logical) * quarters_ / kUnit + 0.5));
  }
  // A device coordinate in logical pixels (fractional).
  float ToLogical(int device) const { return static_cast<float>(device) * kUnit / quarters_; }
  float ToLogical(float device) const { return device * kUnit / quarters_; }
  // Where an element's surface goes: its origin rounded, its size the
  // surface's (so the surface is copied one to one, never stretched).
  RECT ToDevice(const RectF& r) const {
    const int x = ToDevice(r.x), y = ToDevice(r.y);
    return RECT{x, y, x + SurfaceLength(r.width), y + SurfaceLength(r.height)};
  }
  RectF ToDeviceF(const RectF& r) const {
    const RECT d = ToDevice(r);
    return RectF{static_cast<float>(d.left), static_cast<float>(d.top), static_cast<float>(d.right - d.left),
                 static_cast<float>(d.bottom - d.top)};
  }
  // Where the compositor copies an element's surface: at 100 % the
  // element's own rectangle (fractional bounds draw as they always have),
  // scaled the device rectangle of ToDevice.
  RectF PlaceSurface(const RectF& r) const { return IsUnit() ? r : ToDeviceF(r); }
  // Device area that covers every pixel a logical rectangle may touch,
  // surfaces placed by ToDevice included (one pixel more on each side
  // when the scale is not whole, where rounding may move an edge).
  RectF CoverDevice(const RectF& r) const {
    if (IsUnit()) return r;
    const float f = Factor();
    return RectF{std::floor(r.x * f) - 1, std::floor(r.y * f) - 1, std::ceil(r.width * f) + 3,
                 std::ceil(r.height * f) + 3};
  }
  // Device rectangle to the logical rectangle it shows.
  RectF ToLogical(const RectF& r) const {
    return RectF{ToLogical(r.x), ToLogical(r.y), ToLogical(r.width), ToLogical(r.height)};
  }
  // Size in device pixels of a surface for a logical size (at least 1 when
  // the logical size is positive).
  int SurfaceLength(float logical) const {
    const int whole = static_cast<int>(logical);
    if (whole <= 0) return 0;
    return std::max(1, ToDevice(whole));
  }

 private:
  int quarters_ = kUnit;
};

}  // namespace ui
