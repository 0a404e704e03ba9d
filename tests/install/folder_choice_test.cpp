// Choosing the installation folder: the folder dialog's set-up and result
// handling (the dialog itself replaced in the system binding table), the
// product-folder arithmetic and the default folder.
#include <gtest/gtest.h>

#include <cstring>

#include "app/form/form_timer.h"
#include "app/form/message_window.h"
#include "app/install/folder_choice.h"
#include "app/install/installation.h"
#include "tests/install/recording_ui.h"
#include "ui/platform/system_api.h"

namespace {

using app::install::BrowseForFolder;
using app::install::BrowseOptions;

// What the replaced dialog saw and will answer.
struct FakeDialog {
  // Answer.
  bool cancel = false;
  bool pathFails = false;
  std::string path;
  // Seen.
  int calls = 0;
  HWND owner = nullptr;
  bool rootAndNameBufferEmpty = false;
  std::string title;
  UINT flags = 0;
  int callbackResultInit = 0;
  int callbackResultOther = 0;
  bool bufferWasSpaces = false;
  // What the callback sent to the dialog window.
  UINT selectionMessage = 0;
  WPARAM selectionIsText = 0;
  std::string selection;
};
FakeDialog g_dialog;
HWND g_dialogWindow = nullptr;

PIDLIST_ABSOLUTE WINAPI FakeBrowse(LPBROWSEINFOA info) {
  ++g_dialog.calls;
  g_dialog.owner = info->hwndOwner;
  g_dialog.rootAndNameBufferEmpty = info->pidlRoot == nullptr && info->pszDisplayName == nullptr;
  g_dialog.title = info->lpszTitle ? info->lpszTitle : "<null>";
  g_dialog.flags = info->ulFlags;
  if (info->lpfn) {
    g_dialog.callbackResultInit = info->lpfn(g_dialogWindow, BFFM_INITIALIZED, 0, info->lParam);
    g_dialog.callbackResultOther = info->lpfn(g_dialogWindow, BFFM_SELCHANGED, 0, info->lParam);
  }
  if (g_dialog.cancel) return nullptr;
  // Freed by the caller with CoTaskMemFree.
  auto* item = static_cast<SHITEMID*>(CoTaskMemAlloc(sizeof(SHITEMID)));
  item->cb = 0;
  return reinterpret_cast<PIDLIST_ABSOLUTE>(item);
}

BOOL WINAPI FakeGetPath(PCIDLIST_ABSOLUTE, LPSTR buffer) {
  g_dialog.bufferWasSpaces = true;
  for (int i = 0; i < 512; ++i) g_dialog.bufferWasSpaces &= buffer[i] == ' ';
  if (g_dialog.pathFails) return FALSE;
  std::strcpy(buffer, g_dialog.path.c_str());
  return TRUE;
}

class FolderDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = ui::sys::mutableTableForTest();
    ui::sys::mutableTableForTest().SHBrowseForFolderA = &FakeBrowse;
    ui::sys::mutableTableForTest().SHGetPathFromIDListA = &FakeGetPath;
    g_dialog = FakeDialog{};
    g_dialogWindow = dialogWindow_.hwnd();
  }
  void TearDown() override { ui::sys::mutableTableForTest() = saved_; }

  ui::sys::Table saved_;
  // Stands in for the dialog's window: records what the callback sends it.
  app::form::MessageWindow dialogWindow_{[](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != BFFM_SETSELECTIONA) return false;
    g_dialog.selectionMessage = message;
    g_dialog.selectionIsText = wParam;
    g_dialog.selection = reinterpret_cast<const char*>(lParam);
    result = 0;
    return true;
  }};
};

TEST(BrowseFlags, FollowTheThreeOptions) {
  EXPECT_EQ(app::install::BrowseFlags({}), static_cast<UINT>(BIF_NEWDIALOGSTYLE));
  BrowseOptions o;
  o.editBox = true;
  EXPECT_EQ(app::install::BrowseFlags(o), static_cast<UINT>(BIF_EDITBOX | BIF_NEWDIALOGSTYLE));
  o = {};
  o.newStyle = false;
  EXPECT_EQ(app::install::BrowseFlags(o), 0u);
  o = {};
  o.includeFiles = true;
  EXPECT_EQ(app::install::BrowseFlags(o), static_cast<UINT>(BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEFILES));
  o.includeFiles = false;
  o.editBox = false;
  o.newStyle = true;
  EXPECT_EQ(app::install::BrowseFlags(o), static_cast<UINT>(BIF_NEWDIALOGSTYLE));
}

TEST(TextAfterLast, ReturnsTheTailBehindTheLastSeparator) {
  struct Case {
    const char* text;
    const char* separator;
    const char* tail;
  } cases[] = {
      {"D:\\", ":", "\\"},      {"D:\\Games", ":", "\\Games"}, {"a:b:c", ":", "c"},
      {"abc", ":", ""},         {"abc:", ":", ""},             {"x--y--z", "--", "z"},
      {"AbA", "a", ""},         {"", ":", ""},                 {"abc", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::install::TextAfterLast(c.text, c.separator), c.tail) << c.text << " / " << c.separator;
  }
}

TEST_F(FolderDialogTest, PassesItsSettingsAndPreselectsTheInitialFolder) {
  g_dialog.path = "D:\\Games";
  BrowseOptions o;
  o.title = "标题";
  o.initialFolder = "C:\\青梧网游加速器\\";
  o.owner = dialogWindow_.hwnd();
  EXPECT_EQ(BrowseForFolder(o), "D:\\Games");
  EXPECT_EQ(g_dialog.owner, dialogWindow_.hwnd());
  EXPECT_TRUE(g_dialog.rootAndNameBufferEmpty);
  EXPECT_EQ(g_dialog.title, "标题");
  EXPECT_EQ(g_dialog.flags, static_cast<UINT>(BIF_NEWDIALOGSTYLE));
  EXPECT_EQ(g_dialog.selectionMessage, static_cast<UINT>(BFFM_SETSELECTIONA));
  EXPECT_EQ(g_dialog.selectionIsText, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(g_dialog.selection, "C:\\青梧网游加速器\\");
  EXPECT_EQ(g_dialog.callbackResultInit, 1);
  EXPECT_EQ(g_dialog.callbackResultOther, 1);
  EXPECT_TRUE(g_dialog.bufferWasSpaces);
}

TEST_F(FolderDialogTest, DefaultsAndResultTrimming) {
  g_dialog.path = "  D:\\x  ";
  EXPECT_EQ(BrowseForFolder(), "D:\\x");
  EXPECT_EQ(g_dialog.title, "请选择一个文件夹");
  EXPECT_EQ(g_dialog.selection, "");  // no initial folder: an empty selection text
  EXPECT_EQ(g_dialog.owner, nullptr);

  g_dialog.pathFails = true;  // a choice without a file-system path
  EXPECT_EQ(BrowseForFolder(), "");
  g_dialog.pathFails = false;
  g_dialog.cancel = true;
  EXPECT_EQ(BrowseForFolder(), "");
}

TEST_F(FolderDialogTest, BrowseClickPutsTheProductFolderBelowTheChoice) {
  qwtest::RecordingUi ui;
  ui.owner = dialogWindow_.hwnd();
  ui.folder = "C:\\青梧网游加速器\\";
  app::InstallerTexts texts;
  app::form::FormTimer timer;
  app::install::Installation installation(ui, texts, timer, {});
  struct Case {
    const char* chosen;
    const char* folder;
  } cases[] = {
      {"D:\\", "D:\\青梧网游加速器\\"},
      {"D:\\Games", "D:\\Games\\青梧网游加速器\\"},
      // Already the product folder: the name is appended again.
      {"D:\\Games\\青梧网游加速器", "D:\\Games\\青梧网游加速器\\青梧网游加速器\\"},
      {"\\\\server\\share", "\\\\server\\share\\青梧网游加速器\\"},
  };
  for (const Case& c : cases) {
    const std::string before = ui.folder;
    g_dialog.path = c.chosen;
    installation.OnBrowseClick();
    EXPECT_EQ(ui.folder, c.folder) << c.chosen;
    EXPECT_EQ(g_dialog.selection, before) << "the dialog starts at the current folder";
  }
  EXPECT_EQ(g_dialog.title, "选择要安装 青梧网游加速器 的文件夹位置");
  EXPECT_EQ(g_dialog.flags, static_cast<UINT>(BIF_NEWDIALOGSTYLE));
  EXPECT_EQ(g_dialog.owner, dialogWindow_.hwnd());

  g_dialog.cancel = true;
  const std::string before = ui.folder;
  installation.OnBrowseClick();
  EXPECT_EQ(ui.folder, before);
  EXPECT_EQ(ui.callsOffThread, 0);
}

TEST(DefaultFolder, IsSetOnlyWhereTheWindowsFolderExists) {
  app::InstallerTexts texts;
  app::form::FormTimer timer;
  for (bool windowsExists : {true, false}) {
    qwtest::RecordingUi ui;
    app::install::InstallerHooks hooks;
    hooks.windowsFolderExists = [&] { return windowsExists; };
    app::install::Installation installation(ui, texts, timer, {}, hooks);
    installation.SetDefaultFolder();
    EXPECT_EQ(ui.folder, windowsExists ? "C:\\青梧网游加速器\\" : "") << windowsExists;
  }
  // The real probe: the prefix has a C:\Windows.
  qwtest::RecordingUi ui;
  app::install::Installation installation(ui, texts, timer, {});
  installation.SetDefaultFolder();
  EXPECT_EQ(ui.folder, "C:\\青梧网游加速器\\");
}

}  // namespace
