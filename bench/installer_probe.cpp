// The installer as qingwu_setup.exe runs it (same objects, same start-up),
// started by the benchmarks. It sets the named event given last on its
// command line once its window's first frame is on the screen. Given an
// installation folder and a report file before the event name, it then
// types the folder, clicks "极速安装" through the window and writes to the
// report file the time from the click to the finish steps and its private
// memory; with "sample" after the report file it also samples its private
// memory every millisecond during the installation (for the peak). With
// "floor" it does the floor of that installation instead (no click) and
// reports its time ("install" installs, as no mode does). An archive file
// given after the mode is mapped read-only and installed (or unpacked by
// the floor) instead of the payload.
//   installer_probe [<folder> <report> [sample|floor|install [<archive>]]] <event>
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/installer_app.h"
#include "ui/host/window.h"
#include "app/resources/resources.h"
#include "app/system/mapped_file.h"
#include "bench/first_frame.h"
#include "bench/install_floor.h"
#include "ui/core/startup_trace.h"
#include "ui/core/text.h"
#include "ui/platform/entry_trace.h"

namespace {

// The committed private memory (PagefileUsage: Wine leaves PrivateUsage 0).
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return std::max(counters.PrivateUsage, counters.PagefileUsage);
}

SIZE_T ReportedPeakPrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return counters.PeakPagefileUsage;
}

// Samples the private memory on its own thread while it lives.
class PeakSampler {
 public:
  explicit PeakSampler(bool enabled) {
    if (enabled) thread_ = std::thread([this] { Run(); });
  }
  ~PeakSampler() { Stop(); }
  SIZE_T Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return peak_;
  }

 private:
  void Run() {
    while (!stop_) {
      peak_ = std::max(peak_.load(), PrivateBytes());
      Sleep(1);
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<SIZE_T> peak_{0};
  std::thread thread_;
};

// Pumps until `done` holds; false after `timeoutMs`. `done` is asked as
// soon as each PeekMessage returns: the worker's reports arrive as sent
// messages, handled inside PeekMessage, and the message it then returns
// (a paint, say) comes after the moment of interest.
template <class F>
bool PumpUntil(F&& done, DWORD timeoutMs) {
  const double end = bench::NowMs() + timeoutMs;
  for (;;) {
    MSG msg;
    const bool got = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    const bool finished = done();
    if (got) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (finished) return true;
    if (!got) {
      if (bench::NowMs() > end) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
}

int Install(app::InstallerApp& installer, HWND hwnd, const std::wstring& folder, const std::wstring& reportPath,
            bool sample) {
  // Typed as the default folder reads, with its trailing backslash (the
  // command line carries it without, since it would escape the quote).
  installer.objects().pathEdit->Text(ui::FromWide(folder) + "\\");
  const ui::RectF button = installer.objects().installButton->Bounds();
  const LPARAM at = MAKELPARAM(static_cast<int>(button.x + button.width / 2),
                               static_cast<int>(button.y + button.height / 2));
  auto* installation = installer.installation();
  ui::UiWindow* host = installer.objects().mainHost.get();

  // The pointer comes to rest on the button (its hover fade ends) before
  // the click, as when a user clicks.
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  PumpUntil([&] { return !installer.objects().installButton->TransitionRunning(); }, 10000);

  const SIZE_T before = PrivateBytes();
  PeakSampler sampler(sample);
  const double t0 = bench::NowMs();
  double t1 = 0;  // when the installation left the installing state
  double t2 = 0;  // when, after that, the window showed its last change
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
  PumpUntil(
      [&] {
        if (!t1 && installation->phase() != app::install::Phase::Installing) t1 = bench::NowMs();
        if (t1 && !t2 && !host->RedrawsHeld() && host->PendingRedraws() == 0) t2 = bench::NowMs();
        return t2 != 0;
      },
      120000);
  const bool finished = installation->phase() == app::install::Phase::Finished;
  const double elapsed = t1 - t0;
  const SIZE_T peak = sampler.Stop();
  // The worker deletes sj.zip after the last report: let it end.
  PumpUntil([&] { return !installation->WorkerRunning(); }, 60000);

  FILE* out = _wfopen(reportPath.c_str(), L"w");
  if (!out) return 3;
  std::fprintf(out, "finished %d\nclick_to_finish_ms %.3f\nclick_to_shown_ms %.3f\nprivate_before %zu\nprivate_after %zu\n"
               "sampled_peak_private %zu\nreported_peak_private %zu\n",
               finished ? 1 : 0, elapsed, t2 - t0, static_cast<size_t>(before), static_cast<size_t>(PrivateBytes()),
               static_cast<size_t>(peak), static_cast<size_t>(ReportedPeakPrivateBytes()));
  std::fclose(out);
  return finished ? 0 : 2;
}

// The floor of the same installation, done directly on the UI thread of a
// process in the same state as the installer's at its click: same start-up,
// window shown, payload not yet read. The members, then the four links.
int RunFloor(ui::ByteView zip, const std::wstring& folder, const std::wstring& reportPath) {
  const std::vector<bench::Member> members = bench::Members(zip);
  std::vector<std::uint8_t> buffer(1 << 20);
  const double t0 = bench::NowMs();
  bool ok = bench::Floor(zip, members, folder + L"\\", buffer);
  const double t1 = bench::NowMs();
  ok = ok && bench::FloorLinks(folder + L"\\");
  const double elapsed = bench::NowMs() - t0;
  FILE* out = _wfopen(reportPath.c_str(), L"w");
  if (!out) return 3;
  std::fprintf(out, "finished %d\nfloor_ms %.3f\nfloor_links_ms %.3f\n", ok ? 1 : 0, elapsed, elapsed - (t1 - t0));
  std::fclose(out);
  return ok ? 0 : 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) return 1;
  const std::wstring eventName = argv[argc - 1];

  // QW_STARTUP_TRACE=<file>: the start-up's stages, in ms since the process was created.
  static bench::StageTrace trace;
  if (trace.On()) ui::StartupTraceSink() = [](const char* name) { trace.Mark(name); };
  // The DLL search was hardened and the early system DLLs were loaded
  // before the C runtime started, as in qingwu_setup.exe
  // (ui/platform/process_entry.cpp): "main" comes after that.
  const ui::platform::EntryTrace& entry = ui::platform::ProcessEntryTrace();
  trace.MarkAt("entry", entry.entered);
  trace.MarkAt("entry:dlls", entry.preloaded);
  trace.MarkAt("entry:imports", entry.bound);
  trace.Mark("main");
  static app::InstallerApp installer;
  trace.Mark("objects");
  installer.Start(app::resources::LibraryGlyphStrip());
  trace.Mark("started");
  const HWND hwnd = installer.texts().startWindowHandle;
  if (!bench::PumpUntilPresented(hwnd, 60000)) return 1;
  trace.Mark("first-frame");
  bench::Signal(eventName.c_str());
  if (trace.On()) {
    // What the first frame no longer waits for: the system DLLs of the later work.
    PumpUntil([&] { return !installer.lateSystemDlls().Waiting(); }, 60000);
    trace.Mark("late-dlls");
    trace.Write();
  }

  int result = 0;
  const std::wstring mode = argc >= 5 ? argv[3] : L"";
  std::optional<app::sys::MappedFile> archive;
  if (argc >= 6) {
    archive.emplace(ui::FromWide(argv[4]));
    installer.installation()->UseArchive(archive->bytes());
  }
  const ui::ByteView zip = archive ? archive->bytes() : app::resources::PayloadArchive();
  if (zip.empty()) {
    result = 4;
  } else if (argc >= 4 && mode == L"floor") {
    result = RunFloor(zip, argv[1], argv[2]);
  } else if (argc >= 4) {
    result = Install(installer, hwnd, argv[1], argv[2], mode == L"sample");
  }
  installer.EndProgram();
  app::RunMessageLoop();
  installer.Teardown();
  return result;
}
