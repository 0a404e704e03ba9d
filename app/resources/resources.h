#pragma once
// The installer's constant data: artwork and the application archive, built
// into the executable's read-only data (resources_data.S). Each view stays
// valid for the whole process; nothing is read from beside the executable.
#include "ui/core/bytes.h"

namespace app::resources {

// Caption-button glyphs, 729 x 20 PNG without the 8-byte PNG signature.
ui::ByteView LibraryGlyphStrip();
ui::ByteView BackgroundImage();        // 590 x 283
ui::ByteView CloseNormalImage();       // 30 x 30
ui::ByteView CloseHoverImage();        // 30 x 30
ui::ByteView BigButtonNormalImage();   // 220 x 60
ui::ByteView BigButtonHoverImage();    // 220 x 60
ui::ByteView BrowseNormalImage();      // 152 x 39
ui::ByteView BrowseHoverImage();       // 152 x 39
// ZIP archive of the application: eight top-level members, among them
// "qingwu.exe" and "uninst.exe".
ui::ByteView PayloadArchive();

// The glyph strip drawn at 150 % (1094 x 30) and 200 % (1458 x 40), also
// without the PNG signature.
ui::ByteView LibraryGlyphStrip150();
ui::ByteView LibraryGlyphStrip200();

// Each image above but the glyph strip and the archive, with its drawings
// at 150 % and 200 % (round(w * 1.5) x round(h * 1.5) and 2w x 2h).
struct ArtworkDrawings {
  ui::ByteView base, x150, x200;
};
// Every image of the window's artwork; the glyph strip is the library's.
std::span<const ArtworkDrawings> WindowArtwork();
// Registers the larger drawings of the window's artwork with the library
// (ui/core/image_variants.h).
void RegisterArtworkVariants();

}  // namespace app::resources
