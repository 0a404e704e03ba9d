#pragma once
// The installation procedure: default folder, folder choice, the install
// click, the extraction worker's progress, the finish steps (uninstall
// registration, uninstall data, shortcuts) and run-now.
//
// Everything here runs on the UI thread. The extraction worker touches
// none of this object directly: it hands each report to the UI thread
// through a blocking relay and waits for it.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form/form_timer.h"
#include "app/form/ui_thread_relay.h"
#include "app/form/zip_archive.h"
#include "app/install/install_journal.h"
#include "app/install/installer_ui.h"
#include "app/installer_texts.h"
#include "ui/core/bytes.h"

namespace app::install {

// Ready -> Installing -> Finished. Installing lasts until the finish steps,
// the shortcuts included, are done. A failed installation takes back
// everything it wrote and goes back to Ready.
enum class Phase { Ready, Installing, Finished };

// The outside effects a test replaces; each empty one takes its default.
struct InstallerHooks {
  std::function<bool()> windowsFolderExists;              // default: probe "C:\Windows"
  std::function<void(const std::string& folder)> launch;  // default: open qingwu.exe in folder
  std::function<void()> endProgram;                       // default: PostQuitMessage(0)
  std::function<DWORD()> now;                             // default: GetTickCount
  std::function<UINT()> doubleClickTime;                  // default: GetDoubleClickTime
};

// Why an installation failed, for the message the user sees.
struct InstallFailure {
  enum class Kind {
    FolderNotAbsolute,
    FolderNameNotAllowed,      // a character or device name no folder may have
    FolderNameEndsInDotOrSpace,
    FolderTooLong,
    FolderNotCreated,
    ArchiveNotWritten,
    WorkerNotStarted,
    Unpack,
    RegistryNotWritten,
    UninstallDataNotWritten,
    ShortcutNotCreated,  // also the program group folder
  };
  Kind kind = Kind::Unpack;
  form::UnpackResult unpack;  // for Kind::Unpack
  std::string subject;        // the folder, file, value or link concerned (other kinds)
  std::string part;           // the folder name concerned (the FolderName kinds)
  DWORD systemError = 0;      // the system's error code, 0 when none (other kinds)
};
// The short sentence shown for a failure (code page 936).
std::string FailureMessage(const InstallFailure& failure);

class Installation {
 public:
  // `archive` must stay valid for the process's life (it is the program's
  // constant data); `ui`, `texts` and `shortcutTimer` outlive this object.
  Installation(InstallerUi& ui, InstallerTexts& texts, form::FormTimer& shortcutTimer,
               ui::ByteView archive, InstallerHooks hooks = {});
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;
  ~Installation();

  // Installs `archive` from now on instead of the one given at
  // construction (it must stay valid as long); ignored outside Ready.
  // Lets a benchmark install an archive of its own through the window.
  void UseArchive(ui::ByteView archive);

  // Puts "C:\青梧网游加速器\" into the folder field when C:\Windows exists.
  void SetDefaultFolder();
  // The browse button: folder dialog, then the product folder below the choice.
  void OnBrowseClick();
  // The install button.
  void OnInstallClick();
  // The run button: starts qingwu.exe and ends the program, when it exists.
  void OnRunClick();
  // Closing the window (its close button, Alt+F4, WM_CLOSE). Outside an
  // installation the program ends at once. While installing the user is
  // asked first; yes takes the installation back and then ends the
  // program, no lets it go on.
  void OnCloseRequest();

  Phase phase() const { return phase_; }
  // Between the install click and the end of the finish steps (or the
  // return to Ready); the worker may already have ended.
  bool Busy() const { return phase_ == Phase::Installing; }
  // The extraction worker has not yet reported its end.
  bool WorkerRunning() const { return workerRunning_; }

 private:
  friend struct ExtractionWorker;

  // False asks the worker to stop (a write here failed, or the user is leaving).
  bool OnProgress(int percent);
  void OnWorkerEnded(const InstallFailure* failure);
  void EndAfterWorker(const std::optional<InstallFailure>& failure);
  // A failure of the finish steps (or a stop request) while the worker may run.
  void FailSoon(const InstallFailure& failure);
  void Finish();
  void OnShortcutTimer();
  void ShowFinished();
  // A press that comes within the double-click time after its button
  // appeared began before the user could see the button: it is ignored.
  bool PressTooSoon(const std::optional<DWORD>& shownAt) const;
  bool WriteRegistration();
  void Abandon();
  void ShowInstallingControls();
  void ShowReadyControls();
  void Fail(const InstallFailure& failure);
  const std::vector<std::string>& MemberNames();
  void LookUpShellFolders();
  void HoldDrawing();
  void EndDrawingHold();

  InstallerUi& ui_;
  InstallerTexts& texts_;
  form::FormTimer& shortcutTimer_;
  // While installing, the window's changes are shown once per frame.
  form::FormTimer frameTimer_;
  bool drawingHeld_ = false;
  ui::ByteView archive_;
  // The archive's entries, read when an installation first needs them
  // (reading them at start-up would delay the window).
  std::optional<std::vector<std::string>> memberNames_;
  InstallerHooks hooks_;
  Phase phase_ = Phase::Ready;
  bool workerRunning_ = false;
  bool registrationWritten_ = false;  // once per installation
  // Everything this installation wrote, to be taken back on failure;
  // shared with the worker, which writes the members.
  std::shared_ptr<InstallJournal> journal_;
  std::optional<InstallFailure> pendingFailure_;  // ends the installation once the worker has stopped
  bool askingToClose_ = false;                    // the close question is on the screen
  bool leaving_ = false;                          // the user chose to close while installing
  std::vector<std::function<void()>> heldWhileAsking_;  // steps that wait for the answer
  bool finishing_ = false;            // the finish steps have begun
  std::optional<DWORD> installShownAt_;  // when the install button came back (none: shown from the start)
  std::optional<DWORD> runShownAt_;      // when the run button appeared
  struct ShellFolders {
    bool known = false;
    std::string programs, desktop;  // with a trailing backslash; empty when unknown
  } shellFolders_;
  std::string desktopFolder_;         // set at the finish, trailing backslash
  form::UiThreadRelay relay_;         // last: destroyed first, so no report runs on a dying object
};

}  // namespace app::install
