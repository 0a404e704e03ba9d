#pragma once
// What the installation procedure needs of the installer window. The real
// window implements it with its drawn controls (install, browse and run
// buttons, the folder edit box, the progress bar) and the start window's
// two transparent labels; tests implement it with a recorder.
//
// Every method is called on the UI thread only.
#include <windows.h>

#include <string>

namespace app::install {

enum class Control {
  InstallButton,    // "极速安装"
  BrowseButton,     // "浏览"
  RunButton,        // "立即运行", shown at the end
  PathEdit,         // the installation folder field
  InstallProgress,  // the progress bar, range 0..100
  LocationLabel,    // 透明标签1, "安装位置："
  StatusLabel,      // 透明标签2, the status texts
};

class InstallerUi {
 public:
  virtual ~InstallerUi() = default;

  // The folder field's text (code page 936).
  virtual std::string FolderText() = 0;
  virtual void SetFolderText(const std::string& text) = 0;

  virtual void SetVisible(Control control, bool visible) = 0;
  // Moves a control vertically (client pixels of the window).
  virtual void SetTop(Control control, int top) = 0;

  // The progress bar's position as it reads back (the bar clamps it).
  virtual void SetProgressPosition(int position) = 0;
  virtual int ProgressPosition() = 0;

  virtual std::string StatusCaption() = 0;
  virtual void SetStatusCaption(const std::string& caption) = 0;

  // A task-modal message box with an OK button and no owner window.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

  // A question with yes and no buttons, like the message box; true for yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;

  // The start window: owner of the folder dialog.
  virtual HWND OwnerWindow() = 0;

  // Batching the window's drawing: while held, the changes above are
  // collected instead of drawn one by one; PresentHeldRedraws shows what was
  // collected so far, and ending the hold shows the rest.
  virtual void HoldRedraws(bool hold) = 0;
  virtual void PresentHeldRedraws() = 0;
};

// The message box the real window uses: MB_OK | MB_TASKMODAL, no owner.
void ShowTaskModalMessage(const std::string& text, const std::string& caption);
// The question the real window asks: MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL.
bool AskTaskModalQuestion(const std::string& text, const std::string& caption);

}  // namespace app::install
