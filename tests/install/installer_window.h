#pragma once
// The installer window for tests: a hosted 588 x 438 window with stand-ins
// for the drawn controls at their places, the form's two labels, and the
// installer's adapter over them. The install button and the folder field
// are the caller's (stand-ins, or the real controls).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form/start_window.h"
#include "app/form/transparent_label.h"
#include "app/install/window_installer_ui.h"
#include "tests/support/host_fixture.h"

namespace qwtest {

struct InstallerWindowBase {
  // Places the stand-ins and labels, then builds the adapter over them and
  // the given button and field; the folder text goes through the given
  // accessors. A run button given replaces the stand-in.
  void Build(ui::UiElement* installButton, ui::UiElement* pathEdit, std::function<std::string()> folderText,
             std::function<void(const std::string&)> setFolderText, ui::UiElement* realRunButton = nullptr) {
    installProgress.Make(hosted.hwnd(), 32, 330, 524, 18, false);
    browseButton.Make(hosted.hwnd(), 508, 305, 58, 28);
    if (!realRunButton) runButton.Make(hosted.hwnd(), 196, 356, 200, 50, false);
    location.Create(hosted.hwnd(), app::LocationLabelSpec());
    status.Create(hosted.hwnd(), app::StatusLabelSpec());
    app::install::InstallerWindowParts parts;
    parts.installButton = installButton;
    parts.browseButton = &browseButton;
    parts.runButton = realRunButton ? realRunButton : &runButton;
    parts.pathEdit = pathEdit;
    parts.installProgress = &installProgress;
    parts.locationLabel = &location;
    parts.statusLabel = &status;
    parts.owner = hosted.hwnd();
    parts.folderText = std::move(folderText);
    parts.setFolderText = std::move(setFolderText);
    parts.progressPosition = [this] { return position; };
    parts.setProgressPosition = [this](int p) {
      position = p;
      if (onPosition) onPosition(p);
    };
    parts.showMessage = [this](const std::string& text, const std::string&) { messages.push_back(text); };
    ui = std::make_unique<app::install::WindowInstallerUi>(parts);
  }

  HostedWindow hosted{588, 438};
  Recorder installProgress, browseButton, runButton;
  app::form::TransparentLabel location, status;
  int position = 0;
  std::function<void(int)> onPosition;  // runs inside each progress report
  std::vector<std::string> messages;
  std::unique_ptr<app::install::WindowInstallerUi> ui;
};

}  // namespace qwtest
