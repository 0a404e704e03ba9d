// Installation: wall time from the click on "极速安装" to the finish steps,
// for the real payload, against the floor of the same work done directly:
// writing the archive once, inflating every member with zlib from memory
// and writing it out (and deleting the archive file). The installer runs in
// installer_probe.exe (beside this program), one process per installation,
// into a fresh folder each time; a last run samples its private memory.
// Between the two, the worker's own part runs in this process without a
// window: the archive written out and unpacked by the archive operation,
// with no progress handler; the rest of the installer's time is the UI
// thread's (the click, the control swap, each progress report, the finish).
// Runs alternate, and each ratio is the median of the ratios of runs made
// back to back, so that a busy moment of the machine weighs on both sides.
#include <windows.h>
#include <zlib.h>

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

namespace {

constexpr int kRuns = 7;

struct Member {
  std::string name;
  int method = 0;  // 0 stored, 8 deflated
  ui::ByteView data;
  std::size_t size = 0;
};

std::uint32_t Read32(ui::ByteView b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Read16(ui::ByteView b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }

// The members of a ZIP archive in memory, from its central directory.
std::vector<Member> Members(ui::ByteView zip) {
  std::vector<Member> members;
  if (zip.size() < 22) return members;
  std::size_t end = zip.size() - 22;
  while (end > 0 && Read32(zip, end) != 0x06054b50) --end;
  const std::size_t count = Read16(zip, end + 10);
  std::size_t at = Read32(zip, end + 16);
  for (std::size_t i = 0; i < count && at + 46 <= zip.size() && Read32(zip, at) == 0x02014b50; ++i) {
    Member m;
    m.method = Read16(zip, at + 10);
    const std::size_t packed = Read32(zip, at + 20);
    m.size = Read32(zip, at + 24);
    const std::size_t nameLength = Read16(zip, at + 28);
    const std::size_t local = Read32(zip, at + 42);
    m.name.assign(reinterpret_cast<const char*>(&zip[at + 46]), nameLength);
    const std::size_t data = local + 30 + Read16(zip, local + 26) + Read16(zip, local + 28);
    m.data = zip.subspan(data, packed);
    members.push_back(m);
    at += 46 + nameLength + Read16(zip, at + 30) + Read16(zip, at + 32);
  }
  return members;
}

// Writes `size` bytes to the open file; false on failure.
bool WriteAll(HANDLE file, const void* bytes, std::size_t size) {
  DWORD written = 0;
  return WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

HANDLE CreateTarget(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Inflates one member into the open file through `buffer` (1 MB at a time,
// which keeps the data in the processor's cache between zlib and the write).
bool InflateInto(HANDLE file, const Member& m, std::vector<std::uint8_t>& buffer) {
  if (m.method == 0) return WriteAll(file, m.data.data(), m.data.size());
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(m.data.data());
  z.avail_in = static_cast<uInt>(m.data.size());
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = buffer.data();
    z.avail_out = static_cast<uInt>(buffer.size());
    rc = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = buffer.size() - z.avail_out;
    if ((rc != Z_OK && rc != Z_STREAM_END) || !WriteAll(file, buffer.data(), produced)) rc = Z_DATA_ERROR;
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END && z.total_out == m.size;
}

// The floor: the least work that puts the members into `folder`.
bool Floor(ui::ByteView zip, const std::vector<Member>& members, const std::wstring& folder,
           std::vector<std::uint8_t>& buffer) {
  const std::wstring archive = folder + L"sj.zip";
  HANDLE file = CreateTarget(archive);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, zip.data(), zip.size());
  if (!CloseHandle(file) || !ok) return false;
  for (const Member& m : members) {
    file = CreateTarget(folder + std::wstring(m.name.begin(), m.name.end()));
    if (file == INVALID_HANDLE_VALUE) return false;
    ok = InflateInto(file, m, buffer);
    if (!CloseHandle(file) || !ok) return false;
  }
  return DeleteFileW(archive.c_str()) != FALSE;
}

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
  double clickToFinishMs = 0;
  double clickToShownMs = 0;
  double privateBefore = 0, privateAfter = 0, sampledPeak = 0, reportedPeak = 0;  // bytes
};

InstallReport RunInstaller(const std::wstring& folder, int run, bool sample) {
  InstallReport report;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring reportPath = std::wstring(temp) + L"qw-bench-install-report.txt";
  DeleteFileW(reportPath.c_str());
  // Without the trailing backslash, which would escape the closing quote.
  const std::wstring command = L"\"" + bench::ProgramFolder() + L"installer_probe.exe\" \"" +
                               folder.substr(0, folder.size() - 1) + L"\" \"" +
                               reportPath + L"\"" + (sample ? L" sample" : L"");
  const std::wstring event = L"QwBenchInstall-" + std::to_wstring(run) + L"-" + std::to_wstring(GetCurrentProcessId());
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
  const std::vector<Member> members = Members(zip);
  std::size_t total = 0;
  for (const Member& m : members) total += m.size;
  std::vector<std::uint8_t> buffer(1 << 20);
  std::printf("install: payload archive %.2f MB, %zu members, %.2f MB unpacked\n", Mb(static_cast<double>(zip.size())),
              members.size(), Mb(static_cast<double>(total)));

  std::vector<double> floor, worker, installer, shown, workerRatio, installerRatio, shownRatio;
  // Every run writes into folders of its own, made beforehand and removed
  // at the end: deleting files frees disk blocks, work that would fall
  // into the next run's time.
  std::vector<std::wstring> folders;
  auto folderFor = [&](const wchar_t* kind, int run) {
    folders.push_back(bench::FreshTempFolder(std::wstring(L"qw-bench-") + kind + std::to_wstring(run + 1)));
    return folders.back();
  };
  for (int i = -1; i < kRuns; ++i) {  // run -1 warms the file cache and is not counted
    std::wstring folder = folderFor(L"floor", i);
    double t0 = bench::NowMs();
    if (!Floor(zip, members, folder, buffer)) {
      std::printf("install: the floor could not unpack the archive\n");
      return 1;
    }
    const double f = bench::NowMs() - t0;
    folder = folderFor(L"worker", i);
    t0 = bench::NowMs();
    if (!WorkerAlone(zip, folder)) {
      std::printf("install: the archive operation failed\n");
      return 1;
    }
    const double w = bench::NowMs() - t0;
    const InstallReport r = RunInstaller(folderFor(L"install", i), i, false);
    if (!r.ok) {
      std::printf("install: the installer did not finish\n");
      return 1;
    }
    if (i < 0) continue;
    floor.push_back(f);
    worker.push_back(w);
    installer.push_back(r.clickToFinishMs);
    shown.push_back(r.clickToShownMs);
    shownRatio.push_back(r.clickToShownMs / f);
    workerRatio.push_back(w / f);
    installerRatio.push_back(r.clickToFinishMs / f);
  }
  const InstallReport sampled = RunInstaller(folderFor(L"install", kRuns), kRuns, true);
  for (const std::wstring& folder : folders) bench::RemoveFolder(folder);

  const double ratio = bench::Median(installerRatio);
  std::printf("install: median of %d (best)\n", kRuns);
  std::printf("install: floor (write archive, inflate, write members):  %8.1f ms (%.1f)\n", bench::Median(floor),
              bench::Best(floor));
  std::printf("install: worker's part alone (write archive, unpack it): %8.1f ms (%.1f), %.2f x the floor\n",
              bench::Median(worker), bench::Best(worker), bench::Median(workerRatio));
  std::printf("install: installer, click to finish steps:               %8.1f ms (%.1f)\n", bench::Median(installer),
              bench::Best(installer));
  std::printf("install: installer, click to the finished window shown: %8.1f ms (%.1f), %.2f x the floor\n",
              bench::Median(shown), bench::Best(shown), bench::Median(shownRatio));
  std::printf("install: the UI thread's share (installer less the worker's part): %.1f ms\n",
              bench::Median(installer) - bench::Median(worker));
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
