#include "ui/platform/system_api.h"

#include <atomic>
#include <cstddef>
#include <mutex>

#include "ui/platform/system_library.h"

namespace ui::sys {

namespace {
constexpr std::size_t kFunctionCount = 0
#define UI_SYS_COUNT(dll, name, type, fallback) +1
    UI_SYSTEM_FUNCTIONS(UI_SYS_COUNT)
#undef UI_SYS_COUNT
    ;
std::atomic<bool> g_bound[kFunctionCount];
std::mutex g_binding;
}  // namespace

Table& storage() {
  static Table t;
  return t;
}

bool IsBound(Fn id) { return g_bound[static_cast<std::size_t>(id)].load(std::memory_order_acquire); }

void BindOnce(Fn id, const wchar_t* dll, const char* name, void (*store)(Table&, FARPROC)) {
  const std::lock_guard<std::mutex> hold(g_binding);
  if (IsBound(id)) return;
  store(storage(), platform::FindFunction(platform::LoadSystemLibrary(dll), name));
  g_bound[static_cast<std::size_t>(id)].store(true, std::memory_order_release);
}

Table& mutableTableForTest() {
#define UI_SYS_BIND(dll, name, type, fallback) \
  if (!IsBound(Fn::name)) BindOnce(Fn::name, dll, #name, &StoreIn<&Table::name>);
  UI_SYSTEM_FUNCTIONS(UI_SYS_BIND)
#undef UI_SYS_BIND
  return storage();
}

}  // namespace ui::sys
