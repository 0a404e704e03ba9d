#include "app/system/write_faults.h"

#include <atomic>

namespace app::sys {

namespace {
// Write steps run on the UI thread and on the extraction worker.
std::atomic<int> steps{0};
std::atomic<int> failAt{0};
std::atomic<DWORD> failError{0};
}  // namespace

void FailNthWrite(int n, DWORD error) {
  failError = error;
  failAt = n;
  steps = 0;
}

int WriteSteps() { return steps; }

bool InjectedWriteFault() {
  const int step = ++steps;
  if (failAt == 0 || step != failAt) return false;
  SetLastError(failError);
  return true;
}

}  // namespace app::sys
