#pragma once
// The installer process: its nine process-wide UI objects, its five
// process-wide texts, start-up, the message loop and teardown.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/form/start_window.h"
#include "app/install/installation.h"
#include "app/install/window_installer_ui.h"
#include "app/installer_texts.h"
#include "app/system/late_system_dlls.h"
#include "app/system/owned_handles.h"
#include "ui/controls/edit.h"
#include "ui/controls/progress_bar.h"
#include "ui/core/bytes.h"
#include "ui/core/menu.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/host/window.h"

namespace app {

// The UI objects, constructed in this order and torn down in the same order.
struct InstallerObjects {
  std::unique_ptr<ui::UiMenu> editMenu;
  std::unique_ptr<ui::UiWindow> mainHost;
  std::unique_ptr<ui::UiButton> closeButton;
  std::unique_ptr<ui::UiLabel> panelLabel;
  std::unique_ptr<ui::UiButton> installButton;
  std::unique_ptr<ui::UiEdit> pathEdit;
  std::unique_ptr<ui::UiProgressBar> installProgress;
  std::unique_ptr<ui::UiButton> browseButton;
  std::unique_ptr<ui::UiButton> runButton;
};

class InstallerApp {
 public:
  InstallerApp();
  InstallerApp(const InstallerApp&) = delete;
  InstallerApp& operator=(const InstallerApp&) = delete;
  ~InstallerApp();

  // Enters a single-threaded COM apartment on the calling (UI) thread, as
  // the folder dialog and the shell links need, initialises the library
  // and loads the start window (whose creation event builds the installer
  // window). The system DLLs of the later work are loaded once the
  // window's first frame is shown (sys::LateSystemDlls). False when no
  // window came up.
  bool Start(ui::ByteView glyphStrip);
  // Ends the program with exit code 0: the message loop returns.
  void EndProgram();
  // Destroys the nine objects in construction order, clears the texts and
  // leaves the COM apartment. Runs once; later calls do nothing.
  void Teardown();

  InstallerObjects& objects() { return objects_; }
  InstallerTexts& texts() { return texts_; }
  StartWindow& startWindow() { return startWindow_; }
  const sys::LateSystemDlls& lateSystemDlls() const { return lateDlls_; }
  // The installation procedure; null until the start window exists.
  install::Installation* installation() { return installation_.get(); }

 private:
  void OnStartWindowCreated(HWND hwnd);
  // Attaches the host to the start window and lays out the window's content.
  void BuildWindow(HWND hwnd);
  void CreateControls(HWND hwnd);

  // Loads the later work's system DLLs and enters the UI thread's COM
  // apartment (the folder dialog, starting the application and screen
  // readers need it); neither is needed for the first frame.
  void PrepareLaterWork();

  std::optional<sys::ComApartment> uiApartment_;  // from the first frame (or earlier need) to Teardown
  InstallerObjects objects_;
  InstallerTexts texts_;
  StartWindow startWindow_;
  std::unique_ptr<install::WindowInstallerUi> installerUi_;
  std::unique_ptr<install::Installation> installation_;
  sys::LateSystemDlls lateDlls_{[this] { PrepareLaterWork(); }};
  bool tornDown_ = false;
};

}  // namespace app
