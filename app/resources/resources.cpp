#include "app/resources/resources.h"

#include <cstdint>
#include <cstring>

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

}  // namespace app::resources
