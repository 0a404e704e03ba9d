#pragma once
// A seam for tests: every write step of the installation (a folder, a
// file, a kept copy, a registry value, a link) asks here first, so a test
// can make the n-th of them fail as a full disk or a refusal would.
#include <windows.h>

namespace app::sys {

// From now on the `n`-th write step fails with `error` (n counts from 1;
// 0 turns the fault off). Resets the count of write steps.
void FailNthWrite(int n, DWORD error);
// Write steps since the last FailNthWrite call.
int WriteSteps();
// Called by each write step: true (with `error` as the last error) when
// this one is to fail.
bool InjectedWriteFault();

}  // namespace app::sys
