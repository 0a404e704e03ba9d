// The edit box tells assistive technology when its text changes: typing,
// deleting and setting the text each raise EVENT_OBJECT_VALUECHANGE for the
// edit's element id; moving the caret does not.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/edit/edit_driving.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"

using namespace ui;

namespace {

std::vector<LONG> g_valueChanges;  // child ids of the window's value changes
HWND g_window = nullptr;

void CALLBACK RecordValueChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (hwnd == g_window && object == OBJID_CLIENT) g_valueChanges.push_back(child);
}

TEST(EditValueEvent, EveryTextChangeIsAnnouncedForTheEdit) {
  qwtest::HostedWindow hosted(320, 200);
  UiEdit edit;
  edit.Create(hosted.hwnd(), 10, 10, 260, 30, UiEdit::Options{});
  hosted.host.SetFocusElement(&edit, true);
  hosted.Settle();
  g_window = hosted.hwnd();
  g_valueChanges.clear();
  // In context: each event is recorded as it is raised.
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, GetModuleHandleW(nullptr), RecordValueChange,
                      GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_INCONTEXT);
  ASSERT_NE(hook, nullptr);
  const LONG id = static_cast<LONG>(edit.GetHandle());
  auto changesSettle = [&](std::size_t count) {
    qwtest::PumpPending();
    return g_valueChanges.size() == count;
  };

  qwtest::Type(hosted.hwnd(), "ab");
  EXPECT_TRUE(changesSettle(2));
  qwtest::Key(hosted.hwnd(), VK_LEFT);
  qwtest::Key(hosted.hwnd(), VK_HOME);
  hosted.Settle();
  EXPECT_EQ(g_valueChanges.size(), 2u) << "the caret moving is no change of the value";
  qwtest::Key(hosted.hwnd(), VK_END);
  qwtest::Key(hosted.hwnd(), VK_BACK);
  EXPECT_TRUE(changesSettle(3));
  EXPECT_EQ(edit.Text(), "a");
  edit.Text("C:\\folder\\");
  EXPECT_TRUE(changesSettle(4));
  for (LONG child : g_valueChanges) EXPECT_EQ(child, id);
  UnhookWinEvent(hook);
  g_window = nullptr;
  edit.Destroy();
}

}  // namespace
