#include "app/resources/resources.h"

#include <cstdint>
#include <cstring>

#include "ui/core/image_variants.h"

// Each symbol is a 32-bit length followed by the bytes (resources_data.S).
extern "C" {
extern const std::uint8_t qw_res_library_glyph_strip[];
extern const std::uint8_t qw_res_background[];
extern const std::uint8_t qw_res_close_normal[];
extern const std::uint8_t qw_res_close_hover[];
extern const std::uint8_t qw_res_big_button_normal[];
extern const std::uint8_t qw_res_big_button_hover[];
extern const std::uint8_t qw_res_browse_normal[];
extern const std::uint8_t qw_res_browse_hover[];
extern const std::uint8_t qw_res_payload_archive[];
extern const std::uint8_t qw_res_library_glyph_strip_150[];
extern const std::uint8_t qw_res_library_glyph_strip_200[];
extern const std::uint8_t qw_res_background_150[];
extern const std::uint8_t qw_res_background_200[];
extern const std::uint8_t qw_res_close_normal_150[];
extern const std::uint8_t qw_res_close_normal_200[];
extern const std::uint8_t qw_res_close_hover_150[];
extern const std::uint8_t qw_res_close_hover_200[];
extern const std::uint8_t qw_res_big_button_normal_150[];
extern const std::uint8_t qw_res_big_button_normal_200[];
extern const std::uint8_t qw_res_big_button_hover_150[];
extern const std::uint8_t qw_res_big_button_hover_200[];
extern const std::uint8_t qw_res_browse_normal_150[];
extern const std::uint8_t qw_res_browse_normal_200[];
extern const std::uint8_t qw_res_browse_hover_150[];
extern const std::uint8_t qw_res_browse_hover_200[];
}

namespace app::resources {
namespace {
ui::ByteView View(const std::uint8_t* block) {
  std::uint32_t length = 0;
  std::memcpy(&length, block, sizeof length);
  return {block + sizeof length, length};
}
}  // namespace

ui::ByteView LibraryGlyphStrip() { return View(qw_res_library_glyph_strip); }
ui::ByteView BackgroundImage() { return View(qw_res_background); }
ui::ByteView CloseNormalImage() { return View(qw_res_close_normal); }
ui::ByteView CloseHoverImage() { return View(qw_res_close_hover); }
ui::ByteView BigButtonNormalImage() { return View(qw_res_big_button_normal); }
ui::ByteView BigButtonHoverImage() { return View(qw_res_big_button_hover); }
ui::ByteView BrowseNormalImage() { return View(qw_res_browse_normal); }
ui::ByteView BrowseHoverImage() { return View(qw_res_browse_hover); }
ui::ByteView PayloadArchive() { return View(qw_res_payload_archive); }
ui::ByteView LibraryGlyphStrip150() { return View(qw_res_library_glyph_strip_150); }
ui::ByteView LibraryGlyphStrip200() { return View(qw_res_library_glyph_strip_200); }

std::span<const ArtworkDrawings> WindowArtwork() {
  static const ArtworkDrawings artwork[] = {
      {View(qw_res_background), View(qw_res_background_150), View(qw_res_background_200)},
      {View(qw_res_close_normal), View(qw_res_close_normal_150), View(qw_res_close_normal_200)},
      {View(qw_res_close_hover), View(qw_res_close_hover_150), View(qw_res_close_hover_200)},
      {View(qw_res_big_button_normal), View(qw_res_big_button_normal_150), View(qw_res_big_button_normal_200)},
      {View(qw_res_big_button_hover), View(qw_res_big_button_hover_150), View(qw_res_big_button_hover_200)},
      {View(qw_res_browse_normal), View(qw_res_browse_normal_150), View(qw_res_browse_normal_200)},
      {View(qw_res_browse_hover), View(qw_res_browse_hover_150), View(qw_res_browse_hover_200)},
  };
  return artwork;
}

void RegisterArtworkVariants() {
  for (const ArtworkDrawings& a : WindowArtwork()) ui::RegisterImageVariants(a.base, a.x150, a.x200);
}

}  // namespace app::resources
