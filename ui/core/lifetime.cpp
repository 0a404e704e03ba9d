#include "ui/core/lifetime.h"

#include <new>
#include <utility>
#include <vector>

namespace ui {

namespace {
constexpr std::uintptr_t kFirstHandle = 0x20000000;
constexpr std::uintptr_t kLastHandle = 0x7FFFFFF0;
constexpr std::uintptr_t kHandleStep = 4;

std::uintptr_t g_nextHandle = kFirstHandle;
int g_depth = 0;

std::vector<std::function<void()>>& Pending() {
  static auto* pending = new std::vector<std::function<void()>>();
  return *pending;
}

void RunPending() {
  // A release may itself put something off (it runs at depth 0, so that
  // runs at once); loop until nothing waits.
  while (!Pending().empty()) {
    std::vector<std::function<void()>> now;
    now.swap(Pending());
    for (auto& release : now) release();
  }
}
}  // namespace

std::uintptr_t NewHandle(bool (*inUse)(std::uintptr_t)) {
  for (;;) {
    const std::uintptr_t h = g_nextHandle;
    g_nextHandle = h + kHandleStep > kLastHandle ? kFirstHandle : h + kHandleStep;
    if (!inUse || !inUse(h)) return h;
  }
}

DispatchScope::DispatchScope() { ++g_depth; }

DispatchScope::~DispatchScope() {
  if (--g_depth == 0) RunPending();
}

int DispatchDepth() { return g_depth; }

void ReleaseLater(std::function<void()> release) {
  if (!release) return;
  if (g_depth == 0) {
    release();
    return;
  }
  Pending().push_back(std::move(release));
}

void FreeLater(void* memory) {
  if (!memory) return;
  if (g_depth == 0) {
    ::operator delete(memory);
    return;
  }
  Pending().push_back([memory] { ::operator delete(memory); });
}

std::size_t PendingReleases() { return Pending().size(); }

}  // namespace ui
