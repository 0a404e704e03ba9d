// The application's logic without a window: settings, the action log, the
// installation check, file writes and the layout.
#include <gtest/gtest.h>

#include "payload/app/action_log.h"
#include "payload/app/file_check.h"
#include "payload/app/file_io.h"
#include "payload/app/main_layout.h"
#include "payload/app/settings.h"
#include "tests/payload/payload_test_util.h"

namespace {

SYSTEMTIME At(int h, int m, int s) {
  SYSTEMTIME t{};
  t.wYear = 2019;
  t.wMonth = 9;
  t.wDay = 1;
  t.wHour = static_cast<WORD>(h);
  t.wMinute = static_cast<WORD>(m);
  t.wSecond = static_cast<WORD>(s);
  return t;
}

// ---- settings -------------------------------------------------------------------------

TEST(SettingsFile, MissingOrDamagedValuesGiveTheDefaults) {
  qwtest::ScratchFolder dir(L"settings_defaults");
  EXPECT_EQ(qingwu::LoadSettings(dir / L"none.ini"), qingwu::Settings{});
  ASSERT_TRUE(dir.Put(L"bad.ini", "[settings]\r\nalways_on_top=7\r\nlog_actions=yes\r\n"));
  EXPECT_EQ(qingwu::LoadSettings(dir / L"bad.ini"), qingwu::Settings{});
}

TEST(SettingsFile, EverySettingSurvivesASaveAndLoad) {
  qwtest::ScratchFolder dir(L"settings_roundtrip");
  for (int bits = 0; bits < 4; ++bits) {
    qingwu::Settings s;
    s.alwaysOnTop = (bits & 1) != 0;
    s.logActions = (bits & 2) != 0;
    ASSERT_TRUE(qingwu::SaveSettings(dir / L"settings.ini", s));
    EXPECT_EQ(qingwu::LoadSettings(dir / L"settings.ini"), s) << "bits " << bits;
  }
}

TEST(SettingsFile, SavingIntoAMissingFolderFails) {
  EXPECT_FALSE(qingwu::SaveSettings(L"C:\\qw_no_such_folder\\deeper\\settings.ini", qingwu::Settings{}));
}

// ---- action log -----------------------------------------------------------------------

TEST(ActionLog, LinesCarryTheTimeAndJoinWithCrLf) {
  qingwu::ActionLog log;
  EXPECT_TRUE(log.Add("程序启动", At(9, 5, 7)));
  EXPECT_TRUE(log.Add("打开设置菜单", At(23, 59, 0)));
  EXPECT_EQ(log.Text(), "[09:05:07] 程序启动\r\n[23:59:00] 打开设置菜单");
  EXPECT_EQ(log.LineCount(), 2u);
}

TEST(ActionLog, LineBreaksInsideAnEntryBecomeSpaces) {
  EXPECT_EQ(qingwu::ActionLog::FormatLine("a\r\nb\nc", At(1, 2, 3)), "[01:02:03] a  b c");
}

TEST(ActionLog, SwitchedOffItRecordsOnlyWhatIsForced) {
  qingwu::ActionLog log;
  log.SetEnabled(false);
  EXPECT_FALSE(log.Add("ignored", At(1, 0, 0)));
  log.AddAlways("记录操作：已关闭", At(1, 0, 1));
  EXPECT_EQ(log.Text(), "[01:00:01] 记录操作：已关闭");
  log.SetEnabled(true);
  EXPECT_TRUE(log.Add("again", At(1, 0, 2)));
  EXPECT_EQ(log.LineCount(), 2u);
}

TEST(ActionLog, KeepsOnlyTheNewestLinesButTheFileKeepsAll) {
  qwtest::ScratchFolder dir(L"log_file");
  qingwu::ActionLog log(3);
  log.SetFile(dir / L"actions.log");
  for (int i = 0; i < 5; ++i) log.Add(std::string(1, static_cast<char>('a' + i)), At(0, 0, i));
  EXPECT_EQ(log.Text(), "[00:00:02] c\r\n[00:00:03] d\r\n[00:00:04] e");
  log.Clear();
  EXPECT_EQ(log.Text(), "");
  const auto file = qingwu::ReadFileBytes(dir / L"actions.log");
  ASSERT_TRUE(file);
  EXPECT_EQ(*file, "[00:00:00] a\r\n[00:00:01] b\r\n[00:00:02] c\r\n[00:00:03] d\r\n[00:00:04] e\r\n");
}

TEST(ActionLog, AnUnwritableFileDoesNotStopTheLog) {
  qingwu::ActionLog log;
  log.SetFile(L"C:\\qw_no_such_folder\\actions.log");
  EXPECT_TRUE(log.Add("still shown", At(0, 0, 0)));
  EXPECT_EQ(log.LineCount(), 1u);
}

// ---- installation check ------------------------------------------------------------

TEST(FileCheck, StepsThroughTheFilesAndReportsSizesAndGaps) {
  qwtest::ScratchFolder dir(L"check");
  ASSERT_TRUE(dir.Put(L"a.txt", "12345"));
  ASSERT_TRUE(dir.Put(L"c.txt", ""));
  CreateDirectoryW((dir / L"d.txt").c_str(), nullptr);  // a folder is not the file
  qingwu::FileCheck check(dir.path(), {L"a.txt", L"b.txt", L"c.txt", L"d.txt"});
  EXPECT_EQ(check.Percent(), 0);
  EXPECT_EQ(check.NextName(), L"a.txt");
  check.Step();
  EXPECT_EQ(check.Percent(), 25);
  EXPECT_EQ(check.NextName(), L"b.txt");
  while (!check.Done()) check.Step();
  check.Step();  // nothing more to do
  ASSERT_EQ(check.Results().size(), 4u);
  EXPECT_TRUE(check.Results()[0].present);
  EXPECT_EQ(check.Results()[0].size, 5u);
  EXPECT_FALSE(check.Results()[1].present);
  EXPECT_TRUE(check.Results()[2].present);
  EXPECT_FALSE(check.Results()[3].present);
  EXPECT_EQ(check.MissingCount(), 2);
  EXPECT_EQ(check.Percent(), 100);
  EXPECT_EQ(check.NextName(), L"");
}

TEST(FileCheck, AnEmptyListIsDoneAtOnce) {
  qingwu::FileCheck check(L"C:\\", {});
  EXPECT_TRUE(check.Done());
  EXPECT_EQ(check.Percent(), 100);
}

TEST(FileCheck, ChecksTheEightInstalledFiles) {
  const auto names = qingwu::InstalledFileNames();
  ASSERT_EQ(names.size(), 8u);
  EXPECT_EQ(names.front(), L"qingwu.exe");
}

// ---- file writes --------------------------------------------------------------------

TEST(FileIo, WritingReplacesTheWholeFileAndLeavesNoTemporary) {
  qwtest::ScratchFolder dir(L"io");
  ASSERT_TRUE(qingwu::WriteFileBytes(dir / L"notes.txt", "a much longer first text"));
  ASSERT_TRUE(qingwu::WriteFileBytes(dir / L"notes.txt", std::string("short\0x", 7)));
  EXPECT_EQ(qingwu::ReadFileBytes(dir / L"notes.txt"), std::string("short\0x", 7));
  EXPECT_EQ(GetFileAttributesW((dir / L"notes.txt.new").c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(qingwu::AppendFileBytes(dir / L"notes.txt", "+"));
  EXPECT_EQ(qingwu::ReadFileBytes(dir / L"notes.txt")->size(), 8u);
}

TEST(FileIo, ReadingRespectsTheLimitAndMissingFiles) {
  qwtest::ScratchFolder dir(L"io_limit");
  ASSERT_TRUE(dir.Put(L"big.txt", std::string(100, 'x')));
  EXPECT_FALSE(qingwu::ReadFileBytes(dir / L"big.txt", 99));
  EXPECT_TRUE(qingwu::ReadFileBytes(dir / L"big.txt", 100));
  EXPECT_FALSE(qingwu::ReadFileBytes(dir / L"missing.txt"));
}

TEST(FileIo, AFailedWriteKeepsTheOldFile) {
  qwtest::ScratchFolder dir(L"io_fail");
  ASSERT_TRUE(dir.Put(L"notes.txt", "old"));
  // A folder in the way of the temporary file makes the write fail.
  CreateDirectoryW((dir / L"notes.txt.new").c_str(), nullptr);
  EXPECT_FALSE(qingwu::WriteFileBytes(dir / L"notes.txt", "new"));
  EXPECT_EQ(qingwu::ReadFileBytes(dir / L"notes.txt"), "old");
}

// ---- layout ---------------------------------------------------------------------------

bool Inside(const qingwu::Box& inner, const qingwu::Box& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() &&
         inner.Bottom() <= outer.Bottom();
}
bool Overlap(const qingwu::Box& a, const qingwu::Box& b) {
  return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

TEST(MainLayout, ControlsStayInTheirCardsWithoutOverlapAtEverySize) {
  const SIZE sizes[] = {{780, 540}, {600, 400}, {1034, 782}, {1930, 1090}};
  for (const SIZE& size : sizes) {
    const qingwu::MainLayout l = qingwu::ComputeLayout(size.cx, size.cy);
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
    const qingwu::Box left[] = {l.checkTitle, l.checkText, l.checkButton, l.checkProgress, l.checkStatus,
                                l.infoTitle,  l.routesInfo, l.folderInfo, l.dataInfo, l.offlineNote};
    const qingwu::Box right[] = {l.notesTitle, l.saveButton, l.notesEdit, l.logTitle, l.clearButton, l.logEdit};
    for (const auto& b : left) EXPECT_TRUE(Inside(b, l.leftCard));
    for (const auto& b : right) EXPECT_TRUE(Inside(b, l.rightCard));
    for (std::size_t i = 0; i < std::size(left); ++i)
      for (std::size_t j = i + 1; j < std::size(left); ++j) EXPECT_FALSE(Overlap(left[i], left[j])) << i << " " << j;
    for (std::size_t i = 0; i < std::size(right); ++i)
      for (std::size_t j = i + 1; j < std::size(right); ++j)
        EXPECT_FALSE(Overlap(right[i], right[j])) << i << " " << j;
    EXPECT_FALSE(Overlap(l.leftCard, l.rightCard));
    EXPECT_TRUE(Inside(l.header, l.body));
    EXPECT_TRUE(Inside(l.settingsButton, l.header));
    EXPECT_TRUE(Inside(l.logo, l.header));
    EXPECT_GE(l.notesEdit.height, 100);
    EXPECT_GE(l.logEdit.height, 80);
  }
}

TEST(MainLayout, SmallerThanTheMinimumIsLaidOutAsTheMinimum) {
  EXPECT_EQ(qingwu::ComputeLayout(10, 10).rightCard, qingwu::ComputeLayout(780, 540).rightCard);
  // The logo never moves: its frames carry the header pixels behind it.
  EXPECT_EQ(qingwu::ComputeLayout(1600, 900).logo, (qingwu::Box{22, 18, 60, 60}));
  // Growing the window grows the right card and the edit boxes.
  const auto small = qingwu::ComputeLayout(780, 540), big = qingwu::ComputeLayout(1200, 800);
  EXPECT_GT(big.notesEdit.width, small.notesEdit.width);
  EXPECT_GT(big.logEdit.height, small.logEdit.height);
  EXPECT_EQ(big.checkButton, small.checkButton);
}

}  // namespace
