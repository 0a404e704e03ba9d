#include "payload/app/app_resources.h"

#include <windows.h>

#include "ui/core/image_variants.h"

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

ui::ByteView GlyphStripWithoutSignature(int id) {
  const ui::ByteView png = Resource(id);
  return png.size() > 8 ? png.subspan(8) : ui::ByteView();
}

void RegisterArtworkVariants() {
  for (int id = QW_RES_FIRST_IMAGE + 1; id <= QW_RES_LAST_IMAGE; ++id)
    ui::RegisterImageVariants(Resource(id), Resource(id + QW_RES_LARGER_150), Resource(id + QW_RES_LARGER_200));
}

}  // namespace qingwu
