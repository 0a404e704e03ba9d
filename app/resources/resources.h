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

}  // namespace app::resources
