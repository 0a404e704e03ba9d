// The form timer: ticks on the UI thread, stops with interval 0, and its
// WM_TIMER messages only ever go to its own hidden window.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/form/form_timer.h"
#include "app/form/message_window.h"
#include "tests/support/test_env.h"

namespace {

using app::form::FormTimer;

// Every WM_TIMER the thread retrieves, with its window.
std::vector<HWND> g_timerWindows;
LRESULT CALLBACK RecordTimers(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg->message == WM_TIMER) g_timerWindows.push_back(msg->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(FormTimer, TicksOnTheCreatingThreadUntilStopped) {
  FormTimer timer;
  const DWORD uiThread = GetCurrentThreadId();
  int ticks = 0;
  bool offThread = false;
  timer.OnTick([&] {
    offThread |= GetCurrentThreadId() != uiThread;
    if (++ticks == 2) timer.SetInterval(0);
  });
  EXPECT_EQ(timer.Interval(), 0u);
  ASSERT_TRUE(timer.SetInterval(50));
  EXPECT_EQ(timer.Interval(), 50u);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return ticks >= 2; }));
  EXPECT_EQ(timer.Interval(), 0u);
  qwtest::PumpFor(300);  // stopped: no further ticks
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(offThread);
}

TEST(FormTimer, StoppedBeforeItsFirstTickNeverTicks) {
  FormTimer timer;
  int ticks = 0;
  timer.OnTick([&] { ++ticks; });
  timer.SetInterval(20);
  timer.SetInterval(0);
  qwtest::PumpFor(200);
  EXPECT_EQ(ticks, 0);
}

TEST(FormTimer, DestroyedWhileRunningLeavesNoTimerBehind) {
  int ticks = 0;
  {
    FormTimer timer;
    timer.OnTick([&] { ++ticks; });
    timer.SetInterval(10);
  }
  qwtest::PumpFor(200);
  EXPECT_EQ(ticks, 0);
}

TEST(FormTimer, ItsTimerMessagesNeverReachAnotherWindow) {
  // The UI host reads WM_TIMER ids as element handles: the form timer must
  // not send its ticks to any window of the host, nor to the thread queue.
  qwtest::TestWindow hostLike(0, 0, 100, 100);
  g_timerWindows.clear();
  const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &RecordTimers, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  FormTimer timer;
  int ticks = 0;
  timer.OnTick([&] { ++ticks; });
  timer.SetInterval(10);
  const bool ticked = qwtest::PumpUntil([&] { return ticks >= 3; });
  timer.SetInterval(0);
  UnhookWindowsHookEx(hook);
  ASSERT_TRUE(ticked);
  ASSERT_FALSE(g_timerWindows.empty());
  for (HWND w : g_timerWindows) EXPECT_EQ(w, timer.TickWindow());
  EXPECT_NE(timer.TickWindow(), hostLike.hwnd());
}

// The hidden window is made when first needed, and only for the thread
// that made the object: its messages must never run anywhere else.
TEST(MessageWindow, IsMadeOnceForTheThreadThatOwnsIt) {
  DWORD handledOn = 0;
  HWND made = nullptr;
  {
    app::form::MessageWindow window([&](UINT message, WPARAM, LPARAM, LRESULT& result) {
      if (message != WM_APP + 3) return false;
      handledOn = GetCurrentThreadId();
      result = 7;
      return true;
    });
    HWND fromOtherThread = reinterpret_cast<HWND>(1);
    std::thread([&] { fromOtherThread = window.hwnd(); }).join();
    EXPECT_EQ(fromOtherThread, nullptr);

    made = window.hwnd();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(window.hwnd(), made);
    EXPECT_EQ(GetWindowThreadProcessId(made, nullptr), GetCurrentThreadId());
    // Sent from another thread, it is answered here while this thread pumps.
    std::atomic<LRESULT> answer{0};
    std::thread sender([&] { answer = SendMessageW(made, WM_APP + 3, 0, 0); });
    const bool answered = qwtest::PumpUntil([&] { return answer.load() != 0; });
    if (answered) sender.join(); else sender.detach();
    ASSERT_TRUE(answered);
    EXPECT_EQ(answer.load(), 7);
    EXPECT_EQ(handledOn, GetCurrentThreadId());
  }
  EXPECT_FALSE(IsWindow(made));
}

}  // namespace
