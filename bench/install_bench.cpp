// Installation: wall time from the click on "极速安装" to the finish steps,
// for the real payload and for a generated 64 MB archive (20 members, text
// and random data, made at bench time under the temporary folder and
// deleted afterwards), against the floor of the same work done directly:
// writing the archive once, inflating every member with zlib from memory
// and writing it out (and deleting the archive file), then saving the four
// shell links of the finish steps (under Wine each save starts a helper
// process, a cost the installer pays too). Both run in a fresh
// installer_probe.exe process (beside this program), started the same way,
// one process per run and a fresh folder each time: the installer clicked
// through its window, or the floor done on the probe's UI thread. Every
// other run starts with the installer, and each ratio is the median of the
// ratios of runs made back to back, so that a busy moment of the machine
// weighs on both sides. A last installation samples its private memory.
// For comparison, this process also measures the floor's members and the worker's
// part alone (the archive written out and unpacked by the archive
// operation, no window, no progress handler). Each case ends with one
// summary line: floor, click to finish, their ratio and the peak private
// memory, for the build (32- or 64-bit) that runs.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/form/zip_archive.h"
#include "app/resources/resources.h"
#include "app/system/file_system.h"
#include "app/system/mapped_file.h"
#include "ui/core/text.h"
#include "bench/bench_support.h"
#include "bench/generated_archive.h"
#include "bench/install_floor.h"

namespace {

using bench::Member;

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
  double floorLinksMs = 0;  // the four links' part of it
  double clickToFinishMs = 0;
  double clickToShownMs = 0;
  double privateBefore = 0, privateAfter = 0, sampledPeak = 0, reportedPeak = 0;  // bytes
};

// Runs installer_probe into `folder`: mode "" installs, "sample" installs
// and samples the memory, "floor" does the floor instead. With `archive`
// (a file) the probe installs that instead of the payload.
InstallReport RunProbe(const std::wstring& folder, int run, std::wstring mode, const std::wstring& archive) {
  if (!archive.empty() && mode.empty()) mode = L"install";
  InstallReport report;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring reportPath = std::wstring(temp) + L"qw-bench-install-report.txt";
  DeleteFileW(reportPath.c_str());
  // Without the trailing backslash, which would escape the closing quote.
  const std::wstring command = L"\"" + bench::ProgramFolder() + L"installer_probe.exe\" \"" +
                               folder.substr(0, folder.size() - 1) + L"\" \"" +
                               reportPath + L"\"" + (mode.empty() ? L"" : L" " + mode) +
                               (archive.empty() ? L"" : L" \"" + archive + L"\"");
  static int probes = 0;
  const std::wstring event = L"QwBenchInstall-" + mode + std::to_wstring(run) + L"-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++probes);
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
    if (k == "floor_links_ms") report.floorLinksMs = value;
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

// One archive to install: the payload, or a generated one in a file.
struct Case {
  const char* name;
  ui::ByteView zip;
  std::wstring file;  // empty: the payload built into the probe
  int runs;
  // Run folders removed after each run instead of at the end (a large
  // archive's runs would not all fit on the disk).
  bool removeEachRun;
  double ratioTarget;
};

// Runs one case and prints its figures; false when something failed.
bool RunCase(const Case& c) {
  const char* tree = sizeof(void*) == 4 ? "32-bit (x86)" : "64-bit (x64)";
  const std::vector<Member> members = bench::Members(c.zip);
  std::size_t total = 0;
  for (const Member& m : members) total += m.size;
  std::vector<std::uint8_t> buffer(1 << 20);
  std::printf("install [%s, %s]: archive %.2f MB, %zu members, %.2f MB unpacked\n", c.name, tree,
              Mb(static_cast<double>(c.zip.size())), members.size(), Mb(static_cast<double>(total)));

  std::vector<double> floor, floorLinks, installer, shown, installerRatio, shownRatio;
  std::vector<double> localFloor, worker, workerRatio;
  // Every run writes into folders of its own, made beforehand and removed
  // at the end: deleting files frees disk blocks, work that would fall
  // into the next run's time.
  std::vector<std::wstring> folders;
  auto folderFor = [&](const wchar_t* kind, int run) {
    folders.push_back(bench::FreshTempFolder(std::wstring(L"qw-bench-") + kind + std::to_wstring(run + 1)));
    return folders.back();
  };
  auto removeFolders = [&] {
    for (const std::wstring& folder : folders) bench::RemoveFolder(folder);
    folders.clear();
  };
  for (int i = -1; i < c.runs; ++i) {  // run -1 warms the file cache and is not counted
    // The floor and the installer each run in a fresh probe process, after
    // the same start-up; every other run starts with the installer, so
    // that neither always follows the other's process end.
    InstallReport f, r;
    if (i % 2 != 0) r = RunProbe(folderFor(L"install", i), i, L"", c.file);
    f = RunProbe(folderFor(L"floor", i), i, L"floor", c.file);
    if (i % 2 == 0) r = RunProbe(folderFor(L"install", i), i, L"", c.file);
    if (!f.ok || !r.ok) {
      std::printf("install [%s]: the %s did not finish\n", c.name, f.ok ? "installer" : "floor");
      removeFolders();
      return false;
    }
    // In this process, for comparison: the floor again and the worker's
    // part alone (no window, no progress handler), in turns first, as the
    // one that follows pays for the writing the other left to the disk.
    const std::wstring floorFolder = folderFor(L"floor-here", i);
    const std::wstring workerFolder = folderFor(L"worker", i);
    bool floorOk = true, workerOk = true;
    double lf = 0, w = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const double t0 = bench::NowMs();
      if ((turn == 0) == (i % 2 == 0)) {
        floorOk = bench::Floor(c.zip, members, floorFolder, buffer);
        lf = bench::NowMs() - t0;
      } else {
        workerOk = WorkerAlone(c.zip, workerFolder);
        w = bench::NowMs() - t0;
      }
    }
    if (c.removeEachRun) removeFolders();
    if (!floorOk || !workerOk) {
      std::printf("install [%s]: %s\n", c.name,
                  floorOk ? "the archive operation failed" : "the floor could not unpack the archive");
      removeFolders();
      return false;
    }
    if (i < 0) continue;
    floor.push_back(f.floorMs);
    floorLinks.push_back(f.floorLinksMs);
    installer.push_back(r.clickToFinishMs);
    shown.push_back(r.clickToShownMs);
    installerRatio.push_back(r.clickToFinishMs / f.floorMs);
    shownRatio.push_back(r.clickToShownMs / f.floorMs);
    localFloor.push_back(lf);
    worker.push_back(w);
    workerRatio.push_back(w / lf);
  }
  const InstallReport sampled = RunProbe(folderFor(L"install", c.runs), c.runs, L"sample", c.file);
  removeFolders();

  const double ratio = bench::Median(installerRatio);
  std::printf("install [%s]: median of %d (best)\n", c.name, c.runs);
  std::printf("install [%s]: floor, in a probe process like the installer's:  %8.1f ms (%.1f), of which the "
              "four links %.1f ms\n", c.name, bench::Median(floor), bench::Best(floor), bench::Median(floorLinks));
  std::printf("install [%s]: installer, click to finish steps:               %8.1f ms (%.1f)\n", c.name,
              bench::Median(installer), bench::Best(installer));
  std::printf("install [%s]: installer, click to the finished window shown:  %8.1f ms (%.1f), %.2f x the floor\n",
              c.name, bench::Median(shown), bench::Best(shown), bench::Median(shownRatio));
  std::printf("install [%s]: in this process: floor %.1f ms, worker's part alone (write archive, unpack it) "
              "%.1f ms, %.2f x\n", c.name, bench::Median(localFloor), bench::Median(worker),
              bench::Median(workerRatio));
  double peak = 0;
  if (sampled.ok) {
    std::printf("install [%s]: private memory before the click %.1f MB, sampled peak during it %.1f MB, "
                "after %.1f MB; peak as the system reports it (PeakPagefileUsage) %.1f MB\n", c.name,
                Mb(sampled.privateBefore), Mb(sampled.sampledPeak), Mb(sampled.privateAfter),
                Mb(sampled.reportedPeak));
    peak = std::max(sampled.sampledPeak, sampled.reportedPeak);
  } else {
    std::printf("install [%s]: the sampled installation did not finish\n", c.name);
  }
  std::printf("install [%s, %s]: SUMMARY floor %.1f ms, click to finish %.1f ms, ratio %.2f (target <= %.2f: %s), "
              "peak private %.1f MB (target <= 32 MB: %s)\n", c.name, tree, bench::Median(floor),
              bench::Median(installer), ratio, c.ratioTarget, ratio <= c.ratioTarget ? "met" : "NOT met", Mb(peak),
              sampled.ok && Mb(peak) <= 32 ? "met" : "NOT met");
  return sampled.ok;
}

}  // namespace

int main() {
  bool ok = RunCase({"7 MB payload", app::resources::PayloadArchive(), L"", 9, false, 1.20});

  // The generated archive: written once, mapped read-only like the
  // payload's constant data, deleted at the end.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"qw-bench-generated-64mb.zip";
  const double t0 = bench::NowMs();
  if (!bench::WriteGeneratedArchive(path, 64u << 20)) {
    std::printf("install: the generated archive could not be written\n");
    DeleteFileW(path.c_str());
    return 1;
  }
  std::printf("install: generated the 64 MB archive in %.0f ms\n", bench::NowMs() - t0);
  {
    const app::sys::MappedFile archive(ui::FromWide(path));
    ok = !archive.bytes().empty() &&
         RunCase({"64 MB generated", archive.bytes(), path, 7, true, 1.10}) && ok;
  }
  DeleteFileW(path.c_str());
  return ok ? 0 : 1;
}

