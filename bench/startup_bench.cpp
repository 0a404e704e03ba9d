// Start-up: from starting the process to the first frame of the installer
// window on the screen, against a minimal program that opens a window of
// the same size and blits one bitmap into it. Both are started the same
// way and signal the same event once their window's first frame is shown
// (installer_probe.exe and minimal_window.exe, beside this program). They
// start in pairs, one right after the other; the ratio compared with the
// target is the median of the pairs' ratios, as the installation benchmark
// reports its own (the machine's load moves the two alike within a pair,
// not over the run). The ratio of the two medians is printed beside it.
//
// Then the start-up stages of both: each run writes its stages (ms since
// its process was created) to a trace file (QW_STARTUP_TRACE,
// bench/first_frame.h); the medians over the runs are printed, each with
// the median of the step that led to it and what that step does.
//
// `startup_bench BASELINE.exe PROGRAM.exe` measures two other programs of
// this folder the same way (two builds of the installer probe, say).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "ui/core/text.h"

namespace {
constexpr int kRuns = 31;

// What happens between the stage before and the named one.
struct StageStep {
  const char* stage;
  const char* step;
};
constexpr StageStep kInstallerSteps[] = {
    {"entry", "process start: the loader (the program imports kernel32 alone)"},
    {"entry:dlls", "DLL search restricted, the early system DLLs loaded"},
    {"entry:imports", "the deferred imports bound"},
    {"main", "C runtime start-up, static objects"},
    {"objects", "the nine UI objects constructed"},
    {"app:variants", "larger artwork drawings registered"},
    {"init:begin", "library start-up begins"},
    {"init:gdiplus", "GDI+ start-up"},
    {"init:font", "fonts: the library's default font"},
    {"init:glyphs", "the caption glyph strip kept (decoded at its first use)"},
    {"app:library", "window class, edit menu"},
    {"app:window", "the start window created"},
    {"app:host", "UI host attached: background decoded, body composed"},
    {"app:labels", "form labels"},
    {"app:controls", "control creation: buttons, edit, progress bar"},
    {"app:built", "tab order, installation objects"},
    {"app:folder", "default folder"},
    {"started", "pending repaints handled, window shown, first paint (the complete frame)"},
    {"first-frame", "first frame presented (messages pumped, GDI flushed)"},
    {"late-dlls", "after the first frame: the system DLLs of the later work loaded"},
};
constexpr StageStep kMinimalSteps[] = {
    {"main", "process start: the loader with the imports (user32, gdi32, shell32), C runtime"},
    {"class", "picture drawn, window class registered"},
    {"window", "window created"},
    {"shown", "window shown and painted"},
    {"first-frame", "first frame presented (messages pumped, GDI flushed)"},
};

template <std::size_t N>
const char* StepOf(const StageStep (&steps)[N], const std::string& stage) {
  for (const StageStep& s : steps)
    if (stage == s.stage) return s.step;
  return "";
}

std::wstring TraceFile() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"qw_startup_trace_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
}

// The stages one run wrote, in order.
std::vector<std::pair<std::string, double>> ReadStages(const std::wstring& file) {
  std::vector<std::pair<std::string, double>> stages;
  FILE* f = _wfopen(file.c_str(), L"rb");
  if (!f) return stages;
  char name[128];
  double ms = 0;
  while (std::fscanf(f, "%127s %lf", name, &ms) == 2) stages.emplace_back(name, ms);
  std::fclose(f);
  return stages;
}

// The stages of the measured runs: their names in order, and per run the
// time of each (ms since the process was created).
struct StageRuns {
  std::vector<std::string> order;
  std::vector<std::map<std::string, double>> runs;
};

// Runs `program` with its trace on until it signals its first frame; a
// measured run (run >= 0) adds its time to `into` and its stages to `stages`.
bool Measure(const std::wstring& program, const wchar_t* tag, int run, std::vector<double>& into,
             StageRuns& stages) {
  const std::wstring file = TraceFile();
  DeleteFileW(file.c_str());
  SetEnvironmentVariableW(L"QW_STARTUP_TRACE", file.c_str());
  const std::wstring event = std::wstring(L"QwBenchFirstFrame-") + tag + L"-" + std::to_wstring(run) + L"-" +
                             std::to_wstring(GetCurrentProcessId());
  const bench::ChildRun r = bench::RunUntilSignalled(L"\"" + bench::ProgramFolder() + program + L"\"", event);
  SetEnvironmentVariableW(L"QW_STARTUP_TRACE", nullptr);
  if (!r.signalled) {
    std::printf("startup: %ls showed no frame (exit code %lu)\n", program.c_str(), r.exitCode);
    DeleteFileW(file.c_str());
    return false;
  }
  if (run >= 0) {
    into.push_back(r.signalMs);
    std::map<std::string, double>& times = stages.runs.emplace_back();
    for (const auto& [name, ms] : ReadStages(file)) {
      if (std::find(stages.order.begin(), stages.order.end(), name) == stages.order.end())
        stages.order.push_back(name);
      times[name] = ms;
    }
  }
  DeleteFileW(file.c_str());
  return true;
}

// Per stage: the median of its time since process creation and the median
// of its own step (from the stage before it, in the same run).
template <std::size_t N>
void PrintStages(const char* program, const StageRuns& stages, const StageStep (&steps)[N]) {
  std::printf("startup: %s stages over %zu runs: median ms since process creation, median step\n", program,
              stages.runs.size());
  for (std::size_t i = 0; i < stages.order.size(); ++i) {
    const std::string& name = stages.order[i];
    std::vector<double> at, step;
    for (const auto& run : stages.runs) {
      const auto it = run.find(name);
      if (it == run.end()) continue;
      at.push_back(it->second);
      double before = 0;
      if (i > 0) {
        const auto prev = run.find(stages.order[i - 1]);
        if (prev == run.end()) continue;
        before = prev->second;
      }
      step.push_back(it->second - before);
    }
    std::printf("startup:   %-14s %8.1f  +%6.1f  %s\n", name.c_str(), bench::Median(at), bench::Median(step),
                StepOf(steps, name));
  }
}
}  // namespace

int main(int argc, char** argv) {
  std::wstring base = L"minimal_window.exe", prog = L"installer_probe.exe";
  if (argc == 3) {
    base = ui::ToWide(argv[1]);
    prog = ui::ToWide(argv[2]);
  }
  std::vector<double> installer, minimal;
  StageRuns installerStages, minimalStages;
  // One unmeasured start of each first: the first start of a program reads
  // it from disk and is not what a user sees twice. Then the two start in
  // turn, each first in every other pair, so that neither always follows
  // the other.
  for (int i = -1; i < kRuns; ++i) {
    const bool minimalFirst = i % 2 == 0;
    for (bool minimalNow : {minimalFirst, !minimalFirst}) {
      if (minimalNow ? !Measure(base, L"m", i, minimal, minimalStages)
                     : !Measure(prog, L"i", i, installer, installerStages))
        return 1;
    }
  }
  const double mi = bench::Median(minimal), in = bench::Median(installer);
  // The ratio run by run: the two starts of a pair share the machine's load
  // of that moment, which moves by a factor of two over a run.
  std::vector<double> pairRatios;
  for (std::size_t i = 0; i < installer.size() && i < minimal.size(); ++i)
    pairRatios.push_back(installer[i] / minimal[i]);
  std::printf("startup: process start to first frame, median of %d (best)\n", kRuns);
  if (argc == 3) std::printf("startup: \"minimal window\" is %ls, \"installer\" is %ls\n", base.c_str(), prog.c_str());
  std::printf("startup: minimal window 588x438 + one blit: %8.1f ms (%.1f)\n", mi, bench::Best(minimal));
  std::printf("startup: installer window:                  %8.1f ms (%.1f)\n", in, bench::Best(installer));
  std::printf("startup: installer / minimal:               %8.2f (the medians)\n", in / mi);
  std::printf("startup: installer / minimal, pair by pair: %8.2f (median of the %zu pairs' ratios; the target's figure)\n",
              bench::Median(pairRatios), pairRatios.size());
  PrintStages("minimal window", minimalStages, kMinimalSteps);
  PrintStages("installer", installerStages, kInstallerSteps);
  return 0;
}
