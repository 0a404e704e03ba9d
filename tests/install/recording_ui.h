#pragma once
// A stand-in for the installer window that records what the installation
// does to it. It starts in the Ready phase, as the window does.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/install/installer_ui.h"

namespace qwtest {

using app::install::Control;

class RecordingUi : public app::install::InstallerUi {
 public:
  struct Message {
    std::string text;
    std::string caption;
    bool drawingHeld = false;  // shown while the window's drawing was held
  };

  RecordingUi() {
    for (Control c : {Control::InstallButton, Control::BrowseButton, Control::PathEdit, Control::LocationLabel})
      visible[c] = true;
    for (Control c : {Control::RunButton, Control::InstallProgress, Control::StatusLabel}) visible[c] = false;
    top[Control::StatusLabel] = 373;
    top[Control::RunButton] = 356;
  }

  std::string FolderText() override { return Check(), folder; }
  void SetFolderText(const std::string& text) override {
    Check();
    folder = text;
    folderWrites.push_back(text);
  }
  void SetVisible(Control control, bool show) override { Check(), visible[control] = show; }
  void SetTop(Control control, int value) override { Check(), top[control] = value; }
  void SetProgressPosition(int value) override {
    Check();
    position = value < 0 ? 0 : value > 100 ? 100 : value;  // the bar's range
    positions.push_back(value);
    if (onPosition) onPosition(value);
  }
  int ProgressPosition() override { return Check(), position; }
  std::string StatusCaption() override { return Check(), caption; }
  void SetStatusCaption(const std::string& text) override {
    Check();
    caption = text;
    captions.push_back(text);
  }
  void ShowMessage(const std::string& text, const std::string& boxCaption) override {
    Check();
    messages.push_back({text, boxCaption, holds > 0});
  }
  bool AskYesNo(const std::string& text, const std::string& boxCaption) override {
    Check();
    questions.push_back({text, boxCaption, holds > 0});
    return answer ? answer() : false;
  }
  HWND OwnerWindow() override { return Check(), owner; }
  void HoldRedraws(bool hold) override {
    Check();
    holds += hold ? 1 : -1;
    if (holds < 0) ++unbalancedReleases;
  }
  void PresentHeldRedraws() override { Check(), ++heldPresents; }

  bool Visible(Control c) const { return visible.at(c); }
  // Ready: the folder field and its buttons shown, progress, status and run hidden.
  bool InReadyLayout() const {
    return Visible(Control::InstallButton) && Visible(Control::BrowseButton) && Visible(Control::PathEdit) &&
           Visible(Control::LocationLabel) && !Visible(Control::RunButton) &&
           !Visible(Control::InstallProgress) && !Visible(Control::StatusLabel);
  }

  std::string folder;
  std::vector<std::string> folderWrites;
  std::map<Control, bool> visible;
  std::map<Control, int> top;
  int position = 0;
  std::vector<int> positions;
  std::string caption = "正在安装中......";
  std::vector<std::string> captions;
  std::vector<Message> messages;
  std::vector<Message> questions;
  std::function<bool()> answer;  // the user's answer to a question (default no)
  HWND owner = nullptr;
  std::function<void(int)> onPosition;  // runs inside SetProgressPosition
  int holds = 0;                        // redraw holds in force
  int unbalancedReleases = 0;           // releases without a hold
  int heldPresents = 0;
  int callsOffThread = 0;               // calls not made on the creating (UI) thread

 private:
  void Check() {
    if (GetCurrentThreadId() != thread_) ++callsOffThread;
  }
  DWORD thread_ = GetCurrentThreadId();
};

}  // namespace qwtest
