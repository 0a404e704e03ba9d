// MainWindow: the host, the controls with their looks and places, and the
// background they stand on.
#include <cstdio>

#include "payload/app/app_resources.h"
#include "payload/app/main_window.h"
#include "ui/core/color.h"
#include "ui/core/image.h"
#include "ui/core/shapes.h"
#include "ui/core/text.h"

namespace qingwu {
namespace {
constexpr COLORREF kBodyColour = RGB(0xF1, 0xF5, 0xFA);
constexpr ui::Argb kWhite = ui::ArgbOf(255, 255, 255, 255);
constexpr ui::Argb kTitleText = ui::ArgbOf(255, 0x1E, 0x2A, 0x3A);
constexpr ui::Argb kBodyText = ui::ArgbOf(255, 0x5A, 0x66, 0x78);
constexpr ui::Argb kAccent = ui::ArgbOf(255, 0x17, 0x66, 0xE0);
constexpr char kUiFont[] = "微软雅黑";  // falls back to the library font where missing
constexpr int kBold = 1;                 // GDI+ FontStyleBold

ui::LabelOptions TextStyle(ui::Argb colour, float size, int style = 0) {
  ui::LabelOptions o;
  o.textColor = colour;
  o.fontName = kUiFont;
  o.fontSize = size;
  o.fontStyle = style;
  return o;
}

ui::ButtonOptions ButtonStyle(ui::Argb colour, float size) {
  ui::ButtonOptions o;
  o.textColor = colour;
  o.fontName = kUiFont;
  o.fontSize = size;
  return o;
}

ui::ButtonImages ImagesOf(int normal, int hover) {
  ui::ButtonImages images;
  images.normal = Resource(normal);
  images.hover = Resource(hover);
  images.pressed = Resource(normal);
  images.disabled = Resource(normal);
  images.layout = 1;  // stretched over the button
  return images;
}

ui::EditOptions EditStyle(ui::EditMode mode) {
  ui::EditOptions o;
  o.textColor = RGB(0x1E, 0x2A, 0x3A);
  o.backColor = RGB(0xFB, 0xFC, 0xFE);
  o.borderColor = RGB(0xC8, 0xD3, 0xE0);
  o.fontFamily = kUiFont;
  o.fontSize = 13.0f;
  o.multiLine = true;
  o.scrollBars = 3;  // both
  o.mode = mode;
  return o;
}

// `folder` with the user's application-data folder written as %APPDATA%.
std::wstring ShortFolderName(const std::wstring& folder) {
  wchar_t base[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", base, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return folder;
  const std::wstring prefix(base, n);
  if (folder.size() > prefix.size() && CompareStringOrdinal(folder.c_str(), static_cast<int>(prefix.size()),
                                                            prefix.c_str(), static_cast<int>(prefix.size()),
                                                            TRUE) == CSTR_EQUAL &&
      folder[prefix.size()] == L'\\')
    return L"%APPDATA%" + folder.substr(prefix.size());
  return folder;
}

void Place(ui::UiElement& e, const Box& b) { e.SetBounds(b.x, b.y, b.width, b.height, false); }

// A white card with a faint shadow and a thin rim.
void DrawCard(Gdiplus::GpGraphics* g, const Box& b) {
  const float x = static_cast<float>(b.x), y = static_cast<float>(b.y);
  const float w = static_cast<float>(b.width), h = static_cast<float>(b.height);
  ui::FillRoundedRect(g, x, y + 2, w, h, 8, ui::ArgbOf(16, 0x08, 0x1E, 0x4A));
  ui::FillRoundedRect(g, x, y, w, h, 8, kWhite);
  ui::DrawRoundedRect(g, x, y, w, h, 8, ui::ArgbOf(255, 0xDD, 0xE5, 0xEF));
}

// A short accent bar left of a section title.
void DrawAccent(Gdiplus::GpGraphics* g, const Box& title) {
  ui::FillRoundedRect(g, static_cast<float>(title.x - 8), static_cast<float>(title.y + 5), 3, 14, 1, kAccent);
}
}  // namespace

void MainWindow::CreateHost() {
  headerImage_ = ui::ImageFromMemory(Resource(QW_RES_HEADER));
  ui::UiWindow::CreateOptions o;
  o.backgroundColor = kBodyColour;
  o.captionStyle = ui::caption::kClose | ui::caption::kMaximize | ui::caption::kMinimize;
  o.windowAlpha = 255;  // layered: rounded corners and a shadow around the body
  o.frameMode = 7;
  o.resizable = true;
  o.dragToMove = true;
  o.imageFrame = false;
  o.blurBehind = false;
  host_.SetOnPaintBackground([this](HWND, Gdiplus::GpGraphics* g, int w, int h) { PaintBackground(g, w, h); });
  host_.Create(hwnd_, o);
  host_.SetShadowColor(RGB(0x08, 0x1E, 0x4A));
  host_.SetCloseEffect(1);  // fade out
  host_.SetOnResize([this](HWND, int w, int h) { LayOut(w, h); });
  host_.SetOnMessage([this](HWND, UINT msg, WPARAM, LPARAM lp) -> LRESULT {
    if (msg != WM_GETMINMAXINFO || !lp) return -1;
    // The layout's minimum; maximised, the shadow margin lies off screen.
    // The system asks in device pixels.
    const ui::DisplayScale scale = host_.Scale();
    const int margin = scale.ToDevice(kBodyMargin);
    auto* info = reinterpret_cast<MINMAXINFO*>(lp);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    info->ptMaxPosition = POINT{work.left - margin, work.top - margin};
    info->ptMaxSize = POINT{work.right - work.left + 2 * margin, work.bottom - work.top + 2 * margin};
    info->ptMinTrackSize = POINT{scale.ToDevice(kMinWindowWidth), scale.ToDevice(kMinWindowHeight)};
    return 0;
  });
  host_.Redraw({}, std::nullopt, -1, true);  // with the header painter in place
}

void MainWindow::PaintBackground(Gdiplus::GpGraphics* g, int width, int height) {
  const MainLayout l = ComputeLayout(width, height);
  if (Gdiplus::GpImage* header = headerImage_.get()) {
    // The left part keeps its pixels (the logo's frames carry them); the
    // rest stretches with the window. The stretched part starts under the
    // fixed one, so their soft edges meet without a gap.
    const float iw = static_cast<float>(ui::ImageWidth(header));
    const float ih = static_cast<float>(ui::ImageHeight(header));
    const float fixed = 400.0f, overlap = 4.0f;
    const float x = static_cast<float>(l.header.x), y = static_cast<float>(l.header.y);
    const float stretched = static_cast<float>(l.header.width) - fixed + overlap;
    ui::gp::GdipDrawImageRectRect(g, header, x + fixed - overlap, y, stretched, ih, fixed - overlap, 0,
                                  iw - fixed + overlap, ih, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    ui::gp::GdipDrawImageRectRect(g, header, x, y, fixed, ih, 0, 0, fixed, ih, Gdiplus::UnitPixel, nullptr,
                                  nullptr, nullptr);
  }
  DrawCard(g, l.leftCard);
  DrawCard(g, l.rightCard);
  DrawAccent(g, l.checkTitle);
  DrawAccent(g, l.infoTitle);
  DrawAccent(g, l.notesTitle);
  DrawAccent(g, l.logTitle);
}

void MainWindow::CreateControls() {
  const MainLayout l = ComputeLayout(kMinWindowWidth, kMinWindowHeight);
  auto label = [&](ui::UiLabel& e, const Box& b, std::string_view text, ui::LabelOptions o) {
    e.Create(hwnd_, b.x, b.y, b.width, b.height, text, o);
    e.Focusable(false);
  };

  // Header.
  ui::PictureOptions logo;
  logo.animate = true;
  logo.imageLayout = ui::picture_layout::kOwnSize;
  logo_.Create(hwnd_, l.logo.x, l.logo.y, l.logo.width, l.logo.height, Resource(QW_RES_LOGO), logo);
  logo_.Focusable(false);
  ui::LabelOptions product = TextStyle(kWhite, 26.0f, kBold);
  product.textEffect = 3;  // soft glow
  product.effectColor = ui::ArgbOf(170, 0x00, 0x18, 0x48);
  label(productName_, l.productName, "青梧网游加速器", product);
  ui::LabelOptions version = TextStyle(ui::ArgbOf(255, 0xD6, 0xF4, 0xFF), 13.0f);
  version.textEffect = 4;  // sharp outline
  version.effectColor = ui::ArgbOf(150, 0x06, 0x1A, 0x40);
  label(version_, l.version, std::string("版本 ") + kVersion + "  ·  本地版", version);

  settingsButton_.Create(hwnd_, l.settingsButton.x, l.settingsButton.y, l.settingsButton.width,
                         l.settingsButton.height, "设置(&M)", ButtonStyle(kWhite, 13.0f));
  settingsButton_.SetImages(ImagesOf(QW_RES_GLASS_NORMAL, QW_RES_GLASS_HOVER));
  settingsButton_.Icon(Resource(QW_RES_ICON_GEAR));
  settingsButton_.IconGap(6);
  settingsButton_.TipText("设置与更多操作（Alt+M）", false);

  // Left card: the installation check.
  label(checkTitle_, l.checkTitle, "安装检查", TextStyle(kTitleText, 16.0f, kBold));
  ui::LabelOptions wrapped = TextStyle(kBodyText, 12.5f);
  wrapped.wordWrap = true;
  label(checkText_, l.checkText, "逐个确认安装文件夹中的程序和数据文件是否齐全。只读取文件信息，不改动任何文件。",
        wrapped);
  checkButton_.Create(hwnd_, l.checkButton.x, l.checkButton.y, l.checkButton.width, l.checkButton.height,
                      "检查文件(&C)", ButtonStyle(kWhite, 14.0f));
  checkButton_.SetImages(ImagesOf(QW_RES_PRIMARY_NORMAL, QW_RES_PRIMARY_HOVER));
  checkButton_.Icon(Resource(QW_RES_ICON_CHECK));
  checkButton_.IconGap(6);
  checkButton_.TipText("检查安装文件夹中的文件是否齐全（Alt+C）", false);

  ui::ProgressBarOptions bar;
  bar.barColor1 = ui::ArgbOf(255, 0x2E, 0x8B, 0xFF);
  bar.barColor2 = ui::ArgbOf(255, 0x0F, 0xC3, 0xB5);
  bar.frameColor = ui::ArgbOf(40, 0x08, 0x1E, 0x4A);
  bar.trackColor = ui::ArgbOf(255, 0xE8, 0xEE, 0xF5);
  bar.rounded = true;
  checkProgress_.Create(hwnd_, l.checkProgress.x, l.checkProgress.y, l.checkProgress.width, l.checkProgress.height,
                        bar);
  checkProgress_.Focusable(false);
  label(checkStatus_, l.checkStatus, "尚未检查。", wrapped);

  label(infoTitle_, l.infoTitle, "本机信息", TextStyle(kTitleText, 16.0f, kBold));
  char routes[96];
  if (routeCount_ >= 0)
    std::snprintf(routes, sizeof routes, "线路数据：%d 条（servers.ini）", routeCount_);
  else
    std::snprintf(routes, sizeof routes, "线路数据：未找到（servers.ini 或 qwcore.dll 缺失）");
  label(routesInfo_, l.routesInfo, routes, TextStyle(kTitleText, 12.5f));
  // One line each; a long path loses its middle, the tooltip shows it whole.
  ui::LabelOptions folder = TextStyle(kBodyText, 12.5f);
  folder.trimming = 5;  // ellipsis in the middle of a path
  const std::string programFolder = ui::FromWide(paths_.programFolder);
  label(folderInfo_, l.folderInfo, "安装位置：" + programFolder, folder);
  folderInfo_.TipText(programFolder, false);
  const std::string dataFolder = ui::FromWide(paths_.dataFolder);
  label(dataInfo_, l.dataInfo,
        dataFolder.empty() ? std::string("数据位置：无（设置和笔记不会保存）")
                           : "数据位置：" + ui::FromWide(ShortFolderName(paths_.dataFolder)),
        folder);
  dataInfo_.TipText(dataFolder, false);

  ui::LabelOptions note = TextStyle(ui::ArgbOf(255, 0x8A, 0x96, 0xA8), 12.0f);
  note.wordWrap = true;
  label(offlineNote_, l.offlineNote, "本程序不建立任何网络连接；设置、笔记和操作记录只保存在本机。", note);

  // Right card: notes and the action log.
  label(notesTitle_, l.notesTitle, "笔记", TextStyle(kTitleText, 16.0f, kBold));
  notesEdit_.Create(hwnd_, l.notesEdit.x, l.notesEdit.y, l.notesEdit.width, l.notesEdit.height,
                    EditStyle(ui::EditMode::Normal));
  notesEdit_.TipText("关闭窗口时自动保存", false);
  ui::LabelOptions hint = TextStyle(ui::ArgbOf(255, 0x50, 0x5C, 0x6E), 13.0f);  // drawn at half strength
  hint.wordWrap = true;
  label(notesHint_, l.notesHint, "在这里写下笔记，例如活动时间、队伍约定……", hint);
  notesHint_.Disabled(true);
  saveButton_.Create(hwnd_, l.saveButton.x, l.saveButton.y, l.saveButton.width, l.saveButton.height, "保存(&S)",
                     ButtonStyle(kTitleText, 13.0f));
  saveButton_.SetImages(ImagesOf(QW_RES_LIGHT_NORMAL, QW_RES_LIGHT_HOVER));
  saveButton_.Icon(Resource(QW_RES_ICON_SAVE));
  saveButton_.IconGap(6);
  saveButton_.TipText("把笔记保存到本机（Alt+S）", false);

  label(logTitle_, l.logTitle, "操作记录", TextStyle(kTitleText, 16.0f, kBold));
  logEdit_.Create(hwnd_, l.logEdit.x, l.logEdit.y, l.logEdit.width, l.logEdit.height,
                  EditStyle(ui::EditMode::ReadOnly));
  clearButton_.Create(hwnd_, l.clearButton.x, l.clearButton.y, l.clearButton.width, l.clearButton.height,
                      "清空(&L)", ButtonStyle(kTitleText, 13.0f));
  clearButton_.SetImages(ImagesOf(QW_RES_LIGHT_NORMAL, QW_RES_LIGHT_HOVER));
  clearButton_.Icon(Resource(QW_RES_ICON_TRASH));
  clearButton_.IconGap(6);
  clearButton_.TipText("清空窗口中的操作记录（Alt+L）", false);
}

void MainWindow::BindHandlers() {
  settingsButton_.BindEvent(ui::ev::kClick,
                            [this](const ui::ElementEvent&) { PostMessageW(hwnd_, kOpenSettingsMenu, 0, 0); });
  logo_.BindEvent(ui::ev::kMouseEnter, [this](const ui::ElementEvent&) { PlayLogo(); });
  checkButton_.BindEvent(ui::ev::kClick, [this](const ui::ElementEvent&) { StartFileCheck(); });
  saveButton_.BindEvent(ui::ev::kClick, [this](const ui::ElementEvent&) { SaveNotes(); });
  clearButton_.BindEvent(ui::ev::kClick, [this](const ui::ElementEvent&) { ClearLog(); });
  notesEdit_.SetChangeHandler([this](ui::ElementHandle, ui::ElementHandle) {
    if (!loadingNotes_) notesChanged_ = true;
    UpdateNotesHint();
  });
}

void MainWindow::UpdateNotesHint() {
  const ui::UiTextStore& store = notesEdit_.TextStore();
  notesHint_.Visible(store.LineCount() <= 1 && store.LineText(1).empty());
}

void MainWindow::LayOut(int width, int height) {
  const MainLayout l = ComputeLayout(width, height);
  // The header's left part and the left card keep their places; what is
  // anchored to the right or bottom edge moves, the right card grows.
  Place(settingsButton_, l.settingsButton);
  Place(offlineNote_, l.offlineNote);
  Place(notesTitle_, l.notesTitle);
  Place(saveButton_, l.saveButton);
  Place(notesEdit_, l.notesEdit);
  Place(notesHint_, l.notesHint);
  Place(logTitle_, l.logTitle);
  Place(clearButton_, l.clearButton);
  Place(logEdit_, l.logEdit);
}

}  // namespace qingwu
