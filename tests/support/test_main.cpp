// Common main of every test program: starts GDI+ and the library once (as
// the installer does) and runs GoogleTest.
#include <gtest/gtest.h>

#include "tests/support/test_images.h"
#include "tests/support/test_env.h"
#include "ui/core/library.h"
#include "ui/core/menu.h"
#include "ui/platform/system_library.h"

namespace qwtest {
ui::UiMenu& SharedEditMenu() {
  static ui::UiMenu menu;
  return menu;
}
}  // namespace qwtest

int main(int argc, char** argv) {
  ui::platform::HardenDllSearch();
  ui::LibraryInit init;
  init.glyphStrip = qwtest::RgbStripPngWithoutSignature();
  init.editMenu = &qwtest::SharedEditMenu();
  ui::InitLibrary(init);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
