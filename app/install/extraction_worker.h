#pragma once
// The installation's worker thread: writes the archive to F + "sj.zip",
// unpacks it into F (from the same bytes in memory), deletes sj.zip. Each
// progress report and the end are handed to the UI thread through the
// relay, and the worker waits for them. It is never joined; when the UI
// thread is gone it just stops.
#include <windows.h>

#include <memory>
#include <string>

#include "ui/core/bytes.h"

namespace app::install {

class Installation;
class InstallJournal;

struct ExtractionWorker {
  Installation* owner;  // touched only inside relayed tasks (on the UI thread)
  HWND relay;
  std::string folder;   // with its trailing backslash
  ui::ByteView archive;
  std::shared_ptr<InstallJournal> journal;  // records sj.zip and the members

  // Starts the thread (its handle is closed at once). False when no thread came up.
  static bool Start(Installation& owner, HWND relay, std::string folder, ui::ByteView archive,
                    std::shared_ptr<InstallJournal> journal);

 private:
  static DWORD WINAPI ThreadProc(LPVOID job);
  void Run();
};

}  // namespace app::install
