// UiLabel: gradient panel, text placement, animated text changes, contrast
// with the window background, and the string format read back unchanged.
#include <gtest/gtest.h>

#include "tests/controls/control_test_util.h"
#include "ui/core/library.h"
#include "ui/element/label.h"
#include "ui/host/window.h"

using namespace ui;
using ctltest::Px;
using qwtest::HostedWindow;

namespace {

// Records what the label does: paints, text rectangles and its events.
class ProbeLabel : public UiLabel {
 public:
  int paints = 0;
  int finished = 0;
  std::vector<Gdiplus::RectF> textRects;

 protected:
  void BeforeText(const PaintContext&, const Gdiplus::RectF& r) override { textRects.push_back(r); }
  int UserEvent(UINT message, WPARAM, LPARAM) override {
    if (message == ev::kPaint) ++paints;
    if (message == ev::kTransitionFinished) ++finished;
    return -1;
  }
};

// Rows of ink (alpha above a threshold) in the label's bitmap.
std::pair<int, int> InkRows(const UiElement& e) {
  int first = -1, last = -1;
  for (int y = 0; y < e.Height(); ++y)
    for (int x = 0; x < e.Width(); ++x)
      if (AlphaOf(Px(e, x, y)) > 60) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

// The most opaque pixel of the bitmap (the body of the glyphs).
Argb StrongestInk(const UiElement& e) {
  Argb best = 0;
  for (int y = 0; y < e.Height(); ++y)
    for (int x = 0; x < e.Width(); ++x)
      if (AlphaOf(Px(e, x, y)) > AlphaOf(best)) best = Px(e, x, y);
  return best;
}

}  // namespace

TEST(Label, GradientPanelWithEmptyTextFillsItsRectangleAndNothingElse) {
  HostedWindow w(220, 200);
  UiLabel panel;
  LabelOptions o;
  o.gradientMode = 1;  // vertical
  o.backColor1 = MakeArgb(RGB(0, 0, 255));
  o.backColor2 = MakeArgb(RGB(255, 255, 255));
  ASSERT_NE(panel.Create(w.hwnd(), 10, 20, 120, 100, "", o), 0u);
  w.Settle();
  // Top blue, bottom white, blending in between; every row one colour.
  EXPECT_TRUE(qwtest::ColorNear(Px(panel, 60, 0), 0xFE0000FF, 6)) << qwtest::ColorText(Px(panel, 60, 0));
  EXPECT_TRUE(qwtest::ColorNear(Px(panel, 60, 99), 0xFEFFFFFF, 6)) << qwtest::ColorText(Px(panel, 60, 99));
  int previousRed = -1;
  for (int y = 0; y < 100; ++y) {
    const Argb rowColour = Px(panel, 0, y);
    EXPECT_GE(static_cast<int>(RedOf(rowColour)), previousRed) << "row " << y;
    previousRed = RedOf(rowColour);
    for (int x = 0; x < 120; x += 7)
      ASSERT_TRUE(qwtest::ColorNear(Px(panel, x, y), rowColour, 1)) << x << "," << y;
  }
  // On the window: the panel over the green body, nothing outside it.
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(70, 21), 0xFF0000FF, 8)) << qwtest::ColorText(w.Canvas(70, 21));
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(70, 19), 0xFF008000, 2));
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(131, 60), 0xFF008000, 2));
}

TEST(Label, VerticalAlignmentPlacesSingleLineText) {
  HostedWindow w(220, 120);
  ProbeLabel label;
  ASSERT_NE(label.Create(w.hwnd(), 10, 10, 160, 50, "Ag 文字"), 0u);
  ASSERT_GT(label.MeasuredHeight(), 8);
  const float boxTop = 2, boxBottom = 50 - 2;
  // Default: centred in the text box.
  ASSERT_FALSE(label.textRects.empty());
  EXPECT_FLOAT_EQ(label.textRects.back().Y, boxTop + (46 - label.MeasuredHeight()) / 2.0f);
  // 2: two pixels above the bottom of the text box.
  label.VerticalAlign(2);
  EXPECT_FLOAT_EQ(label.textRects.back().Y + label.textRects.back().Height, boxBottom - 2);
  const auto bottomInk = InkRows(label);
  ASSERT_GE(bottomInk.first, 0);
  EXPECT_LE(bottomInk.second, static_cast<int>(boxBottom) - 2);
  EXPECT_GT(bottomInk.second, static_cast<int>(boxBottom) - 2 - label.MeasuredHeight());
  // 0: two pixels below the top of the box.
  label.VerticalAlign(0);
  EXPECT_FLOAT_EQ(label.textRects.back().Y, boxTop + 2);
  const auto topInk = InkRows(label);
  EXPECT_GE(topInk.first, static_cast<int>(boxTop) + 2);
  EXPECT_LT(topInk.second, bottomInk.first);
}

TEST(Label, UnchangedTextRepaintsOnlyWithAnEffect) {
  HostedWindow w;
  ProbeLabel label;
  label.Create(w.hwnd(), 10, 10, 120, 30, "same");
  w.Settle();
  const int paints = label.paints;
  EXPECT_EQ(label.Text("same"), "same");
  EXPECT_EQ(label.paints, paints);
  EXPECT_FALSE(label.TransitionRunning());

  std::vector<int> frameSteps;
  label.BindEvent(ev::kTransitionFrame, [&](const ElementEvent&) { frameSteps.push_back(label.TransitionStep()); });
  label.Text("same", /*effect=*/0);
  EXPECT_EQ(label.paints, paints + 1);
  EXPECT_TRUE(label.TransitionRunning());
  EXPECT_EQ(label.Transition(), 5);
  EXPECT_EQ(label.TransitionInterval(), 60);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return label.finished == 1; }, 10000));
  EXPECT_EQ(frameSteps, (std::vector<int>{1, 2, 3, 4}));
  // The settings belong to that one change only.
  EXPECT_EQ(label.Transition(), 0);
  EXPECT_EQ(label.TransitionInterval(), 0);
  label.Text("other");
  EXPECT_FALSE(label.TransitionRunning());
}

TEST(Label, TextChangeOnAHiddenLabelLeavesNoTransitionBehind) {
  HostedWindow w;
  ProbeLabel label;
  LabelOptions o;
  o.visible = false;
  label.Create(w.hwnd(), 10, 10, 120, 30, "before", o);
  label.Text("after", /*effect=*/1);
  EXPECT_EQ(label.Text(), "after");
  EXPECT_EQ(label.Transition(), 0);
  label.Visible(true);
  label.TextColor(0xFEFF0000);  // an ordinary repaint
  EXPECT_FALSE(label.TransitionRunning());
}

TEST(Label, AutoContrastFollowsTheWindowBackground) {
  // Background: dark everywhere except a light band at x >= 150.
  auto options = HostedWindow::Plain();
  const Bytes image = qwtest::MakeBmp(220, 120, [](int x, int) { return x >= 150 ? 0xF0F0F0u : 0x202020u; });
  options.image = image;
  HostedWindow w(220, 120, options);
  LabelOptions o;
  o.autoContrast = true;
  o.textColor = 0x80FF0000;  // only its alpha is kept
  UiLabel onDark, onLight;
  onDark.Create(w.hwnd(), 10, 10, 100, 30, "暗背景", o);
  onLight.Create(w.hwnd(), 150, 60, 60, 30, "亮", o);
  const Argb dark = StrongestInk(onDark), light = StrongestInk(onLight);
  EXPECT_GT(RedOf(dark), 220) << qwtest::ColorText(dark);
  EXPECT_GT(BlueOf(dark), 220) << qwtest::ColorText(dark);
  EXPECT_LE(AlphaOf(dark), 0x80);
  EXPECT_LT(RedOf(light), 40) << qwtest::ColorText(light);
  EXPECT_LT(GreenOf(light), 40) << qwtest::ColorText(light);

  // A new background announced by the host re-decides the colour.
  const Bytes allLight = qwtest::MakeBmp(220, 120, [](int, int) { return 0xF0F0F0u; });
  w.host.Redraw(allLight);
  EXPECT_LT(RedOf(StrongestInk(onDark)), 40) << qwtest::ColorText(StrongestInk(onDark));
}

TEST(Label, AutoContrastWithoutImageUsesTheBodyColour) {
  HostedWindow w;  // green body: dark
  LabelOptions o;
  o.autoContrast = true;
  UiLabel label;
  label.Create(w.hwnd(), 10, 10, 100, 30, "Text", o);
  const Argb ink = StrongestInk(label);
  EXPECT_GT(RedOf(ink), 220) << qwtest::ColorText(ink);
  EXPECT_EQ(AlphaOf(ink) <= AlphaOf(UiLabel::kDefaultTextColor), true);
}

TEST(Label, ReadingTrimmingOrFormatFlagsChangesNothing) {
  HostedWindow w;
  ProbeLabel label;
  LabelOptions o;
  o.trimming = 3;  // ellipsis character
  o.alignment = 1;
  label.Create(w.hwnd(), 10, 10, 120, 30, "trim me", o);
  w.Settle();
  const int paints = label.paints;
  Gdiplus::GpStringFormat* format = label.StringFormat();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(label.Trimming(), 3);
    EXPECT_EQ(label.FormatFlags(), 0x1000);
    EXPECT_EQ(label.Alignment(), 1);
  }
  Gdiplus::StringTrimming trimming{};
  INT flags = 0;
  gp::GdipGetStringFormatTrimming(format, &trimming);
  gp::GdipGetStringFormatFlags(format, &flags);
  EXPECT_EQ(trimming, 3);
  EXPECT_EQ(flags, 0x1000);
  EXPECT_EQ(label.StringFormat(), format);
  EXPECT_EQ(label.paints, paints);
  // Word wrap switches the flags to the multi-line set.
  label.WordWrap(true);
  EXPECT_EQ(label.FormatFlags(), 0x6C00);
  EXPECT_EQ(label.paints, paints + 1);
}

TEST(Label, WrappedTextUsesSeveralLines) {
  HostedWindow w(220, 160);
  ProbeLabel label;
  LabelOptions o;
  o.wordWrap = true;
  label.Create(w.hwnd(), 10, 10, 60, 120, "one two three four five six seven", o);
  const auto ink = InkRows(label);
  ASSERT_GE(ink.first, 0);
  EXPECT_GT(ink.second - ink.first, 30);  // more than two lines of a 12-pixel font
}

TEST(Label, BorderAndFocusRectangle) {
  HostedWindow w;
  UiLabel label;
  LabelOptions o;
  o.borderStyle = 0xFEFF0000;  // a solid red outline
  label.Create(w.hwnd(), 10, 10, 80, 30, "", o);
  EXPECT_TRUE(ctltest::IsRed(Px(label, 40, 0)));
  EXPECT_TRUE(ctltest::IsRed(Px(label, 0, 15)));
  EXPECT_EQ(AlphaOf(Px(label, 40, 15)), 0);
  // A background does not cover the border.
  label.GradientMode(0);
  label.BackColor1(MakeArgb(RGB(0, 0, 255)));
  label.BackColor2(MakeArgb(RGB(0, 0, 255)));
  EXPECT_TRUE(ctltest::IsRed(Px(label, 40, 0))) << qwtest::ColorText(Px(label, 40, 0));
  EXPECT_TRUE(ctltest::IsBlue(Px(label, 40, 15)));
}

TEST(Label, WorksAsACaptionTitle) {
  HostedWindow w(300, 60);
  UiLabel title;
  LabelOptions o;
  o.textColor = MakeArgb(RGB(255, 255, 255), 250);
  // The host creates its title with no width and places it later.
  ASSERT_NE(title.Create(w.hwnd(), 0, 9, 0, 18, "标题", o), 0u);
  title.Focusable(false);
  title.Tag("title");
  title.SetBounds(28, 10, 200, 20, false);
  EXPECT_EQ(title.Width(), 200);
  EXPECT_EQ(title.Tag(), "title");
  EXPECT_FALSE(title.Focusable());
  EXPECT_GT(AlphaOf(StrongestInk(title)), 150);
  EXPECT_EQ(title.Text("新标题"), "新标题");
  EXPECT_EQ(title.Kind(), kind::kLabel);
}

TEST(Label, FontChangesKeepTheOtherValues) {
  HostedWindow w;
  UiLabel label;
  LabelOptions o;
  o.fontName = "宋体";
  o.fontSize = 20;
  label.Create(w.hwnd(), 10, 10, 150, 40, "Font", o);
  const int tall = label.MeasuredHeight();
  EXPECT_GT(tall, 15);
  EXPECT_EQ(label.FontSize(), 20);
  label.FontStyle(1);  // bold
  EXPECT_EQ(label.FontSize(), 20);
  EXPECT_EQ(label.FontStyle(), 1);
  EXPECT_EQ(label.FontSize(10.7f), 10);
  EXPECT_EQ(label.FontStyle(), 1);
  EXPECT_LT(label.MeasuredHeight(), tall);
  // The library's default font is shared, never released by a label.
  UiLabel plain;
  plain.Create(w.hwnd(), 10, 60, 100, 20, "x");
  plain.Destroy();
  EXPECT_NE(Library().defaultFont, nullptr);
  Gdiplus::GpFontFamily* family = nullptr;
  EXPECT_TRUE(gp::Ok(gp::GdipGetFamily(Library().defaultFont, &family)));
  gp::FontFamily owned(family);
}

