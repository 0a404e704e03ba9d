#pragma once
// GDI+ flat API bound at run time. Every function is called through a typed
// pointer looked up once in the system's gdiplus.dll; a missing DLL or
// function makes the call return GdiplusNotInitialized (never a crash), so
// callers see an ordinary failed status and a null out-handle.
//
// Usage: ui::gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, &bmp);
// Pass nullptr, not 0, for pointer arguments.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <utility>

#define UI_GDIPLUS_FUNCTIONS(X)                                                   \
  /* graphics */                                                                \
  X(GdipCreateFromHDC) X(GdipDeleteGraphics) X(GdipGetImageGraphicsContext)     \
  X(GdipSetSmoothingMode) X(GdipSetTextRenderingHint) X(GdipSetCompositingQuality) \
  X(GdipSetCompositingMode) X(GdipSetInterpolationMode) X(GdipSetPixelOffsetMode) \
  X(GdipGraphicsClear) X(GdipSetClipRect) X(GdipSetClipRectI) X(GdipSetClipRegion) \
  X(GdipSetClipHrgn) X(GdipSetClipPath) X(GdipResetClip) X(GdipGetClipBounds)   \
  X(GdipGetVisibleClipBounds) X(GdipGetDC) X(GdipReleaseDC) X(GdipFlush)        \
  X(GdipSaveGraphics) X(GdipRestoreGraphics) X(GdipTranslateWorldTransform)     \
  X(GdipResetWorldTransform)                                                    \
  X(GdipScaleWorldTransform) X(GdipGetCompositingMode)                         \
  X(GdipGetCompositingQuality) X(GdipGetSmoothingMode)                          \
  X(GdipGetPixelOffsetMode) X(GdipGetWorldTransform) X(GdipIsMatrixIdentity)    \
  X(GdipGetPageUnit) X(GdipGetPageScale) X(GdipGetClip) X(GdipIsInfiniteRegion) \
  X(GdipGetTextRenderingHint) X(GdipGetTextContrast) X(GdipSetTextContrast)     \
  /* images and bitmaps */                                                      \
  X(GdipLoadImageFromStream) X(GdipDisposeImage) X(GdipCloneImage)              \
  X(GdipGetImageWidth) X(GdipGetImageHeight) X(GdipGetImagePixelFormat)         \
  X(GdipDrawImage) X(GdipDrawImageI) X(GdipDrawImageRect) X(GdipDrawImageRectI) \
  X(GdipDrawImageRectRect) X(GdipDrawImageRectRectI)                            \
  X(GdipImageGetFrameCount) X(GdipImageSelectActiveFrame)                       \
  X(GdipImageGetFrameDimensionsCount) X(GdipImageGetFrameDimensionsList)        \
  X(GdipGetPropertyItemSize) X(GdipGetPropertyItem)                             \
  X(GdipCreateBitmapFromScan0) X(GdipCreateBitmapFromHBITMAP)                   \
  X(GdipCreateHBITMAPFromBitmap) X(GdipCreateBitmapFromHICON)                   \
  X(GdipCreateBitmapFromGraphics) X(GdipBitmapGetPixel) X(GdipBitmapSetPixel)   \
  X(GdipBitmapLockBits) X(GdipBitmapUnlockBits) X(GdipCloneBitmapArea)          \
  X(GdipCloneBitmapAreaI)                                                       \
  X(GdipCreateImageAttributes) X(GdipSetImageAttributesColorMatrix)             \
  X(GdipDisposeImageAttributes)                                                 \
  /* images at a display scale */                                              \
  X(GdipBitmapSetResolution) X(GdipGetImageHorizontalResolution)                \
  X(GdipGetImageVerticalResolution) X(GdipGetInterpolationMode)                 \
  /* brushes and pens */                                                        \
  X(GdipCreateSolidFill) X(GdipSetSolidFillColor) X(GdipGetSolidFillColor)     \
  X(GdipDeleteBrush)                                                            \
  X(GdipCreateLineBrush) X(GdipCreateLineBrushI) X(GdipCreateLineBrushFromRect) \
  X(GdipCreateLineBrushFromRectI) X(GdipSetLineWrapMode)                        \
  X(GdipCreatePen1) X(GdipDeletePen) X(GdipSetPenDashStyle) X(GdipSetPenWidth)  \
  /* shapes */                                                                  \
  X(GdipFillRectangle) X(GdipFillRectangleI) X(GdipDrawRectangle)               \
  X(GdipDrawRectangleI) X(GdipDrawLine) X(GdipDrawLineI) X(GdipFillPolygon)     \
  X(GdipDrawPolygon) X(GdipFillPath) X(GdipDrawPath) X(GdipFillRegion)          \
  X(GdipFillEllipse) X(GdipDrawEllipse) X(GdipFillEllipseI) X(GdipDrawArc)      \
  X(GdipCreatePath) X(GdipDeletePath) X(GdipAddPathArc) X(GdipAddPathLine)      \
  X(GdipAddPathRectangle) X(GdipAddPathEllipse) X(GdipClosePathFigure)          \
  X(GdipStartPathFigure) X(GdipAddPathPolygon)                                  \
  /* regions and matrices */                                                    \
  X(GdipCreateRegion) X(GdipCreateRegionRect) X(GdipCreateRegionRectI)          \
  X(GdipCreateRegionHrgn) X(GdipCreateRegionPath) X(GdipDeleteRegion)           \
  X(GdipCloneRegion) X(GdipCombineRegionRect) X(GdipCombineRegionRectI)         \
  X(GdipCombineRegionRegion) X(GdipGetRegionBounds) X(GdipGetRegionScansCount)  \
  X(GdipGetRegionScans) X(GdipIsEmptyRegion) X(GdipSetInfinite) X(GdipSetEmpty) \
  X(GdipCreateMatrix) X(GdipCreateMatrix2) X(GdipDeleteMatrix)                  \
  X(GdipInvertMatrix) X(GdipTransformMatrixPoints)                              \
  /* fonts, string formats and text */                                          \
  X(GdipCreateFontFamilyFromName) X(GdipDeleteFontFamily) X(GdipCreateFont)     \
  X(GdipDeleteFont) X(GdipCloneFont) X(GdipGetFamily) X(GdipGetFamilyName)      \
  X(GdipGetFontHeight) X(GdipGetFontSize) X(GdipGetFontStyle) X(GdipGetFontUnit) \
  X(GdipCreateStringFormat) X(GdipDeleteStringFormat) X(GdipCloneStringFormat)  \
  X(GdipSetStringFormatAlign) X(GdipGetStringFormatAlign)                       \
  X(GdipSetStringFormatLineAlign) X(GdipGetStringFormatLineAlign)               \
  X(GdipSetStringFormatTrimming) X(GdipGetStringFormatTrimming)                 \
  X(GdipSetStringFormatHotkeyPrefix) X(GdipGetStringFormatHotkeyPrefix)         \
  X(GdipSetStringFormatFlags) X(GdipGetStringFormatFlags)                       \
  X(GdipSetStringFormatTabStops) X(GdipSetStringFormatMeasurableCharacterRanges) \
  X(GdipDrawString) X(GdipMeasureString) X(GdipMeasureCharacterRanges)

namespace ui::gp {

using Gdiplus::GpStatus;

struct Table {
  decltype(&Gdiplus::GdiplusStartup) GdiplusStartup = nullptr;
#define UI_GP_FIELD(name) decltype(&Gdiplus::DllExports::name) name = nullptr;
  UI_GDIPLUS_FUNCTIONS(UI_GP_FIELD)
#undef UI_GP_FIELD
};

// The bound functions; looked up on first use.
const Table& table();
// Test seam: the same table, writable, so a test can remove a function.
Table& mutableTableForTest();

template <class R, class... A, class... T>
inline R CallOr(R fallback, R(WINAPI* fn)(A...), T&&... args) {
  return fn ? fn(std::forward<T>(args)...) : fallback;
}

#define UI_GP_WRAP(name)                                                    \
  template <class... T>                                                     \
  inline GpStatus name(T&&... args) {                                       \
    return CallOr(Gdiplus::GdiplusNotInitialized, table().name, std::forward<T>(args)...); \
  }
UI_GDIPLUS_FUNCTIONS(UI_GP_WRAP)
#undef UI_GP_WRAP

inline GpStatus GdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input,
                               Gdiplus::GdiplusStartupOutput* output) {
  return CallOr(Gdiplus::GdiplusNotInitialized, table().GdiplusStartup, token, input, output);
}

inline bool Ok(GpStatus s) { return s == Gdiplus::Ok; }

}  // namespace ui::gp
