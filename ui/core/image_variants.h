#pragma once
// Larger drawings of an image for displays above 96 DPI. An application
// registers, for the bytes of an image drawn at 100 %, the same image drawn
// at 150 % and at 200 %; decoding for a display scale then picks one of the
// three (ui/core/image.h). Images nobody registered are their own 100 %
// drawing at every scale.
//
// Scales count quarters of 100 % as the host's DisplayScale does: 4 is
// 100 % (96 DPI), 6 is 150 %, 8 is 200 %.
#include "ui/core/bytes.h"

namespace ui {

inline constexpr int kUnitScaleQuarters = 4;

// The drawing picked for a scale and the scale it was drawn at.
struct ImageVariant {
  ByteView bytes;
  int quarters = kUnitScaleQuarters;
};

// Registers the 150 % and 200 % drawings of `base` (either may be empty:
// then that scale is missing). Every view must stay valid for the life of
// the process (embedded data). A later registration of the same base
// bytes replaces the earlier one; an empty base is ignored.
void RegisterImageVariants(ByteView base, ByteView x150, ByteView x200);

// The drawing of `image` for a display at `scaleQuarters`: the smallest
// drawing made at or above that scale, else the largest there is. `image`
// is found by its content (size, then a hash of a sample, then every
// byte), so a copy of registered bytes finds the same drawings. An image
// never registered gives itself at 100 %.
ImageVariant PickImageVariant(ByteView image, int scaleQuarters);

// Forgets every registration (tests start from a known registry).
void ClearImageVariants();

}  // namespace ui
