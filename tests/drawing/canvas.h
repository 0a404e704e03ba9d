#pragma once
// A transparent 32bpp ARGB bitmap with a graphics object, for drawing tests.
#include "tests/support/test_env.h"
#include "ui/platform/gdiplus_handles.h"

struct TestCanvas {
  ui::gp::Bitmap bitmap;
  ui::gp::Graphics graphics;
  TestCanvas(int w, int h) {
    ui::gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, bitmap.put());
    ui::gp::GdipGetImageGraphicsContext(bitmap.get(), graphics.put());
    ui::gp::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    ui::gp::GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
  }
  Gdiplus::GpGraphics* g() const { return graphics.get(); }
  ui::Argb At(int x, int y) const {
    ui::gp::GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync);
    return qwtest::BitmapPixel(bitmap.get(), x, y);
  }
  void Fill(float x, float y, float w, float h, ui::Argb c) {
    ui::gp::SolidBrush b;
    ui::gp::GdipCreateSolidFill(c, b.put());
    ui::gp::GdipFillRectangle(graphics.get(), b.get(), x, y, w, h);
  }
};
