// The relay that hands the worker's reports to the UI thread: tasks run on
// the UI thread while the sender waits, and a sender never hangs once the
// UI thread is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/form/message_window.h"
#include "app/form/ui_thread_relay.h"
#include "tests/support/test_env.h"

namespace {

using app::form::UiThreadRelay;

TEST(UiThreadRelay, RunsEachTaskOnTheUiThreadWhileTheSenderWaits) {
  UiThreadRelay relay;
  ASSERT_NE(relay.hwnd(), nullptr);
  const DWORD uiThread = GetCurrentThreadId();
  std::vector<int> order;  // touched only on the UI thread
  std::atomic<bool> senderDone{false};
  std::atomic<int> sent{0};
  std::thread sender([&, hwnd = relay.hwnd()] {
    for (int i = 0; i < 5; ++i) {
      const bool ran = UiThreadRelay::Run(hwnd, [&, i] {
        // The sender is blocked inside Run while this runs.
        order.push_back(GetCurrentThreadId() == uiThread ? i : -1);
        order.push_back(sent.load() == i ? 100 + i : -2);
      });
      if (ran) sent = i + 1;
    }
    senderDone = true;
  });
  const bool done = qwtest::PumpUntil([&] { return senderDone.load(); });
  sender.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(sent.load(), 5);
  EXPECT_EQ(order, (std::vector<int>{0, 100, 1, 101, 2, 102, 3, 103, 4, 104}));
}

TEST(UiThreadRelay, ReturnsAtOnceWhenTheUiThreadHasEnded) {
  HWND relayWindow = nullptr;
  std::thread ui([&] {
    UiThreadRelay relay;
    relayWindow = relay.hwnd();
  });  // the thread ends: its window is gone
  ui.join();
  ASSERT_NE(relayWindow, nullptr);

  std::atomic<bool> returned{false};
  bool ran = true;
  bool taskRan = false;
  std::thread worker([&] {
    ran = UiThreadRelay::Run(relayWindow, [&] { taskRan = true; });
    returned = true;
  });
  // A hang here would be the worker waiting forever for a dead thread.
  const bool finished = qwtest::PumpUntil([&] { return returned.load(); }, 10000);
  if (finished) worker.join(); else worker.detach();
  ASSERT_TRUE(finished);
  EXPECT_FALSE(ran);
  EXPECT_FALSE(taskRan);
}

// Work for later runs after the messages already waiting, in order, and
// never after the relay is gone.
TEST(UiThreadRelay, RunsLaterTasksAfterWaitingMessagesAndDropsThemWithTheRelay) {
  std::vector<std::string> order;
  {
    UiThreadRelay relay;
    app::form::MessageWindow target([&](UINT message, WPARAM, LPARAM, LRESULT&) {
      if (message != WM_APP + 7) return false;
      order.push_back("waiting message");
      return true;
    });
    PostMessageW(target.hwnd(), WM_APP + 7, 0, 0);
    relay.RunLater([&] { order.push_back("first"); });
    relay.RunLater([&] { order.push_back("second"); });
    EXPECT_TRUE(order.empty()) << "nothing runs at once";
    ASSERT_TRUE(qwtest::PumpUntil([&] { return order.size() == 3; }, 5000));
    EXPECT_EQ(order, (std::vector<std::string>{"waiting message", "first", "second"}));

    relay.RunLater([&] { order.push_back("never"); });
  }
  qwtest::PumpPending();
  EXPECT_EQ(order.size(), 3u);
}

}  // namespace
