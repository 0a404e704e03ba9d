// Element setters that repaint, then answer with the stored value, while
// the repaint's handlers delete the element. Starting a fresh paint of an
// element with a transition redraws the window first, which runs the
// application's overlay handler; here that handler deletes the element.
// The setter must answer without reading the deleted object: under heap
// checking (a second ctest entry) such a read fails the run.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/support/host_fixture.h"
#include "ui/element/label.h"

using namespace ui;

namespace {

struct DoomedLabel {
  DoomedLabel() {
    label = std::make_unique<UiLabel>();
    label->Create(hosted.hwnd(), 10, 10, 120, 30, "old text");
    hosted.Settle();
    handle = label->GetHandle();
    label->Transition(2, 5000);  // a fresh paint now redraws the window first
    hosted.host.SetOnPaintOverlay([this](HWND, Gdiplus::GpGraphics*, const RectF&) { label.reset(); });
  }
  ~DoomedLabel() { hosted.host.SetOnPaintOverlay(nullptr); }

  qwtest::HostedWindow hosted{240, 160};
  std::unique_ptr<UiLabel> label;
  ElementHandle handle = 0;
};

}  // namespace

TEST(ElementLifetime, SettersAnswerWithoutReadingAnElementTheirRepaintDeleted) {
  const std::function<void(UiLabel&)> setters[] = {
      [](UiLabel& l) { EXPECT_EQ(l.Text("new text"), ""); },
      [](UiLabel& l) { l.Width(200); },
      [](UiLabel& l) { EXPECT_EQ(l.BackColor1(0xFF102030), 0xFF102030u); },
      [](UiLabel& l) { l.WordWrap(true); },
  };
  int index = 0;
  for (const auto& set : setters) {
    SCOPED_TRACE(index++);
    DoomedLabel d;
    UiLabel* raw = d.label.get();
    set(*raw);
    EXPECT_EQ(d.label, nullptr) << "the overlay did not run inside the setter";
    EXPECT_EQ(UiElement::FromHandle(d.handle), nullptr);
    d.hosted.Settle();
  }
}
