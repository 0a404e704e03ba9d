#pragma once
// Every pixel of an image, for comparing decodings exactly.
#include <vector>

#include "ui/core/bytes.h"
#include "ui/core/color.h"
#include "ui/platform/gdiplus_handles.h"

namespace qwtest {

// The image's pixels as straight 32bpp ARGB, rows top first; empty for null.
std::vector<ui::Argb> ImagePixels(Gdiplus::GpImage* image);
// The pixels of `bytes` as GDI+ alone decodes them (its codecs, no copy);
// empty when GDI+ cannot decode them.
std::vector<ui::Argb> GdiplusDecodedPixels(ui::ByteView bytes, bool signatureLeftOut);

}  // namespace qwtest
