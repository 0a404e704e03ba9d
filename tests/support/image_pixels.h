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
// What decoding from memory gave before the library read PNG images itself:
// GDI+'s decoding drawn into a new 32bpp ARGB bitmap. Empty when GDI+
// cannot decode the bytes.
std::vector<ui::Argb> GdiplusCopiedPixels(ui::ByteView bytes, bool signatureLeftOut);

}  // namespace qwtest
