#pragma once
// Frames of multi-frame images (animated GIFs) and icons as bitmaps.
#include <windows.h>

#include <vector>

#include "ui/platform/gdiplus_handles.h"

namespace ui {

struct FrameInfo {
  int frameCount = 0;       // frames in the time dimension; 1 for a still image, 0 without image
  std::vector<int> delays;  // per frame, hundredths of a second, as stored in the image
};

// Reads the frame count and the frame delays (property 0x5100) of `image`.
// With `fixZeroDelays` every delay of 0 becomes 10; with `defaultDelay` an
// image without delays gets the single delay 10.
FrameInfo ReadFrameInfo(Gdiplus::GpImage* image, bool fixZeroDelays, bool defaultDelay);

// Makes frame `index` (0-based) of the time dimension the active one.
bool SelectFrame(Gdiplus::GpImage* image, int index);

// A 32bpp ARGB copy of an icon. Icons with an alpha channel keep it; icons
// without one are converted by GDI+ (mask transparency). Null on failure.
gp::Bitmap BitmapFromIcon(HICON icon);

}  // namespace ui
