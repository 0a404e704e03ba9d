// Element setters that repaint, then answer with the stored value, while
// the repaint's handlers delete the element. Starting a fresh paint of an
// element with a transition redraws the window first, which runs the
// application's overlay handler; here that handler deletes the element.
// The setter must answer without reading the deleted object: under heap
// checking (a second ctest entry) such a read fails the run.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"
#include "ui/element/button.h"
#include "ui/element/label.h"

using namespace ui;

namespace {

template <class T>
struct Doomed {
  Doomed() {
    element = std::make_unique<T>();
    element->Create(hosted.hwnd(), 10, 10, 120, 30, "old text");
    hosted.Settle();
    handle = element->GetHandle();
    element->Transition(2, 5000);  // a fresh paint now redraws the window first
    hosted.host.SetOnPaintOverlay([this](HWND, Gdiplus::GpGraphics*, const RectF&) { element.reset(); });
  }
  ~Doomed() { hosted.host.SetOnPaintOverlay(nullptr); }

  qwtest::HostedWindow hosted{240, 160};
  std::unique_ptr<T> element;
  ElementHandle handle = 0;
};

template <class T>
void ExpectEachSetterAnswersSafely(const std::vector<std::function<void(T&)>>& setters) {
  int index = 0;
  for (const auto& set : setters) {
    SCOPED_TRACE(index++);
    Doomed<T> d;
    T* raw = d.element.get();
    set(*raw);
    EXPECT_EQ(d.element, nullptr) << "the overlay did not run inside the setter";
    EXPECT_EQ(UiElement::FromHandle(d.handle), nullptr);
    d.hosted.Settle();
  }
}

}  // namespace

TEST(ElementLifetime, SettersAnswerWithoutReadingAnElementTheirRepaintDeleted) {
  ExpectEachSetterAnswersSafely<UiLabel>({
      [](UiLabel& l) { EXPECT_EQ(l.Text("new text"), ""); },
      [](UiLabel& l) { l.Width(200); },
      [](UiLabel& l) { EXPECT_EQ(l.BackColor1(0xFF102030), 0xFF102030u); },
      [](UiLabel& l) { l.WordWrap(true); },
  });
  ExpectEachSetterAnswersSafely<UiButton>({
      [](UiButton& b) { EXPECT_EQ(b.Text("new text"), ""); },
      [](UiButton& b) { EXPECT_TRUE(b.TextBytes(ByteView(reinterpret_cast<const std::uint8_t*>(L"new"), 6)).empty()); },
  });
}

namespace {
// An element of class `Base` that deletes itself, through its owner, at
// the first event it gets once armed.
template <class Base>
struct SelfDeleting : Base {
  std::unique_ptr<SelfDeleting>* owner = nullptr;
  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (owner) {
      owner->reset();
      return 1;
    }
    return Base::HandleEvent(message, wParam, lParam);
  }
};
}  // namespace

TEST(ElementLifetime, QueriesAnswerWithoutReadingAnElementTheirEventDeleted) {
  qwtest::HostedWindow hosted{240, 160};
  {
    auto edit = std::make_unique<SelfDeleting<UiEdit>>();
    ASSERT_NE(edit->Create(hosted.hwnd(), 10, 10, 120, 30), 0u);
    edit->Text("kept");
    edit->owner = &edit;
    EXPECT_EQ(edit->Text(), "");  // asks its handlers for the text first
    EXPECT_EQ(edit, nullptr);
  }
  {
    auto element = std::make_unique<SelfDeleting<qwtest::Recorder>>();
    ASSERT_NE(element->Make(hosted.hwnd(), 10, 50, 40, 40), 0u);
    element->owner = &element;
    EXPECT_FALSE(element->HasFocus());  // asks its handlers first
    EXPECT_EQ(element, nullptr);
  }
  hosted.Settle();
}
