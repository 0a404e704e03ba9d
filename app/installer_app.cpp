#include "app/installer_app.h"

#include <algorithm>

#include "app/resources/resources.h"
#include "ui/core/color.h"
#include "ui/core/library.h"
#include "ui/core/startup_trace.h"

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
  // The embedded strip's larger drawings belong to it alone, not to a strip given instead.
  const ui::ByteView ownStrip = resources::LibraryGlyphStrip();
  if (std::ranges::equal(glyphStrip, ownStrip)) {
    init.glyphStrip150 = resources::LibraryGlyphStrip150();
    init.glyphStrip200 = resources::LibraryGlyphStrip200();
  }
  init.editMenu = objects_.editMenu.get();
  resources::RegisterArtworkVariants();
  ui::TraceStage("app:variants");
  ui::InitLibrary(init);
  ui::TraceStage("app:library");
  if (!startWindow_.Load([this](HWND hwnd) { OnStartWindowCreated(hwnd); })) return false;
  lateDlls_.LoadAfterFirstFrame(texts_.startWindowHandle);
  return true;
}

void InstallerApp::PrepareLaterWork() {
  ui::platform::PreloadLateSystemDlls();
  if (!uiApartment_ && !tornDown_) uiApartment_.emplace();
}

void InstallerApp::OnStartWindowCreated(HWND hwnd) {
  texts_.startWindowHandle = hwnd;
  ui::TraceStage("app:window");
  BuildWindow(hwnd);
  ui::TraceStage("app:built");
  installation_->SetDefaultFolder();
  objects_.mainHost->ReleaseRedraws();
  ui::TraceStage("app:folder");
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
  // The controls are made with redraws held: each draws once, and what
  // they change is composed in one go when the window is shown, instead of
  // at every text, image and place given (OnStartWindowCreated releases it).
  objects_.mainHost->HoldRedraws();
  ui::TraceStage("app:host");
  // Alt+F4 and WM_CLOSE from elsewhere: while installing the installation
  // answers (it asks first); otherwise the window closes as usual.
  // Escape does what the close button does, but not while installing.
  objects_.mainHost->SetOnMessage([this](HWND, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    // A screen reader's question can come before the first frame is shown:
    // the element tree goes back marshalled through COM and oleacc.
    if (msg == WM_GETOBJECT && static_cast<LONG>(lp) == OBJID_CLIENT) lateDlls_.LoadNow();
    if (!installation_) return -1;
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
      if (installation_->Busy()) return -1;
      installation_->OnCloseRequest();
      return 0;
    }
    if (msg != WM_CLOSE || !installation_->Busy()) return -1;
    installation_->OnCloseRequest();
    return 0;
  });

  // The form's labels are drawn over the host's frames.
  startWindow_.DrawLabelsWith(*objects_.mainHost);
  ui::TraceStage("app:labels");
  CreateControls(hwnd);
  ui::TraceStage("app:controls");
  // Tab walks the folder field, 浏览, then the phase's main button; the
  // close button is left out (Escape does its work). Ready starts on
  // 极速安装, so Enter installs at once and Tab reaches the folder field.
  objects_.mainHost->SetTabOrder({objects_.pathEdit->GetHandle(), objects_.browseButton->GetHandle(),
                                  objects_.installButton->GetHandle(), objects_.runButton->GetHandle()});
  objects_.mainHost->SetFocusElement(objects_.installButton.get(), false);

  install::InstallerWindowParts parts;
  parts.installButton = objects_.installButton.get();
  parts.browseButton = objects_.browseButton.get();
  parts.runButton = objects_.runButton.get();
  parts.pathEdit = objects_.pathEdit.get();
  parts.installProgress = objects_.installProgress.get();
  parts.locationLabel = &startWindow_.locationLabel();
  parts.statusLabel = &startWindow_.statusLabel();
  parts.owner = hwnd;
  ui::UiEdit* edit = objects_.pathEdit.get();
  ui::UiProgressBar* progress = objects_.installProgress.get();
  parts.folderText = [edit] { return edit->Text(); };
  parts.setFolderText = [edit](const std::string& text) { edit->Text(text); };
  parts.progressPosition = [progress] { return progress->Position(); };
  parts.setProgressPosition = [progress](int position) { progress->Position(position); };
  installerUi_ = std::make_unique<install::WindowInstallerUi>(std::move(parts));
  install::InstallerHooks hooks;
  hooks.endProgram = [this] { EndProgram(); };
  installation_ = std::make_unique<install::Installation>(*installerUi_, texts_, startWindow_.shortcutTimer(),
                                                          resources::PayloadArchive(), std::move(hooks));
}

// The drawn controls, in creation order, with their places, texts, fonts,
// colours, images and click handlers.
void InstallerApp::CreateControls(HWND hwnd) {
  const ui::Argb white = ui::MakeArgb(0xFFFFFF, 255);
  auto images = [](ui::ByteView normal, ui::ByteView hover, ui::ByteView disabled) {
    ui::ButtonImages set;
    set.normal = normal;
    set.hover = hover;
    set.pressed = normal;
    set.disabled = disabled;
    set.layout = 1;
    return set;
  };
  auto bigButton = [white] {
    ui::ButtonOptions o;
    o.textColor = white;
    o.fontName = "宋体";
    o.fontSize = 22.0f;
    return o;
  };

  ui::ButtonOptions closeOptions;
  closeOptions.textColor = white;
  objects_.closeButton->Create(hwnd, 554, 3, 30, 30, "", closeOptions);
  // An image without a caption: the tooltip gives it the name a screen reader reads.
  objects_.closeButton->TipText("关闭", false);
  objects_.closeButton->SetImages(images(resources::CloseNormalImage(), resources::CloseHoverImage(),
                                         resources::CloseNormalImage()));
  // Closing asks first while an installation runs.
  objects_.closeButton->BindEvent(WM_LBUTTONDOWN,
                                  [this](const ui::ElementEvent&) { installation_->OnCloseRequest(); });

  ui::LabelOptions panel;
  panel.gradientMode = 1;
  panel.backColor1 = white;
  panel.backColor2 = white;
  objects_.panelLabel->Create(hwnd, 0, 270, 588, 168, "", panel);

  objects_.installButton->Create(hwnd, 190, 360, 200, 50, "极速安装", bigButton());
  objects_.installButton->SetImages(
      images(resources::BigButtonNormalImage(), resources::BigButtonHoverImage(), {}));
  objects_.installButton->BindEvent(WM_LBUTTONDOWN,
                                    [this](const ui::ElementEvent&) {
                                      lateDlls_.LoadNow();
                                      installation_->OnInstallClick();
                                    });

  ui::EditOptions field;
  field.textColor = RGB(0, 0, 0);
  field.fontFamily = "宋体";
  objects_.pathEdit->Create(hwnd, 28, 304, 474, 30, field);
  objects_.pathEdit->LabelledBy(startWindow_.locationLabel().AccessibleElement());

  ui::ProgressBarOptions bar;
  bar.maximum = 100;
  bar.barColor1 = ui::MakeArgb(0xFF8800, 255);
  bar.barColor2 = ui::MakeArgb(0, 150);
  bar.frameColor = ui::MakeArgb(0x606060, 100);
  bar.rounded = false;
  bar.visible = false;
  objects_.installProgress->Create(hwnd, 32, 330, 524, 18, bar);

  ui::ButtonOptions browse;
  browse.textColor = white;
  objects_.browseButton->Create(hwnd, 508, 305, 58, 28, "浏览", browse);
  objects_.browseButton->SetImages(images(resources::BrowseNormalImage(), resources::BrowseHoverImage(), {}));
  objects_.browseButton->BindEvent(WM_LBUTTONDOWN,
                                   [this](const ui::ElementEvent&) {
                                     lateDlls_.LoadNow();
                                     installation_->OnBrowseClick();
                                   });

  ui::ButtonOptions run = bigButton();
  run.visible = false;
  objects_.runButton->Create(hwnd, 196, 356, 200, 50, "立即运行", run);
  objects_.runButton->SetImages(images(resources::BigButtonNormalImage(), resources::BigButtonHoverImage(), {}));
  objects_.runButton->BindEvent(WM_LBUTTONDOWN, [this](const ui::ElementEvent&) {
    lateDlls_.LoadNow();
    installation_->OnRunClick();
  });
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
  lateDlls_.StopWaiting();
  uiApartment_.reset();
}

}  // namespace app
