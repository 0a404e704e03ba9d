#include "app/installer_app.h"

#include "app/resources/resources.h"
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
  BuildWindow(hwnd);
  installation_->SetDefaultFolder();
}

void InstallerApp::BuildWindow(HWND hwnd) {
  ui::UiWindow::CreateOptions host;
  host.image = resources::BackgroundImage();
  host.captionStyle = 0;
  host.imageLayout = 0;
  host.frameMode = 1;
  host.startupHold = 1;
  host.resizable = false;
  host.dragToMove = true;
  host.imageFrame = true;
  host.blurBehind = true;
  objects_.mainHost->Create(hwnd, host);

  // The form's labels show the host's picture behind their text.
  auto behind = [mainHost = objects_.mainHost.get()](HDC dc, const RECT& r) {
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (!mainHost->CanvasDc() ||
        !BitBlt(dc, 0, 0, width, height, mainHost->CanvasDc(), r.left, r.top, SRCCOPY))
      PatBlt(dc, 0, 0, width, height, WHITENESS);
  };
  startWindow_.locationLabel().SetBackgroundPainter(behind);
  startWindow_.statusLabel().SetBackgroundPainter(behind);

  // The drawn controls (close button, panel, install button, folder field,
  // progress bar, browse and run buttons) are created here, in that order;
  // the folder field and progress bar also give the installation their text
  // and position (InstallerWindowParts).
  install::InstallerWindowParts parts;
  parts.installButton = objects_.installButton.get();
  parts.browseButton = objects_.browseButton.get();
  parts.runButton = objects_.runButton.get();
  parts.pathEdit = objects_.pathEdit.get();
  parts.installProgress = objects_.installProgress.get();
  parts.locationLabel = &startWindow_.locationLabel();
  parts.statusLabel = &startWindow_.statusLabel();
  parts.owner = hwnd;
  installerUi_ = std::make_unique<install::WindowInstallerUi>(std::move(parts));
  install::InstallerHooks hooks;
  hooks.endProgram = [this] { EndProgram(); };
  installation_ = std::make_unique<install::Installation>(*installerUi_, texts_, startWindow_.shortcutTimer(),
                                                          resources::PayloadArchive(), std::move(hooks));
}

void InstallerApp::EndProgram() {
  startWindow_.Close();
  PostQuitMessage(0);
}

void InstallerApp::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  // The installation first: its relay window goes, so a worker still
  // running reports to nobody and stops.
  installation_.reset();
  installerUi_.reset();
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
