#include "ui/platform/gdiplus_api.h"

#include "ui/platform/system_library.h"

namespace ui::gp {

namespace {
Table Load() {
  Table t;
  HMODULE dll = platform::LoadSystemLibrary(L"gdiplus.dll");
  if (!dll) return t;
  t.GdiplusStartup = reinterpret_cast<decltype(t.GdiplusStartup)>(
      platform::FindFunction(dll, "GdiplusStartup"));
#define UI_GP_BIND(name) \
  t.name = reinterpret_cast<decltype(t.name)>(platform::FindFunction(dll, #name));
  UI_GDIPLUS_FUNCTIONS(UI_GP_BIND)
#undef UI_GP_BIND
  return t;
}

Table& Storage() {
  static Table t = Load();
  return t;
}
}  // namespace

const Table& table() { return Storage(); }
Table& mutableTableForTest() { return Storage(); }

}  // namespace ui::gp
