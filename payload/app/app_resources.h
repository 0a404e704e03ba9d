#pragma once
// The images built into qingwu.exe (qingwu.rc, ids in app_resource_ids.h).
#include "payload/app/app_resource_ids.h"
#include "ui/core/bytes.h"

namespace qingwu {

// The bytes of RCDATA resource `id` of the executable; empty when missing.
// They stay valid for the life of the process.
ui::ByteView Resource(int id);
// The caption glyph strip without its 8-byte PNG signature, as the library
// start-up takes it; `id` names one of its drawings (QW_RES_GLYPH_STRIP,
// _150 or _200).
ui::ByteView GlyphStripWithoutSignature(int id = QW_RES_GLYPH_STRIP);
// Registers the 150 % and 200 % drawings of every image but the glyph strip
// (the library's) with the library (ui/core/image_variants.h).
void RegisterArtworkVariants();

}  // namespace qingwu
