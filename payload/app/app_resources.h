#pragma once
// The images built into qingwu.exe (qingwu.rc, ids in app_resource_ids.h).
#include "payload/app/app_resource_ids.h"
#include "ui/core/bytes.h"

namespace qingwu {

// The bytes of RCDATA resource `id` of the executable; empty when missing.
// They stay valid for the life of the process.
ui::ByteView Resource(int id);
// The caption glyph strip without its 8-byte PNG signature, as the library
// start-up takes it.
ui::ByteView GlyphStripWithoutSignature();

}  // namespace qingwu
