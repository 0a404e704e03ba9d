#pragma once
// The application's main window: a layered, rounded host window of the UI
// library with caption buttons, a dark header with the animated logo and
// the settings button, an installation-check card and a card with the
// user's notes and the action log.
//
// Coordinates: client pixels of the window (see main_layout.h).
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "payload/app/action_log.h"
#include "payload/app/file_check.h"
#include "payload/app/main_layout.h"
#include "payload/app/settings.h"
#include "payload/app/settings_menu.h"
#include "ui/controls/edit.h"
#include "ui/controls/progress_bar.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"
#include "ui/host/window.h"
#include "ui/platform/gdiplus_handles.h"

namespace qingwu {

inline constexpr wchar_t kWindowClass[] = L"QingwuAccelerator";
inline constexpr wchar_t kProductName[] = L"青梧网游加速器";
inline constexpr char kVersion[] = "201909999";

// Where the window finds and keeps its files.
struct MainWindowPaths {
  std::wstring programFolder;  // the installation folder; ends with '\'
  std::wstring dataFolder;     // settings, notes and the log; ends with '\'; empty: nothing is saved
};

class MainWindow {
 public:
  // Private messages of the window.
  static constexpr UINT kOpenSettingsMenu = WM_APP + 1;
  static constexpr UINT_PTR kCheckTimerId = 7;  // not an element handle: the host passes it on
  static constexpr UINT kCheckIntervalMs = 120;
  // The logo plays for a few seconds after the window shows and while the
  // mouse rests on it, then stays on its first (resting) frame.
  static constexpr UINT_PTR kLogoTimerId = 8;
  static constexpr UINT kLogoPlayMs = 4000;

  explicit MainWindow(MainWindowPaths paths);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow();

  // Creates the (hidden) window with its content; false on failure.
  // `quitOnDestroy`: post the quit message when the window is gone.
  bool Create(HINSTANCE instance, bool quitOnDestroy);
  // Shows it with the fade-in effect.
  void Show();
  HWND hwnd() const { return hwnd_; }

  // ---- actions (also what the controls and menu items call) ---------------
  void StartFileCheck();
  void StepFileCheck();
  bool SaveNotes();
  void ClearLog();
  void OpenSettingsMenu();
  void ApplySettings(const Settings& settings);

  // ---- read access for tests ------------------------------------------------------
  ui::UiWindow& Host() { return host_; }
  SettingsMenu& Menu() { return *menu_; }
  const ActionLog& Log() const { return log_; }
  const Settings& CurrentSettings() const { return settings_; }
  bool CheckRunning() const { return check_.has_value() && !check_->Done(); }
  ui::UiButton& SettingsButton() { return settingsButton_; }
  ui::UiButton& CheckButton() { return checkButton_; }
  ui::UiButton& SaveButton() { return saveButton_; }
  ui::UiButton& ClearButton() { return clearButton_; }
  ui::UiProgressBar& CheckProgress() { return checkProgress_; }
  ui::UiLabel& CheckStatus() { return checkStatus_; }
  ui::UiEdit& NotesEdit() { return notesEdit_; }
  ui::UiEdit& LogEdit() { return logEdit_; }
  ui::UiLabel& NotesHint() { return notesHint_; }
  ui::UiPicture& Logo() { return logo_; }
  std::wstring SettingsPath() const;
  std::wstring NotesPath() const;
  std::wstring LogPath() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void CreateHost();
  void CreateControls();
  void BindHandlers();
  void LayOut(int width, int height);
  void PaintBackground(Gdiplus::GpGraphics* g, int width, int height);
  void Record(const std::string& text);
  void ShowLog();
  void LoadNotes();
  void OpenFile(const std::wstring& path, const char* what);
  void FinishFileCheck();
  void UpdateNotesHint();
  void PlayLogo();

  MainWindowPaths paths_;
  HWND hwnd_ = nullptr;  // destroyed by the destructor when still there
  bool quitOnDestroy_ = false;
  Settings settings_;
  ActionLog log_;
  std::unique_ptr<SettingsMenu> menu_;
  std::optional<FileCheck> check_;
  bool notesChanged_ = false;
  bool loadingNotes_ = false;
  int routeCount_ = -1;  // -1: qwcore.dll or servers.ini missing
  ui::gp::Image headerImage_;  // owned: the header band, drawn by PaintBackground
  int headerDecodedFor_ = 0;   // the display scale (quarters) headerImage_ was decoded for

  // The host first: the elements below are destroyed before it.
  ui::UiWindow host_;
  ui::UiPicture logo_;
  ui::UiLabel productName_, version_;
  ui::UiButton settingsButton_;
  ui::UiLabel checkTitle_, checkText_;
  ui::UiButton checkButton_;
  ui::UiProgressBar checkProgress_;
  ui::UiLabel checkStatus_;
  ui::UiLabel infoTitle_, routesInfo_, folderInfo_, dataInfo_, offlineNote_;
  ui::UiLabel notesTitle_;
  ui::UiEdit notesEdit_;
  ui::UiLabel notesHint_;  // over the empty notes; disabled, so clicks reach the edit
  ui::UiButton saveButton_;
  ui::UiLabel logTitle_;
  ui::UiEdit logEdit_;
  ui::UiButton clearButton_;
};

}  // namespace qingwu
