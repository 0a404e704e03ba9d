#include "app/install/window_installer_ui.h"

#include "ui/host/window.h"

namespace app::install {

ui::UiElement* WindowInstallerUi::Element(Control control) const {
  switch (control) {
    case Control::InstallButton: return parts_.installButton;
    case Control::BrowseButton: return parts_.browseButton;
    case Control::RunButton: return parts_.runButton;
    case Control::PathEdit: return parts_.pathEdit;
    case Control::InstallProgress: return parts_.installProgress;
    case Control::LocationLabel:
    case Control::StatusLabel: break;
  }
  return nullptr;
}

form::TransparentLabel* WindowInstallerUi::Label(Control control) const {
  if (control == Control::LocationLabel) return parts_.locationLabel;
  if (control == Control::StatusLabel) return parts_.statusLabel;
  return nullptr;
}

std::string WindowInstallerUi::FolderText() { return parts_.folderText ? parts_.folderText() : std::string(); }

void WindowInstallerUi::SetFolderText(const std::string& text) {
  if (parts_.setFolderText) parts_.setFolderText(text);
}

void WindowInstallerUi::SetVisible(Control control, bool visible) {
  if (auto* element = Element(control)) {
    element->Visible(visible);
    // The phase's main button takes the focus as it shows, so that Enter
    // does what the phase is for (install, then run).
    const bool mainButton = control == Control::InstallButton || control == Control::RunButton;
    if (visible && mainButton && element->Visible()) {
      if (ui::UiWindow* host = element->Host()) host->SetFocusElement(element, false);
    }
  }
  if (auto* label = Label(control)) label->SetVisible(visible);
}

void WindowInstallerUi::SetTop(Control control, int top) {
  if (auto* element = Element(control)) element->Top(top);
  if (auto* label = Label(control)) label->SetTop(top);
}

void WindowInstallerUi::SetProgressPosition(int position) {
  if (parts_.setProgressPosition) parts_.setProgressPosition(position);
}

int WindowInstallerUi::ProgressPosition() { return parts_.progressPosition ? parts_.progressPosition() : 0; }

std::string WindowInstallerUi::StatusCaption() {
  return parts_.statusLabel ? parts_.statusLabel->Caption() : std::string();
}

void WindowInstallerUi::SetStatusCaption(const std::string& caption) {
  if (parts_.statusLabel) parts_.statusLabel->SetCaption(caption);
}

void WindowInstallerUi::HoldRedraws(bool hold) {
  ui::UiWindow* host = ui::UiWindow::FromWindow(parts_.owner);
  if (!host) return;
  if (hold) {
    host->HoldRedraws();
  } else {
    host->ReleaseRedraws();
  }
}

void WindowInstallerUi::PresentHeldRedraws() {
  if (ui::UiWindow* host = ui::UiWindow::FromWindow(parts_.owner)) host->PresentHeldRedraws();
}

void WindowInstallerUi::ShowMessage(const std::string& text, const std::string& caption) {
  if (parts_.showMessage) {
    parts_.showMessage(text, caption);
  } else {
    ShowTaskModalMessage(text, caption);
  }
}

bool WindowInstallerUi::AskYesNo(const std::string& text, const std::string& caption) {
  return parts_.askYesNo ? parts_.askYesNo(text, caption) : AskTaskModalQuestion(text, caption);
}

}  // namespace app::install
