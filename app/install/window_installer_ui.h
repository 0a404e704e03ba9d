#pragma once
// The installer window as the installation sees it: the drawn controls of
// the UI host (shown, hidden and moved through their element base), the
// start window's two transparent labels, the task-modal message box and
// the start window as dialog owner.
#include <windows.h>

#include <functional>
#include <string>

#include "app/form/transparent_label.h"
#include "app/install/installer_ui.h"
#include "ui/element/element.h"

namespace app::install {

// Who is who; a missing part is left alone. Not owned.
struct InstallerWindowParts {
  ui::UiElement* installButton = nullptr;
  ui::UiElement* browseButton = nullptr;
  ui::UiElement* runButton = nullptr;
  ui::UiElement* pathEdit = nullptr;
  ui::UiElement* installProgress = nullptr;
  form::TransparentLabel* locationLabel = nullptr;  // 透明标签1
  form::TransparentLabel* statusLabel = nullptr;    // 透明标签2
  HWND owner = nullptr;                             // the start window
  // The edit box's text and the progress bar's position, through their
  // property methods.
  std::function<std::string()> folderText;
  std::function<void(const std::string&)> setFolderText;
  std::function<int()> progressPosition;
  std::function<void(int)> setProgressPosition;
  // The message box; empty: ShowTaskModalMessage.
  std::function<void(const std::string& text, const std::string& caption)> showMessage;
  // The yes/no question; empty: AskTaskModalQuestion.
  std::function<bool(const std::string& text, const std::string& caption)> askYesNo;
};

class WindowInstallerUi : public InstallerUi {
 public:
  explicit WindowInstallerUi(InstallerWindowParts parts) : parts_(std::move(parts)) {}

  std::string FolderText() override;
  void SetFolderText(const std::string& text) override;
  void SetVisible(Control control, bool visible) override;
  void SetTop(Control control, int top) override;
  void SetProgressPosition(int position) override;
  int ProgressPosition() override;
  std::string StatusCaption() override;
  void SetStatusCaption(const std::string& caption) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  HWND OwnerWindow() override { return parts_.owner; }
  // Through the UI host of the owner window (nothing when it has none).
  void HoldRedraws(bool hold) override;
  void PresentHeldRedraws() override;

 private:
  ui::UiElement* Element(Control control) const;
  form::TransparentLabel* Label(Control control) const;

  InstallerWindowParts parts_;
};

}  // namespace app::install
