#include "payload/app/app_resources.h"

#include <windows.h>

namespace qingwu {

ui::ByteView Resource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

ui::ByteView GlyphStripWithoutSignature() {
  const ui::ByteView png = Resource(QW_RES_GLYPH_STRIP);
  return png.size() > 8 ? png.subspan(8) : ui::ByteView();
}

}  // namespace qingwu
