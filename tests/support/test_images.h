#pragma once
// Small encoded images for tests.
#include "ui/core/bytes.h"

namespace qwtest {

// A 4 x 3 RGBA PNG: rows red, green, blue in columns 0-2; column 3 is white
// at alpha 128.
ui::ByteView RgbStripPng();
// The same bytes without the 8-byte PNG signature.
ui::ByteView RgbStripPngWithoutSignature();

// A 4 x 4 GIF of three frames: red, lime, blue with delays 10, 20 and 0
// hundredths of a second.
ui::ByteView ThreeFrameGif();

}  // namespace qwtest
