#include "ui/platform/system_api.h"

#include "ui/platform/system_library.h"

namespace ui::sys {

namespace {
Table Load() {
  Table t;
#define UI_SYS_BIND(dll, name, type, fallback) \
  t.name = reinterpret_cast<type>(platform::FindFunction(platform::LoadSystemLibrary(dll), #name));
  UI_SYSTEM_FUNCTIONS(UI_SYS_BIND)
#undef UI_SYS_BIND
  return t;
}

Table& Storage() {
  static Table t = Load();
  return t;
}
}  // namespace

const Table& table() { return Storage(); }
Table& mutableTableForTest() { return Storage(); }

}  // namespace ui::sys
