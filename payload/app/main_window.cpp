#include "payload/app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

#include "payload/app/core_link.h"
#include "payload/app/file_io.h"
#include "ui/controls/menu_show.h"
#include "ui/core/text.h"

namespace qingwu {
namespace {
std::string FormatSize(unsigned long long bytes) {
  char text[32];
  if (bytes >= 1024ull * 1024)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  else
    std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
  return text;
}

bool RegisterMainClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
}  // namespace

MainWindow::MainWindow(MainWindowPaths paths) : paths_(std::move(paths)) {}

MainWindow::~MainWindow() {
  if (hwnd_ && IsWindow(hwnd_)) {
    quitOnDestroy_ = false;
    DestroyWindow(hwnd_);  // the host tears the elements down on WM_DESTROY
  }
}

std::wstring MainWindow::SettingsPath() const {
  return paths_.dataFolder.empty() ? std::wstring() : paths_.dataFolder + L"settings.ini";
}
std::wstring MainWindow::NotesPath() const {
  return paths_.dataFolder.empty() ? std::wstring() : paths_.dataFolder + L"notes.txt";
}
std::wstring MainWindow::LogPath() const {
  return paths_.dataFolder.empty() ? std::wstring() : paths_.dataFolder + L"actions.log";
}

bool MainWindow::Create(HINSTANCE instance, bool quitOnDestroy) {
  if (hwnd_ || !RegisterMainClass(instance, &MainWindow::WindowProc)) return false;
  quitOnDestroy_ = quitOnDestroy;
  if (!paths_.dataFolder.empty()) settings_ = LoadSettings(SettingsPath());
  log_.SetFile(LogPath());
  log_.SetEnabled(settings_.logActions);
  routeCount_ = ReadRouteCount(paths_.programFolder);

  SettingsMenuActions actions;
  actions.settingsChanged = [this](const Settings& s) { ApplySettings(s); };
  actions.openFolder = [this] { OpenFile(paths_.programFolder, "安装文件夹"); };
  actions.openReadme = [this] { OpenFile(paths_.programFolder + L"readme.txt", "使用说明"); };
  actions.openChangelog = [this] { OpenFile(paths_.programFolder + L"changelog.txt", "更新记录"); };
  actions.clearLog = [this] { ClearLog(); };
  actions.exit = [this] { PostMessageW(hwnd_, WM_CLOSE, 0, 0); };
  menu_ = std::make_unique<SettingsMenu>(settings_, std::move(actions));

  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - kMinWindowWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kMinWindowHeight) / 2;
  hwnd_ = CreateWindowExW(0, kWindowClass, kProductName,
                          WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, x, y,
                          kMinWindowWidth, kMinWindowHeight, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  CreateHost();
  // The host has grown the window by the display scale: centre what it became.
  RECT placed{};
  GetWindowRect(hwnd_, &placed);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - (placed.right - placed.left)) / 2,
               work.top + (work.bottom - work.top - (placed.bottom - placed.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  BindHandlers();
  LoadNotes();
  char started[64];
  std::snprintf(started, sizeof started, "程序启动（版本 %s）", kVersion);
  Record(started);
  return true;
}

void MainWindow::Show() {
  if (!hwnd_) return;
  host_.Show(1, 250);  // fade in
  PlayLogo();
  if (settings_.alwaysOnTop) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* creating = static_cast<MainWindow*>(created->lpCreateParams);
    if (creating) creating->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    if (self->quitOnDestroy_) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->HandleMessage(msg, wp, lp);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      // The host has played the close effect and hidden the window.
      if (notesChanged_) SaveNotes();
      Record("关闭窗口");
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kCheckTimerId);
      KillTimer(hwnd_, kLogoTimerId);
      return 0;
    case WM_TIMER:
      if (wp == kCheckTimerId) {
        StepFileCheck();
        return 0;
      }
      if (wp == kLogoTimerId) {
        KillTimer(hwnd_, kLogoTimerId);
        logo_.Animate(false);
        return 0;
      }
      break;
    case kOpenSettingsMenu:
      OpenSettingsMenu();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void MainWindow::PlayLogo() {
  if (!hwnd_) return;
  if (!logo_.Animate()) logo_.Animate(true);
  SetTimer(hwnd_, kLogoTimerId, kLogoPlayMs, nullptr);  // restarts a running one
}

// ---- actions ----------------------------------------------------------------------

void MainWindow::Record(const std::string& text) {
  if (log_.Add(text)) ShowLog();
}

void MainWindow::ShowLog() {
  if (logEdit_.IsCreated()) logEdit_.Text(log_.Text(), true);
}

void MainWindow::ClearLog() {
  log_.Clear();
  ShowLog();
  Record("已清空操作记录");
}

void MainWindow::ApplySettings(const Settings& s) {
  const Settings before = settings_;
  settings_ = s;
  if (before.alwaysOnTop != s.alwaysOnTop && hwnd_) {
    SetWindowPos(hwnd_, s.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Record(s.alwaysOnTop ? "窗口置顶：已开启" : "窗口置顶：已关闭");
  }
  if (before.logActions != s.logActions) {
    log_.SetEnabled(s.logActions);
    // The switch itself is always recorded, so the log shows where it stops.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    log_.AddAlways(s.logActions ? "记录操作：已开启" : "记录操作：已关闭，此后的操作不再记录", now);
    ShowLog();
  }
  if (!paths_.dataFolder.empty() && !SaveSettings(SettingsPath(), settings_)) Record("设置保存失败");
}

void MainWindow::OpenSettingsMenu() {
  if (!hwnd_ || menu_->Menu().IsOpen()) return;
  Record("打开设置菜单");
  // The button's tooltip would stay up beside the menu.
  if (HWND tip = host_.TooltipWindow()) SendMessageW(tip, TTM_POP, 0, 0);
  // Under the button's right edge; screen positions are device pixels.
  const ui::RectF b = settingsButton_.Bounds();
  const ui::DisplayScale scale = host_.Scale();
  POINT p{scale.ToDevice(static_cast<int>(b.x + b.width) - 150), scale.ToDevice(static_cast<int>(b.y + b.height) + 2)};
  ClientToScreen(hwnd_, &p);
  // Opening a menu focuses the element under the pointer, wherever the
  // pointer rests; opened from the keyboard, the focus belongs where it was.
  const ui::WeakRef<ui::UiWindow> host(&host_);
  const ui::WeakRef<ui::UiElement> focused(host_.FocusedElement());
  ui::ShowMenu(menu_->Menu(), hwnd_, p.x, p.y);
  // The menu's loop may have ended the window (and this object with it).
  if (host && focused && host->Owns(focused) && host->FocusedElement() != focused.get())
    host->SetFocusElement(focused.get(), false);
}

void MainWindow::OpenFile(const std::wstring& path, const char* what) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(hwnd_, L"open", path.c_str(), nullptr, paths_.programFolder.c_str(), SW_SHOWNORMAL));
  Record(std::string(result > 32 ? "打开" : "无法打开") + what);
}

void MainWindow::LoadNotes() {
  if (NotesPath().empty()) return;
  const std::optional<std::string> text = ReadFileBytes(NotesPath());
  if (!text) return;
  loadingNotes_ = true;
  notesEdit_.Text(*text);
  loadingNotes_ = false;
  UpdateNotesHint();
  notesChanged_ = false;
}

bool MainWindow::SaveNotes() {
  if (NotesPath().empty()) {
    Record("无法保存笔记：没有可用的用户数据文件夹");
    return false;
  }
  const std::string text = notesEdit_.Text();
  if (!WriteFileBytes(NotesPath(), text)) {
    Record("笔记保存失败");
    return false;
  }
  notesChanged_ = false;
  char saved[64];
  std::snprintf(saved, sizeof saved, "笔记已保存（%u 个字符）",
                static_cast<unsigned>(ui::CharCount(text)));
  Record(saved);
  return true;
}

void MainWindow::StartFileCheck() {
  if (CheckRunning() || !hwnd_) return;
  check_.emplace(paths_.programFolder, InstalledFileNames());
  checkProgress_.Position(0);
  checkStatus_.Text("正在检查……");
  checkButton_.Disabled(true);
  Record("开始检查安装文件");
  SetTimer(hwnd_, kCheckTimerId, kCheckIntervalMs, nullptr);
}

void MainWindow::StepFileCheck() {
  if (!check_ || check_->Done()) {
    if (hwnd_) KillTimer(hwnd_, kCheckTimerId);
    return;
  }
  check_->Step();
  checkProgress_.Position(check_->Percent());
  if (check_->Done()) {
    FinishFileCheck();
  } else {
    checkStatus_.Text("正在检查 " + ui::FromWide(check_->NextName()) + " ……");
  }
}

void MainWindow::FinishFileCheck() {
  if (hwnd_) KillTimer(hwnd_, kCheckTimerId);
  checkButton_.Disabled(false);
  unsigned long long total = 0;
  std::string missing;
  for (const CheckedFile& f : check_->Results()) {
    total += f.size;
    if (f.present) continue;
    if (!missing.empty()) missing += "、";
    missing += ui::FromWide(f.name);
  }
  char summary[96];
  if (check_->MissingCount() == 0) {
    std::snprintf(summary, sizeof summary, "全部 %d 个文件齐全，共 %s。", check_->Total(), FormatSize(total).c_str());
  } else {
    std::snprintf(summary, sizeof summary, "缺少 %d 个文件：", check_->MissingCount());
  }
  const std::string text = check_->MissingCount() == 0 ? std::string(summary) : summary + missing;
  checkStatus_.Text(text, 0 /* cross-fade */);
  Record("检查完成：" + text);
}

}  // namespace qingwu
