#include "app/install/installation.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/install/extraction_worker.h"
#include "app/install/failure_cause.h"
#include "app/install/folder_choice.h"
#include "app/install/install_paths.h"
#include "app/install/product.h"
#include "app/system/file_system.h"
#include "app/system/folder_check.h"
#include "app/system/owned_handles.h"
#include "app/system/shell_links.h"

namespace app::install {

namespace {
constexpr char kReminderCaption[] = "提醒";
constexpr char kChooseFolderFirst[] = "请先选择路径！";
constexpr char kCloseWhileInstalling[] = "安装尚未完成，确定要退出吗？";
constexpr char kBrowseTitle[] = "选择要安装 青梧网游加速器 的文件夹位置";

constexpr char kStatusDeploying[] = "正在部署...";
constexpr char kStatusInstalling[] = "正在安装..";
constexpr char kStatusRushing[] = "冲鸭！.....";
constexpr char kStatusCreatingIcons[] = "正在创建桌面图标...";
constexpr char kStatusFinished[] = "完成安装";

constexpr int kFinishedStatusTop = 300;
constexpr int kRunButtonTop = 336;
// The shortcuts are made on the timer's first tick: one turn of the message
// loop after the worker's end, so the last report is on the screen first.
// The window shows the end only once they exist, so a longer wait would
// only delay the finish.
constexpr UINT kShortcutDelayMs = USER_TIMER_MINIMUM;
// While installing, the window shows its changes at most this often: the
// worker waits for every report, so a report must not wait for drawing.
constexpr UINT kFrameMs = 16;

// The status text for a percentage below 100, or null.
const char* StatusFor(int percent) {
  if (percent <= 5) return kStatusDeploying;
  if (percent <= 20) return kStatusInstalling;
  if (percent <= 70) return kStatusRushing;
  if (percent <= 99) return kStatusCreatingIcons;
  return nullptr;
}

InstallFailure FailureOf(InstallFailure::Kind kind, std::string subject, DWORD systemError = 0) {
  InstallFailure failure;
  failure.kind = kind;
  failure.subject = std::move(subject);
  failure.systemError = systemError;
  return failure;
}

std::string Quoted(const std::string& text) { return "“" + text + "”"; }

// Why a typed folder cannot be installed into; the message names it as typed.
InstallFailure FolderFailure(const sys::FolderCheck& check, const std::string& typed) {
  using Kind = InstallFailure::Kind;
  InstallFailure failure = FailureOf(Kind::FolderNotAbsolute, sys::WithTrailingBackslash(typed));
  failure.part = check.part;
  switch (check.problem) {
    case common::FolderProblem::BadName:
      failure.kind = Kind::FolderNameNotAllowed;
      break;
    case common::FolderProblem::EndsInDotOrSpace:
      failure.kind = Kind::FolderNameEndsInDotOrSpace;
      break;
    case common::FolderProblem::TooLong:
      failure.kind = Kind::FolderTooLong;
      break;
    case common::FolderProblem::NotAbsolute:
    case common::FolderProblem::None:
      break;
  }
  return failure;
}

// The cause when the system named one, else the advice to choose another place.
std::string OrOtherPlace(DWORD systemError) {
  const std::string cause = CauseText(systemError);
  return cause.empty() ? "请选择其他位置。" : cause;
}
}  // namespace

void ShowTaskModalMessage(const std::string& text, const std::string& caption) {
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_TASKMODAL);
}

bool AskTaskModalQuestion(const std::string& text, const std::string& caption) {
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

std::string FailureMessage(const InstallFailure& failure) {
  using Kind = InstallFailure::Kind;
  switch (failure.kind) {
    case Kind::FolderNotAbsolute:
      return "安装路径" + Quoted(failure.subject) + "不是完整的路径，安装失败。请选择以盘符开头的完整路径。";
    case Kind::FolderNameNotAllowed:
      return "安装路径" + Quoted(failure.subject) + "中的" + Quoted(failure.part) +
             "不能用作文件夹名，安装失败。请换一个文件夹名。";
    case Kind::FolderNameEndsInDotOrSpace:
      return "安装路径" + Quoted(failure.subject) + "中的文件夹名" + Quoted(failure.part) +
             "以点或空格结尾，Windows 无法正常使用这样的文件夹，安装失败。请去掉文件夹名末尾的点和空格。";
    case Kind::FolderTooLong:
      return "安装路径" + Quoted(failure.subject) + "太长，安装后的文件路径会超过系统允许的 " +
             std::to_string(MAX_PATH) + " 个字符，安装失败。请选择较短的路径。";
    case Kind::FolderNotCreated:
      return "无法创建安装文件夹" + Quoted(failure.subject) + "，安装失败。" + OrOtherPlace(failure.systemError);
    case Kind::ArchiveNotWritten:
      return "无法写入安装包" + Quoted(failure.subject) + "，安装失败。" + OrOtherPlace(failure.systemError);
    case Kind::WorkerNotStarted:
      return "无法开始安装，请重试。";
    case Kind::RegistryNotWritten:
      return "无法写入注册表项" + Quoted(failure.subject) + "，安装失败。" + CauseText(failure.systemError);
    case Kind::UninstallDataNotWritten:
      return "无法写入卸载信息" + Quoted(failure.subject) + "，安装失败。" + CauseText(failure.systemError);
    case Kind::ShortcutNotCreated:
      return "无法创建快捷方式" + Quoted(failure.subject) + "，安装失败。" + CauseText(failure.systemError);
    case Kind::Unpack:
      break;
  }
  const DWORD code = failure.unpack.systemError;
  const std::string& subject = failure.unpack.subject;
  switch (failure.unpack.error) {
    case form::UnpackError::CannotOpen:
      return "无法打开安装包" + Quoted(subject) + "，安装失败。";
    case form::UnpackError::UnsafeName:
      return "安装包中的文件" + Quoted(subject) + "会写到安装文件夹之外，安装失败。";
    case form::UnpackError::CannotCreateFolder:
      return "无法创建文件夹" + Quoted(subject) + "，安装失败。" + CauseText(code);
    case form::UnpackError::CannotWrite:
      return "无法写入文件" + Quoted(subject) + "，安装失败。" + CauseText(code);
    case form::UnpackError::Corrupt:
      return "安装包中的文件" + Quoted(subject) + "已损坏，安装失败。";
    case form::UnpackError::Stopped:
    case form::UnpackError::None:
      break;
  }
  return "安装失败。";
}

Installation::Installation(InstallerUi& ui, InstallerTexts& texts, form::FormTimer& shortcutTimer,
                           ui::ByteView archive, InstallerHooks hooks)
    : ui_(ui),
      texts_(texts),
      shortcutTimer_(shortcutTimer),
      archive_(archive),
      hooks_(std::move(hooks)) {
  if (!hooks_.windowsFolderExists) hooks_.windowsFolderExists = [] { return sys::PathExists(kWindowsFolder); };
  if (!hooks_.launch) {
    hooks_.launch = [](const std::string& folder) {
      ShellExecuteA(nullptr, "open", kExecutableName, nullptr, folder.c_str(), SW_SHOWNORMAL);
    };
  }
  if (!hooks_.endProgram) hooks_.endProgram = [] { PostQuitMessage(0); };
  if (!hooks_.now) hooks_.now = [] { return GetTickCount(); };
  if (!hooks_.doubleClickTime) hooks_.doubleClickTime = [] { return GetDoubleClickTime(); };
  shortcutTimer_.OnTick([this] { OnShortcutTimer(); });
  frameTimer_.OnTick([this] { ui_.PresentHeldRedraws(); });
}

Installation::~Installation() {
  shortcutTimer_.SetInterval(0);
  shortcutTimer_.OnTick({});
  EndDrawingHold();
}

void Installation::UseArchive(ui::ByteView archive) {
  if (phase_ != Phase::Ready) return;
  archive_ = archive;
  memberNames_.reset();
}

const std::vector<std::string>& Installation::MemberNames() {
  if (!memberNames_) memberNames_ = form::EntryNames(archive_);
  return *memberNames_;
}

void Installation::SetDefaultFolder() {
  if (hooks_.windowsFolderExists()) ui_.SetFolderText(kDefaultFolder);
}

void Installation::OnBrowseClick() {
  BrowseOptions options;
  options.title = kBrowseTitle;
  options.includeFiles = false;
  options.initialFolder = ui_.FolderText();
  options.editBox = false;
  options.newStyle = true;
  options.owner = ui_.OwnerWindow();
  const std::string chosen = BrowseForFolder(options);
  if (chosen.empty()) return;
  ui_.SetFolderText(InstallFolderFor(chosen));
}

bool Installation::PressTooSoon(const std::optional<DWORD>& shownAt) const {
  return shownAt && hooks_.now() - *shownAt < hooks_.doubleClickTime();
}

void Installation::OnInstallClick() {
  // One click per installation: while installing or finished the button
  // does nothing, and back in Ready a press that began before it came
  // back is no click on it.
  if (phase_ != Phase::Ready || PressTooSoon(installShownAt_)) return;
  const std::string typed = ui_.FolderText();
  if (typed.empty()) {
    ui_.ShowMessage(kChooseFolderFirst, kReminderCaption);
    return;
  }
  // What the click changes on the window is shown as one frame (a failure
  // below ends the hold before its message).
  HoldDrawing();
  // Every later path appends names to the folder, and the uninstaller
  // accepts only the normal form it reads back from Uninstall.dat: the
  // folder is made normal once, here, before anything is created. A folder
  // that has none is refused and the field keeps what was typed, for the
  // user to correct; otherwise the normal form goes back into the field,
  // so what is used is what shows.
  const sys::FolderCheck check = sys::CheckFolder(typed);
  if (check.problem != common::FolderProblem::None) {
    Fail(FolderFailure(check, typed));
    return;
  }
  const std::string folder = check.folder;
  if (folder != typed) ui_.SetFolderText(folder);
  // Checked before anything is created: a member that could not be
  // written would leave a half installation behind.
  if (!FolderFitsPathLimit(folder, MemberNames())) {
    Fail(FailureOf(InstallFailure::Kind::FolderTooLong, folder));
    return;
  }
  journal_ = std::make_shared<InstallJournal>();
  if (!journal_->CreateFolders(folder)) {
    Fail(FailureOf(InstallFailure::Kind::FolderNotCreated, folder, GetLastError()));
    return;
  }
  phase_ = Phase::Installing;
  registrationWritten_ = false;
  finishing_ = false;
  leaving_ = false;
  pendingFailure_.reset();
  shellFolders_ = {};
  // The worker first, so that its thread starts up while the window
  // changes; its reports wait for this handler to return.
  workerRunning_ = ExtractionWorker::Start(*this, relay_.hwnd(), folder, archive_, journal_);
  if (!workerRunning_) {
    Fail(FailureOf(InstallFailure::Kind::WorkerNotStarted, {}));
    return;
  }
  ShowInstallingControls();
  // The finish needs the start-menu and desktop folders: looked up while
  // the UI thread waits for the worker anyway.
  relay_.RunLater([this] { LookUpShellFolders(); });
}

void Installation::LookUpShellFolders() {
  if (shellFolders_.known) return;
  shellFolders_.programs = sys::SpecialFolder(CSIDL_PROGRAMS);
  shellFolders_.desktop = sys::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  shellFolders_.known = true;
}

bool Installation::OnProgress(int percent) {
  if (phase_ != Phase::Installing) return false;
  if (pendingFailure_ || leaving_) return false;
  ui_.SetProgressPosition(percent);
  if (const char* status = StatusFor(percent)) {
    if (ui_.StatusCaption() != status) ui_.SetStatusCaption(status);
    if (status == kStatusRushing && !registrationWritten_ && !WriteRegistration()) return false;
  }
  // The finish steps wait for the worker's end: sj.zip is gone by then,
  // and nothing else writes while they run.
  return true;
}

void Installation::OnWorkerEnded(const InstallFailure* failure) {
  workerRunning_ = false;
  std::optional<InstallFailure> copy;
  if (failure) copy = *failure;
  // While the close question waits for its answer, the end waits too.
  if (askingToClose_) {
    heldWhileAsking_.push_back([this, copy] { EndAfterWorker(copy); });
    return;
  }
  EndAfterWorker(copy);
}

void Installation::EndAfterWorker(const std::optional<InstallFailure>& failure) {
  if (phase_ != Phase::Installing) return;
  if (leaving_) {
    Abandon();
  } else if (pendingFailure_) {
    Fail(*pendingFailure_);  // the cause, not the stop it asked for
  } else if (failure) {
    Fail(*failure);
  } else {
    Finish();
  }
}

void Installation::FailSoon(const InstallFailure& failure) {
  if (!pendingFailure_) pendingFailure_ = failure;
  // With the worker gone there is nobody to wait for.
  if (!workerRunning_) Fail(*pendingFailure_);
}

void Installation::OnCloseRequest() {
  if (phase_ != Phase::Installing) {
    hooks_.endProgram();
    return;
  }
  if (askingToClose_ || leaving_) return;
  askingToClose_ = true;
  const bool leave = ui_.AskYesNo(kCloseWhileInstalling, kReminderCaption);
  askingToClose_ = false;
  std::vector<std::function<void()>> held;
  held.swap(heldWhileAsking_);
  if (!leave) {
    for (auto& step : held) step();  // the installation goes on where it was
    return;
  }
  leaving_ = true;
  // A worker still running stops at its next report and the end follows
  // its last one; otherwise the installation is taken back now.
  if (!workerRunning_ && phase_ == Phase::Installing) Abandon();
}

// The user left while installing: everything goes back, and the program ends.
void Installation::Abandon() {
  shortcutTimer_.SetInterval(0);
  if (journal_) journal_->Rollback();
  journal_.reset();
  phase_ = Phase::Ready;
  EndDrawingHold();
  hooks_.endProgram();
}

bool Installation::WriteRegistration() {
  registrationWritten_ = true;
  const std::string folder = ui_.FolderText();
  const std::string key = std::string(kUninstallKey) + "\\";
  const std::pair<const char*, std::string> values[] = {
      {"DisplayIcon", folder + kExecutableName},
      {"DisplayName", kProductName},
      {"DisplayVersion", kDisplayVersion},
      // Quoted: an unquoted path with spaces would let Windows start another program.
      {"UninstallString", "\"" + folder + kUninstallerName + "\""},
      {"Publisher", kPublisher},
      {"URLInfoAbout", kPublisherUrl},
  };
  for (const auto& [name, data] : values) {
    if (!journal_->WriteMachineString(key + name, data)) {
      FailSoon(FailureOf(InstallFailure::Kind::RegistryNotWritten, key + name, GetLastError()));
      return false;
    }
  }
  return true;
}

void Installation::Finish() {
  if (finishing_) return;
  finishing_ = true;
  // Every step is checked: a failure here fails the installation.
  if (!registrationWritten_ && !WriteRegistration()) return;  // no report fell between 21 and 70
  const std::string folder = ui_.FolderText();
  LookUpShellFolders();  // unless that happened during the installation
  texts_.programsFolder = shellFolders_.programs;
  texts_.productName = kProductName;
  desktopFolder_ = shellFolders_.desktop;
  const std::string programGroup = texts_.programsFolder + kProductName;
  if (!texts_.programsFolder.empty() && !journal_->CreateFolders(programGroup)) {
    Fail(FailureOf(InstallFailure::Kind::ShortcutNotCreated, programGroup, GetLastError()));
    return;
  }
  texts_.uninstallData = folder + "\r\n" + programGroup + "\r\n" + desktopFolder_ + kProductName + ".lnk\r\n" +
                         kExecutableName;
  const std::string dataPath = folder + "\\" + kUninstallDataName;
  if (!journal_->WriteFile(dataPath, texts_.uninstallData)) {
    Fail(FailureOf(InstallFailure::Kind::UninstallDataNotWritten, dataPath, GetLastError()));
    return;
  }
  // The shortcuts come last; the window shows the end only once they exist.
  if (!shortcutTimer_.SetInterval(kShortcutDelayMs)) OnShortcutTimer();
}

void Installation::OnShortcutTimer() {
  shortcutTimer_.SetInterval(0);  // runs once
  if (askingToClose_) {
    heldWhileAsking_.push_back([this] { OnShortcutTimer(); });
    return;
  }
  if (phase_ != Phase::Installing || !finishing_ || leaving_) return;
  const std::string folder = ui_.FolderText();
  const std::string app = folder + kExecutableName;
  const std::string product = kProductName;
  std::vector<std::pair<std::string, std::string>> links;  // link, target
  // Without a programs or desktop folder the links would land in the current folder.
  if (!texts_.programsFolder.empty()) {
    const std::string group = texts_.programsFolder + product;
    links.push_back({group + "\\" + product + ".lnk", app});
    links.push_back({group + "\\卸载" + product + ".lnk", folder + kUninstallerName});
    links.push_back({group + ".lnk", app});
  }
  if (!desktopFolder_.empty()) links.push_back({desktopFolder_ + product + ".lnk", app});
  {
    sys::ComApartment com;
    for (const auto& [link, target] : links) {
      if (!com.usable() || !journal_->CreateLink(link, target)) {
        const DWORD error = com.usable() ? GetLastError() : 0;
        Fail(FailureOf(InstallFailure::Kind::ShortcutNotCreated, link, error));
        return;
      }
    }
  }
  ShowFinished();
}

// The finish steps are done: only now does the window say so and offer
// the run button.
void Installation::ShowFinished() {
  journal_->Commit();  // the copies of replaced files are no longer needed
  journal_.reset();
  ui_.SetVisible(Control::InstallProgress, false);
  ui_.SetStatusCaption(kStatusFinished);
  ui_.SetTop(Control::StatusLabel, kFinishedStatusTop);
  ui_.SetTop(Control::RunButton, kRunButtonTop);
  ui_.SetVisible(Control::RunButton, true);
  runShownAt_ = hooks_.now();
  phase_ = Phase::Finished;
  EndDrawingHold();
}

void Installation::OnRunClick() {
  // Only a click on the finished window's button, and not the second half
  // of a double click that began on the install button below it.
  if (phase_ != Phase::Finished || PressTooSoon(runShownAt_)) return;
  const std::string folder = ui_.FolderText();
  if (folder.empty() || !sys::FileExists(folder + kExecutableName)) return;
  hooks_.launch(folder);
  hooks_.endProgram();
}

// From the click to the end of the installation the window's changes are
// collected and shown once per frame: each progress report then only sets
// the new state, and the worker, waiting for the report, does not wait
// for the window to be drawn.
void Installation::HoldDrawing() {
  if (drawingHeld_) return;
  drawingHeld_ = true;
  ui_.HoldRedraws(true);
  frameTimer_.SetInterval(kFrameMs);
}

void Installation::EndDrawingHold() {
  if (!drawingHeld_) return;
  drawingHeld_ = false;
  frameTimer_.SetInterval(0);
  ui_.HoldRedraws(false);
}

void Installation::ShowInstallingControls() {
  ui_.SetVisible(Control::InstallProgress, true);
  ui_.SetVisible(Control::PathEdit, false);
  ui_.SetVisible(Control::LocationLabel, false);
  ui_.SetVisible(Control::StatusLabel, true);
  ui_.SetVisible(Control::InstallButton, false);
  ui_.SetVisible(Control::BrowseButton, false);
}

void Installation::ShowReadyControls() {
  ui_.SetVisible(Control::InstallProgress, false);
  ui_.SetProgressPosition(0);
  ui_.SetVisible(Control::StatusLabel, false);
  ui_.SetVisible(Control::RunButton, false);
  ui_.SetVisible(Control::InstallButton, true);
  ui_.SetVisible(Control::PathEdit, true);
  ui_.SetVisible(Control::LocationLabel, true);
  ui_.SetVisible(Control::BrowseButton, true);
}

void Installation::Fail(const InstallFailure& reported) {
  const InstallFailure failure = reported;  // may be pendingFailure_, reset below
  // Nothing of a failed installation stays behind. The worker has ended
  // whenever this runs with a journal.
  shortcutTimer_.SetInterval(0);
  if (journal_) journal_->Rollback();
  journal_.reset();
  pendingFailure_.reset();
  // Back to Ready first, so the window behind the message already lets the
  // user choose another folder.
  if (phase_ == Phase::Installing) ShowReadyControls();
  phase_ = Phase::Ready;
  EndDrawingHold();  // the Ready window shows behind the message
  ui_.ShowMessage(FailureMessage(failure), kReminderCaption);
  // Presses from before the message was dismissed are no new click.
  installShownAt_ = hooks_.now();
}

}  // namespace app::install
