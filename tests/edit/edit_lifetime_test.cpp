// An edit box deleted by a handler that its own drawing runs. Starting a
// paint of an element with a transition redraws the window (to show the
// running transition's end), and that redraw calls the application's
// overlay handler; the handler here deletes the edit. Every operation that
// got there must stop at once: under heap checking (a second ctest entry)
// a single read of the deleted edit fails the run.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"

using namespace ui;

namespace {

struct DoomedEdit {
  explicit DoomedEdit(bool multiLine) {
    UiEdit::Options o;
    o.text = "first line\r\nsecond line\r\nthird line";
    o.multiLine = multiLine;
    edit = std::make_unique<UiEdit>();
    edit->Create(hosted.hwnd(), 10, 10, 160, multiLine ? 60 : 30, o);
    hosted.Settle();
    handle = edit->GetHandle();
    edit->Transition(2, 5000);  // a fresh paint now redraws the window first
    edit->SetChangeHandler([this](ElementHandle, ElementHandle) { ++changes; });
    hosted.host.SetOnPaintOverlay([this](HWND, Gdiplus::GpGraphics*, const RectF&) {
      if (armed) {
        armed = false;
        edit.reset();
      }
    });
  }
  ~DoomedEdit() { hosted.host.SetOnPaintOverlay(nullptr); }

  // Runs `operation` on the edit with the overlay armed; it must end with
  // the edit deleted, forgotten and never told of a change after that.
  void DeleteDuring(const std::function<void(UiEdit&)>& operation) {
    ASSERT_NE(UiElement::FromHandle(handle), nullptr);
    UiEdit* raw = edit.get();
    armed = true;
    const int before = changes;
    operation(*raw);
    EXPECT_EQ(edit, nullptr) << "the overlay did not run inside the operation";
    EXPECT_EQ(UiElement::FromHandle(handle), nullptr);
    EXPECT_EQ(changes, before);
    hosted.Settle();
  }

  qwtest::HostedWindow hosted{240, 160};
  std::unique_ptr<UiEdit> edit;
  ElementHandle handle = 0;
  bool armed = false;
  int changes = 0;
};

}  // namespace

TEST(EditLifetime, DeletedWhileItsTextIsReplaced) {
  for (bool multiLine : {false, true}) {
    SCOPED_TRACE(multiLine ? "multi-line" : "single line");
    DoomedEdit d(multiLine);
    d.DeleteDuring([](UiEdit& e) { e.Text("new text\r\nmore", true); });
  }
}

TEST(EditLifetime, DeletedWhileTextIsInsertedOrDeleted) {
  for (bool multiLine : {false, true}) {
    SCOPED_TRACE(multiLine ? "multi-line" : "single line");
    DoomedEdit insert(multiLine);
    insert.DeleteDuring([](UiEdit& e) { e.InsertText("inserted"); });
    DoomedEdit remove(multiLine);
    remove.edit->Select(TextPosition{1, 0}, TextPosition{1, 5});
    remove.DeleteDuring([](UiEdit& e) { e.DeleteSelection(); });
  }
}

TEST(EditLifetime, DeletedWhileTheCaretMovesOrItScrolls) {
  DoomedEdit keys(true);
  keys.DeleteDuring([](UiEdit& e) { e.HandleKey(VK_DOWN); });
  DoomedEdit all(true);
  all.DeleteDuring([](UiEdit& e) { e.SelectAll(); });
  DoomedEdit scroll(true);
  scroll.DeleteDuring([](UiEdit& e) { e.SetScrollY(10); });
}
