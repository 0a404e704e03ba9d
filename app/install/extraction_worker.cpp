#include "app/install/extraction_worker.h"

#include <memory>

#include "app/form/ui_thread_relay.h"
#include "app/form/zip_archive.h"
#include "app/install/install_journal.h"
#include "app/install/installation.h"
#include "app/install/product.h"
#include "app/system/file_system.h"

namespace app::install {

bool ExtractionWorker::Start(Installation& owner, HWND relay, std::string folder, ui::ByteView archive,
                             std::shared_ptr<InstallJournal> journal) {
  auto job = std::make_unique<ExtractionWorker>(
      ExtractionWorker{&owner, relay, std::move(folder), archive, std::move(journal)});
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
  if (!journal->WriteFile(archivePath, archive)) {
    failed = true;
    failure.kind = InstallFailure::Kind::ArchiveNotWritten;
    failure.subject = archivePath;
    failure.systemError = GetLastError();
  } else {
    form::ZipArchive zip;
    zip.SetListener(journal.get());
    zip.OnProgress([this](int percent) {
      bool goOn = false;
      return form::UiThreadRelay::Run(relay, [&] { goOn = owner->OnProgress(percent); }) && goOn;
    });
    // sj.zip now holds exactly these bytes: unpacking them where they lie
    // gives the same result, without reading the file back from disk.
    failure.unpack = zip.Unpack(archive, folder, archivePath);
    failed = !failure.unpack.ok();
  }
  journal->RemoveTemporary(archivePath);
  // The last report; when the UI thread is gone there is nobody to tell.
  form::UiThreadRelay::Run(relay, [&] { owner->OnWorkerEnded(failed ? &failure : nullptr); });
}

}  // namespace app::install
