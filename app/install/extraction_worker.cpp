#include "app/install/extraction_worker.h"

#include <memory>

#include "app/form/ui_thread_relay.h"
#include "app/form/zip_archive.h"
#include "app/install/installation.h"
#include "app/install/product.h"
#include "app/system/file_system.h"

namespace app::install {

bool ExtractionWorker::Start(Installation& owner, HWND relay, std::string folder, ui::ByteView archive) {
  auto job = std::make_unique<ExtractionWorker>(ExtractionWorker{&owner, relay, std::move(folder), archive});
  const HANDLE thread = CreateThread(nullptr, 0, &ExtractionWorker::ThreadProc, job.get(), 0, nullptr);
  if (!thread) return false;
  job.release();  // the thread owns it now
  CloseHandle(thread);
  return true;
}

DWORD WINAPI ExtractionWorker::ThreadProc(LPVOID param) {
  std::unique_ptr<ExtractionWorker> job(static_cast<ExtractionWorker*>(param));
  job->Run();
  return 0;
}

void ExtractionWorker::Run() {
  const std::string archivePath = folder + kTemporaryArchiveName;
  InstallFailure failure;
  bool failed = false;
  if (!sys::WriteWholeFile(archivePath, archive)) {
    failed = true;
    failure.kind = InstallFailure::Kind::ArchiveNotWritten;
    failure.subject = archivePath;
  } else {
    form::ZipArchive zip;
    zip.OnProgress([this](int percent) {
      return form::UiThreadRelay::Run(relay, [&] { owner->OnProgress(percent); });
    });
    // sj.zip now holds exactly these bytes: unpacking them where they lie
    // gives the same result, without reading the file back from disk.
    failure.unpack = zip.Unpack(archive, folder, archivePath);
    failed = !failure.unpack.ok();
  }
  SetFileAttributesA(archivePath.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(archivePath.c_str());
  // The last report; when the UI thread is gone there is nobody to tell.
  form::UiThreadRelay::Run(relay, [&] { owner->OnWorkerEnded(failed ? &failure : nullptr); });
}

}  // namespace app::install
