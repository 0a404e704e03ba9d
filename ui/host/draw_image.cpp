#include "ui/host/draw_image.h"

#include <algorithm>
#include <cmath>

#include "ui/core/image.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {

// Draws the source part `src` of `image` into `dest` with an overall alpha.
void DrawPart(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, const RectF& src, int alpha) {
  gp::ImageAttributes attributes;
  if (alpha < 255) {
    gp::GdipCreateImageAttributes(attributes.put());
    Gdiplus::ColorMatrix m{};
    for (int i = 0; i < 5; ++i) m.m[i][i] = 1.0f;
    m.m[3][3] = static_cast<float>(alpha) / 255.0f;
    gp::GdipSetImageAttributesColorMatrix(attributes.get(), Gdiplus::ColorAdjustTypeDefault, TRUE, &m, nullptr,
                                          Gdiplus::ColorMatrixFlagsDefault);
  }
  gp::GdipDrawImageRectRect(g, image, dest.x, dest.y, dest.width, dest.height, src.x, src.y, src.width,
                            src.height, Gdiplus::UnitPixel, attributes.get(), nullptr, nullptr);
}

bool IsWhole(float v) { return v == std::floor(v); }

}  // namespace

void DrawImageAlphaWithin(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, int alpha,
                          const RectF& area) {
  if (!g || !image || alpha <= 0) return;
  const auto w = static_cast<float>(ImageWidth(image));
  const auto h = static_cast<float>(ImageHeight(image));
  const bool pixelForPixel = w == dest.width && h == dest.height && IsWhole(dest.x) && IsWhole(dest.y);
  if (!pixelForPixel) {
    DrawImageAlpha(g, image, dest, alpha);
    return;
  }
  const RectF src = ImagePartWithin(w, h, dest, area);
  if (src.width <= 0 || src.height <= 0) return;
  DrawPart(g, image, RectF{dest.x + src.x, dest.y + src.y, src.width, src.height}, src, alpha);
}

RectF ImagePartWithin(float width, float height, const RectF& dest, const RectF& area) {
  // The area in image pixels, widened to whole pixels and kept inside the image.
  const float left = std::max(0.0f, std::floor(area.x - dest.x));
  const float top = std::max(0.0f, std::floor(area.y - dest.y));
  const float right = std::min(width, std::ceil(area.Right() - dest.x));
  const float bottom = std::min(height, std::ceil(area.Bottom() - dest.y));
  if (right <= left || bottom <= top) return RectF{left, top, 0, 0};
  return RectF{left, top, right - left, bottom - top};
}

void DrawImageAlpha(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest, int alpha) {
  if (!g || !image || alpha <= 0) return;
  if (alpha >= 255) {
    gp::GdipDrawImageRect(g, image, dest.x, dest.y, dest.width, dest.height);
    return;
  }
  const auto w = static_cast<float>(ImageWidth(image));
  const auto h = static_cast<float>(ImageHeight(image));
  DrawPart(g, image, dest, RectF{0, 0, w, h}, alpha);
}

void DrawNineGrid(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, const RectF& dest,
                  const RECT& centre, Gdiplus::GpImageAttributes* attributes) {
  if (!g || !image) return;
  const float iw = static_cast<float>(ImageWidth(image));
  const float ih = static_cast<float>(ImageHeight(image));
  // Source cuts.
  const float sl = static_cast<float>(centre.left), st = static_cast<float>(centre.top);
  const float sr = static_cast<float>(centre.right), sb = static_cast<float>(centre.bottom);
  float l = sl, t = st, r = iw - sr, b = ih - sb;
  // A destination narrower than the margins shrinks them proportionally.
  if (l + r > dest.width && l + r > 0) {
    const float k = dest.width / (l + r);
    l *= k;
    r *= k;
  }
  if (t + b > dest.height && t + b > 0) {
    const float k = dest.height / (t + b);
    t *= k;
    b *= k;
  }
  const float sx[4] = {0, sl, sr, iw};
  const float sy[4] = {0, st, sb, ih};
  const float dx[4] = {dest.x, dest.x + l, dest.x + dest.width - r, dest.x + dest.width};
  const float dy[4] = {dest.y, dest.y + t, dest.y + dest.height - b, dest.y + dest.height};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const float sw = sx[col + 1] - sx[col], sh = sy[row + 1] - sy[row];
      const float dw = dx[col + 1] - dx[col], dh = dy[row + 1] - dy[row];
      if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) continue;
      gp::GdipDrawImageRectRect(g, image, dx[col], dy[row], dw, dh, sx[col], sy[row], sw, sh,
                                Gdiplus::UnitPixel, attributes, nullptr, nullptr);
    }
  }
}

}  // namespace ui
