#include "app/installer_app.h"

#include "ui/core/library.h"

namespace app {

InstallerApp::InstallerApp() {
  objects_.editMenu = std::make_unique<ui::UiMenu>();
  objects_.mainHost = std::make_unique<ui::UiWindow>();
  objects_.closeButton = std::make_unique<ui::UiButton>();
  objects_.panelLabel = std::make_unique<ui::UiLabel>();
  objects_.installButton = std::make_unique<ui::UiButton>();
  objects_.pathEdit = std::make_unique<ui::UiEdit>();
  objects_.installProgress = std::make_unique<ui::UiProgressBar>();
  objects_.browseButton = std::make_unique<ui::UiButton>();
  objects_.runButton = std::make_unique<ui::UiButton>();
}

InstallerApp::~InstallerApp() { Teardown(); }

bool InstallerApp::Start(ui::ByteView glyphStrip) {
  ui::LibraryInit init;
  init.glyphStrip = glyphStrip;
  init.editMenu = objects_.editMenu.get();
  ui::InitLibrary(init);
  return startWindow_.Load([this](HWND hwnd) { OnStartWindowCreated(hwnd); });
}

void InstallerApp::OnStartWindowCreated(HWND hwnd) {
  texts_.startWindowHandle = hwnd;
  // The installer window's controls and the default folder come here.
}

void InstallerApp::EndProgram() {
  startWindow_.Close();
  PostQuitMessage(0);
}

void InstallerApp::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  if (objects_.editMenu) objects_.editMenu->Destroy();
  objects_.editMenu.reset();
  objects_.mainHost.reset();
  auto destroy = [](auto& element) {
    if (element) element->Destroy();
    element.reset();
  };
  destroy(objects_.closeButton);
  destroy(objects_.panelLabel);
  destroy(objects_.installButton);
  destroy(objects_.pathEdit);
  destroy(objects_.installProgress);
  destroy(objects_.browseButton);
  destroy(objects_.runButton);
  texts_ = InstallerTexts{};
}

}  // namespace app
