// Installation: wall time from the click on "极速安装" to the finish steps,
// for the real payload, against the floor of the same work done directly:
// writing the archive once, inflating every member with zlib from memory
// and writing it out (and deleting the archive file). Both run in a fresh
// installer_probe.exe process (beside this program), started the same way,
// one process per run and a fresh folder each time: the installer clicked
// through its window, or the floor done on the probe's UI thread. Every
// other run starts with the installer, and each ratio is the median of the
// ratios of runs made back to back, so that a busy moment of the machine
// weighs on both sides. A last installation samples its private memory.
// For comparison, this process also measures the floor and the worker's
// part alone (the archive written out and unpacked by the archive
// operation, no window, no progress handler).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/form/zip_archive.h"
#include "app/resources/resources.h"
#include "app/system/file_system.h"
#include "ui/core/text.h"
#include "bench/bench_support.h"
#include "bench/install_floor.h"

namespace {

using bench::Member;
constexpr int kRuns = 9;

// The worker's part alone: what the extraction worker does, without a UI.
bool WorkerAlone(ui::ByteView zip, const std::wstring& folder) {
  const std::string target = ui::FromWide(folder);
  const std::string archive = target + "sj.zip";
  if (!app::sys::WriteWholeFile(archive, zip)) return false;
  // Unpacked from the bytes just written, as the worker does.
  const app::form::UnpackResult result = app::form::ZipArchive().Unpack(zip, target, archive);
  SetFileAttributesA(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(archive.c_str());
  return result.ok();
}

struct InstallReport {
  bool ok = false;
  double floorMs = 0;  // the probe's floor run
  double clickToFinishMs = 0;
  double clickToShownMs = 0;
  double privateBefore = 0, privateAfter = 0, sampledPeak = 0, reportedPeak = 0;  // bytes
};

// Runs installer_probe into `folder`: mode "" installs, "sample" installs
// and samples the memory, "floor" does the floor instead.
InstallReport RunProbe(const std::wstring& folder, int run, const std::wstring& mode) {
  InstallReport report;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring reportPath = std::wstring(temp) + L"qw-bench-install-report.txt";
  DeleteFileW(reportPath.c_str());
  // Without the trailing backslash, which would escape the closing quote.
  const std::wstring command = L"\"" + bench::ProgramFolder() + L"installer_probe.exe\" \"" +
                               folder.substr(0, folder.size() - 1) + L"\" \"" +
                               reportPath + L"\"" + (mode.empty() ? L"" : L" " + mode);
  const std::wstring event = L"QwBenchInstall-" + mode + std::to_wstring(run) + L"-" +
                            std::to_wstring(GetCurrentProcessId());
  const bench::ChildRun child = bench::RunUntilSignalled(command, event);
  FILE* in = _wfopen(reportPath.c_str(), L"r");
  if (!in) return report;
  char key[64];
  double value;
  int finished = 0;
  while (std::fscanf(in, "%63s %lf", key, &value) == 2) {
    const std::string k = key;
    if (k == "finished") finished = static_cast<int>(value);
    if (k == "click_to_finish_ms") report.clickToFinishMs = value;
    if (k == "click_to_shown_ms") report.clickToShownMs = value;
    if (k == "floor_ms") report.floorMs = value;
    if (k == "private_before") report.privateBefore = value;
    if (k == "private_after") report.privateAfter = value;
    if (k == "sampled_peak_private") report.sampledPeak = value;
    if (k == "reported_peak_private") report.reportedPeak = value;
  }
  std::fclose(in);
  report.ok = finished == 1 && child.exitCode == 0;
  return report;
}

double Mb(double bytes) { return bytes / (1024.0 * 1024.0); }

}  // namespace

int main() {
  const ui::ByteView zip = app::resources::PayloadArchive();
  const std::vector<Member> members = bench::Members(zip);
  std::size_t total = 0;
  for (const Member& m : members) total += m.size;
  std::vector<std::uint8_t> buffer(1 << 20);
  std::printf("install: payload archive %.2f MB, %zu members, %.2f MB unpacked\n", Mb(static_cast<double>(zip.size())),
              members.size(), Mb(static_cast<double>(total)));

  std::vector<double> floor, installer, shown, installerRatio, shownRatio;
  std::vector<double> localFloor, worker, workerRatio;
  // Every run writes into folders of its own, made beforehand and removed
  // at the end: deleting files frees disk blocks, work that would fall
  // into the next run's time.
  std::vector<std::wstring> folders;
  auto folderFor = [&](const wchar_t* kind, int run) {
    folders.push_back(bench::FreshTempFolder(std::wstring(L"qw-bench-") + kind + std::to_wstring(run + 1)));
    return folders.back();
  };
  for (int i = -1; i < kRuns; ++i) {  // run -1 warms the file cache and is not counted
    // The floor and the installer each run in a fresh probe process, after
    // the same start-up; every other run starts with the installer, so
    // that neither always follows the other's process end.
    InstallReport f, r;
    if (i % 2 != 0) r = RunProbe(folderFor(L"install", i), i, L"");
    f = RunProbe(folderFor(L"floor", i), i, L"floor");
    if (i % 2 == 0) r = RunProbe(folderFor(L"install", i), i, L"");
    if (!f.ok || !r.ok) {
      std::printf("install: the %s did not finish\n", f.ok ? "installer" : "floor");
      return 1;
    }
    // In this process, for comparison: the floor again and the worker's
    // part alone (no window, no progress handler).
    std::wstring folder = folderFor(L"floor-here", i);
    double t0 = bench::NowMs();
    if (!bench::Floor(zip, members, folder, buffer)) {
      std::printf("install: the floor could not unpack the archive\n");
      return 1;
    }
    const double lf = bench::NowMs() - t0;
    folder = folderFor(L"worker", i);
    t0 = bench::NowMs();
    if (!WorkerAlone(zip, folder)) {
      std::printf("install: the archive operation failed\n");
      return 1;
    }
    const double w = bench::NowMs() - t0;
    if (i < 0) continue;
    floor.push_back(f.floorMs);
    installer.push_back(r.clickToFinishMs);
    shown.push_back(r.clickToShownMs);
    installerRatio.push_back(r.clickToFinishMs / f.floorMs);
    shownRatio.push_back(r.clickToShownMs / f.floorMs);
    localFloor.push_back(lf);
    worker.push_back(w);
    workerRatio.push_back(w / lf);
  }
  const InstallReport sampled = RunProbe(folderFor(L"install", kRuns), kRuns, L"sample");
  for (const std::wstring& folder : folders) bench::RemoveFolder(folder);

  const double ratio = bench::Median(installerRatio);
  std::printf("install: median of %d (best)\n", kRuns);
  std::printf("install: floor, in a probe process like the installer's:  %8.1f ms (%.1f)\n", bench::Median(floor),
              bench::Best(floor));
  std::printf("install: installer, click to finish steps:               %8.1f ms (%.1f)\n", bench::Median(installer),
              bench::Best(installer));
  std::printf("install: installer, click to the finished window shown:  %8.1f ms (%.1f), %.2f x the floor\n",
              bench::Median(shown), bench::Best(shown), bench::Median(shownRatio));
  std::printf("install: in this process: floor %.1f ms, worker's part alone (write archive, unpack it) %.1f ms, "
              "%.2f x\n", bench::Median(localFloor), bench::Median(worker), bench::Median(workerRatio));
  std::printf("install: installer / floor:                              %8.2f (target <= 1.20: %s)\n", ratio,
              ratio <= 1.2 ? "met" : "NOT met");
  if (sampled.ok) {
    std::printf("install: private memory before the click %.1f MB, sampled peak during it %.1f MB, after %.1f MB\n",
                Mb(sampled.privateBefore), Mb(sampled.sampledPeak), Mb(sampled.privateAfter));
    std::printf("install: peak private memory as the system reports it (PeakPagefileUsage): %.1f MB\n",
                Mb(sampled.reportedPeak));
    const double peak = std::max(sampled.sampledPeak, sampled.reportedPeak);
    std::printf("install: peak private memory %.1f MB (target <= 32 MB: %s)\n", Mb(peak),
                Mb(peak) <= 32 ? "met" : "NOT met");
  } else {
    std::printf("install: the sampled installation did not finish\n");
  }
  return 0;
}
