// Start-up: from starting the process to the first frame of the installer
// window on the screen, against a minimal program that opens a window of
// the same size and blits one bitmap into it. Both are started the same
// way and signal the same event once their window's first frame is shown
// (installer_probe.exe and minimal_window.exe, beside this program).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {
constexpr int kRuns = 7;

bool Measure(const std::wstring& program, const wchar_t* tag, int run, std::vector<double>& into) {
  const std::wstring event = std::wstring(L"QwBenchFirstFrame-") + tag + L"-" + std::to_wstring(run) + L"-" +
                             std::to_wstring(GetCurrentProcessId());
  const bench::ChildRun r = bench::RunUntilSignalled(L"\"" + bench::ProgramFolder() + program + L"\"", event);
  if (!r.signalled) {
    std::printf("startup: %ls showed no frame (exit code %lu)\n", program.c_str(), r.exitCode);
    return false;
  }
  if (run >= 0) into.push_back(r.signalMs);
  return true;
}
}  // namespace

int main() {
  std::vector<double> installer, minimal;
  // One unmeasured start of each first: the first start of a program reads
  // it from disk and is not what a user sees twice.
  if (!Measure(L"minimal_window.exe", L"m", -1, minimal) || !Measure(L"installer_probe.exe", L"i", -1, installer))
    return 1;
  for (int i = 0; i < kRuns; ++i) {
    if (!Measure(L"minimal_window.exe", L"m", i, minimal) || !Measure(L"installer_probe.exe", L"i", i, installer))
      return 1;
  }
  const double mi = bench::Median(minimal), in = bench::Median(installer);
  std::printf("startup: process start to first frame, median of %d (best)\n", kRuns);
  std::printf("startup: minimal window 588x438 + one blit: %8.1f ms (%.1f)\n", mi, bench::Best(minimal));
  std::printf("startup: installer window:                  %8.1f ms (%.1f)\n", in, bench::Best(installer));
  std::printf("startup: installer / minimal:               %8.2f\n", in / mi);
  return 0;
}
