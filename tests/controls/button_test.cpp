// UiButton: state images and fades, presses, icon and caption placement,
// access keys, the disabled look and image layouts.
#include <gtest/gtest.h>

#include "tests/controls/control_test_util.h"
#include "tests/support/image_pixels.h"
#include "tests/support/test_png.h"
#include "ui/core/image_variants.h"
#include "ui/element/button.h"
#include "ui/element/shared_images.h"
#include "ui/element/stretched_image.h"
#include "ui/host/window.h"

using namespace ui;
using ctltest::IsBlue;
using ctltest::IsLime;
using ctltest::IsRed;
using ctltest::Px;
using ctltest::SolidBmp;
using qwtest::HostedWindow;

namespace {

struct StateImages {
  Bytes normal = SolidBmp(40, 20, 0xFF0000);   // red
  Bytes hover = SolidBmp(40, 20, 0x0000FF);    // blue
  Bytes pressed = SolidBmp(40, 20, 0x00FF00);  // lime
  Bytes disabled = SolidBmp(40, 20, 0xFFFF00); // yellow
};

class ProbeButton : public UiButton {
 public:
  int finished = 0;
  std::vector<int> frameSteps;
  Gdiplus::RectF caption, icon;

 protected:
  int AfterLayout(const PaintContext&, int, const Gdiplus::RectF& c, const Gdiplus::RectF& i) override {
    caption = c;
    icon = i;
    return 1;
  }
  int UserEvent(UINT message, WPARAM, LPARAM) override {
    if (message == ev::kTransitionFinished) ++finished;
    if (message == ev::kTransitionFrame) frameSteps.push_back(TransitionStep());
    return -1;
  }
};

// A 40 x 20 button at (20, 20) with the four test images stretched over it.
void MakeButton(UiButton& b, HWND window, const StateImages& images, bool withDisabled = false) {
  ASSERT_NE(b.Create(window, 20, 20, 40, 20, ""), 0u);
  ButtonImages set;
  set.normal = images.normal;
  set.hover = images.hover;
  set.pressed = images.pressed;
  set.disabled = withDisabled ? ByteView(images.disabled) : ByteView();
  set.layout = 1;
  b.SetImages(set);
}

bool IsYellow(Argb c) { return RedOf(c) > 200 && GreenOf(c) > 200 && BlueOf(c) < 60; }

}  // namespace

TEST(Button, EnterFadesInFourStepsThenPressShowsAtOnce) {
  HostedWindow w;
  StateImages images;
  ProbeButton b;
  MakeButton(b, w.hwnd(), images);
  w.Settle();
  EXPECT_EQ(b.Kind(), kind::kButton);
  EXPECT_TRUE(IsRed(w.Canvas(30, 30))) << qwtest::ColorText(w.Canvas(30, 30));

  b.SendEvent(ev::kMouseEnter);
  EXPECT_EQ(b.State(), button_state::kHover);
  EXPECT_TRUE(b.TransitionRunning());
  EXPECT_EQ(b.Transition(), 4);
  EXPECT_EQ(b.TransitionInterval(), 60);
  ASSERT_NE(b.Snapshot(), nullptr);
  EXPECT_TRUE(IsRed(qwtest::BitmapPixel(b.Snapshot(), 10, 10)));  // fading from normal ...
  EXPECT_TRUE(IsBlue(Px(b, 10, 10)));                             // ... to hover
  ASSERT_TRUE(qwtest::PumpUntil([&] { return b.finished == 1; }, 10000));
  EXPECT_EQ(b.frameSteps, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(b.Transition(), 0);
  EXPECT_TRUE(IsBlue(w.Canvas(30, 30))) << qwtest::ColorText(w.Canvas(30, 30));

  b.SendEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
  EXPECT_EQ(b.State(), button_state::kPressed);
  EXPECT_FALSE(b.TransitionRunning());
  EXPECT_TRUE(IsLime(Px(b, 10, 10)));
  qwtest::PumpPending();
  EXPECT_TRUE(IsLime(w.Canvas(30, 30))) << qwtest::ColorText(w.Canvas(30, 30));
  b.SendEvent(WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
  EXPECT_EQ(b.State(), button_state::kHover);
  EXPECT_TRUE(IsBlue(Px(b, 10, 10)));
}

TEST(Button, PressDuringAFadeStartsANewFade) {
  HostedWindow w;
  StateImages images;
  ProbeButton b;
  MakeButton(b, w.hwnd(), images);
  b.SendEvent(ev::kMouseEnter);
  ASSERT_TRUE(b.TransitionRunning());
  b.SendEvent(WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_TRUE(b.TransitionRunning());
  EXPECT_EQ(b.TransitionStep(), 0);
  EXPECT_TRUE(IsLime(Px(b, 10, 10)));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return b.finished == 1; }, 10000));
  b.SendEvent(ev::kMouseLeave);
  EXPECT_EQ(b.State(), button_state::kNormal);
  EXPECT_TRUE(b.TransitionRunning());
  ASSERT_TRUE(qwtest::PumpUntil([&] { return b.finished == 2; }, 10000));
  EXPECT_TRUE(IsRed(w.Canvas(30, 30)));
}

TEST(Button, PressMovesIconAndCaptionOnePixel) {
  HostedWindow w;
  ProbeButton b;
  ASSERT_NE(b.Create(w.hwnd(), 20, 20, 80, 30, "Go"), 0u);
  b.Icon(SolidBmp(8, 8, 0xFF00FF));
  b.DrawState(button_state::kHover);
  const Gdiplus::RectF caption = b.caption, icon = b.icon;
  EXPECT_GT(caption.Width, 2);
  EXPECT_FLOAT_EQ(icon.Width, 8);
  b.DrawState(button_state::kPressed);
  EXPECT_FLOAT_EQ(b.caption.X, caption.X + 1);
  EXPECT_FLOAT_EQ(b.caption.Y, caption.Y + 1);
  EXPECT_FLOAT_EQ(b.icon.X, icon.X + 1);
  EXPECT_FLOAT_EQ(b.icon.Y, icon.Y + 1);

  // The pixels move too: a lone icon centred in layout 3 sits at (36, 11).
  b.Text("");
  b.IconLayout(3);
  b.DrawState(button_state::kHover);
  const auto isMagenta = [](Argb c) { return RedOf(c) > 200 && BlueOf(c) > 200 && GreenOf(c) < 60; };
  EXPECT_TRUE(isMagenta(Px(b, 36, 11)));
  EXPECT_TRUE(isMagenta(Px(b, 43, 18)));
  EXPECT_FALSE(isMagenta(Px(b, 44, 19)));
  b.DrawState(button_state::kPressed);
  EXPECT_FALSE(isMagenta(Px(b, 36, 11)));
  EXPECT_TRUE(isMagenta(Px(b, 37, 12)));
  EXPECT_TRUE(isMagenta(Px(b, 44, 19)));
}

TEST(Button, IconLayoutsPlaceIconAndCaption) {
  HostedWindow w;
  ProbeButton b;
  b.Create(w.hwnd(), 10, 10, 100, 40, "Caption");
  b.Icon(SolidBmp(10, 10, 0x00FF00));
  b.IconGap(4);
  b.IconLayout(0);  // icon left of the caption, centred together
  const float tw = b.caption.Width - 2;
  EXPECT_FLOAT_EQ(b.icon.X, (100 - (10 + 4 + tw)) / 2);
  EXPECT_FLOAT_EQ(b.caption.X, b.icon.X + 10 + 4);
  EXPECT_FLOAT_EQ(b.icon.Y, 15);
  b.IconLayout(1);  // caption first
  EXPECT_FLOAT_EQ(b.icon.X, b.caption.X + tw + 4);
  b.IconLayout(2);  // icon above
  EXPECT_FLOAT_EQ(b.caption.Y, b.icon.Y + 10 + 4);
  b.IconLayout(4);  // icon at the left edge, caption takes the rest
  b.IconOffsetX(3);
  EXPECT_FLOAT_EQ(b.icon.X, 3);
  EXPECT_FLOAT_EQ(b.caption.Width, 100 - 10 - 4 - 3);
  b.IconLayout(5);  // caption from the left edge, icon after it
  EXPECT_FLOAT_EQ(b.caption.X, 3);
  EXPECT_FLOAT_EQ(b.icon.X, 3 + b.caption.Width + 4);
  b.IconLayout(6);  // icon at the top
  b.IconOffsetY(2);
  EXPECT_FLOAT_EQ(b.icon.Y, 2);
  EXPECT_FLOAT_EQ(b.caption.Width, tw + 5);
}

TEST(Button, AmpersandRegistersTheAccessKey) {
  HostedWindow w;
  UiButton open, plain;
  open.Create(w.hwnd(), 10, 10, 60, 20, "&Open");
  plain.Create(w.hwnd(), 10, 40, 60, 20, "Plain");
  const auto keyOf = [&](const UiButton& b) {
    for (const auto& [handle, key] : w.host.Accelerators())
      if (handle == b.GetHandle()) return key;
    return 0;
  };
  EXPECT_EQ(keyOf(open), 'O');
  EXPECT_EQ(keyOf(plain), 0);
  EXPECT_EQ(w.host.Accelerators().size(), 1u);
  open.Text("Sa&ve");
  EXPECT_EQ(keyOf(open), 'v');
  open.Text("Save");  // registers 0: the key is gone
  EXPECT_EQ(keyOf(open), 0);
  EXPECT_TRUE(w.host.Accelerators().empty());
  EXPECT_EQ(UiButton::AccessKeyOf(L"End&"), 0);
  EXPECT_EQ(UiButton::AccessKeyOf(L"&中文"), L'中');
}

TEST(Button, DisabledLookIsDimmedOnlyWithoutADisabledImage) {
  HostedWindow w;  // green body (0, 128, 0)
  StateImages images;
  UiButton dimmed, own;
  MakeButton(dimmed, w.hwnd(), images, /*withDisabled=*/false);
  own.Create(w.hwnd(), 100, 20, 40, 20, "");
  ButtonImages set;
  set.normal = images.normal;
  set.disabled = images.disabled;
  set.layout = 1;
  own.SetImages(set);
  w.Settle();
  dimmed.Disabled(true);
  own.Disabled(true);
  // The leave event posted by Disabled repaints with the disabled look.
  ASSERT_TRUE(qwtest::PumpUntil([&] { return IsYellow(w.Canvas(110, 30)) && !own.TransitionRunning() &&
                                             !dimmed.TransitionRunning(); }, 10000))
      << qwtest::ColorText(w.Canvas(110, 30));
  EXPECT_TRUE(IsYellow(Px(own, 10, 10)));
  EXPECT_TRUE(IsRed(Px(dimmed, 10, 10)));  // normal image, dimmed by the host
  const Argb half = w.Canvas(30, 30);
  EXPECT_NEAR(static_cast<int>(RedOf(half)), 127, 12) << qwtest::ColorText(half);
  EXPECT_NEAR(static_cast<int>(GreenOf(half)), 64, 12) << qwtest::ColorText(half);
  EXPECT_EQ(dimmed.SendEvent(ev::kDisabledLook, 0, 1), -1);
  EXPECT_EQ(own.SendEvent(ev::kDisabledLook, 0, 1), 0);
}

TEST(Button, LayoutOneStretchesTheImageOverTheButton) {
  HostedWindow w(300, 120);
  // 220 x 60: red left half, blue right half.
  const Bytes wide = qwtest::MakeBmp(220, 60, [](int x, int) { return x < 110 ? 0xFF0000u : 0x0000FFu; });
  UiButton b;
  b.Create(w.hwnd(), 10, 10, 200, 50, "");
  ButtonImages set;
  set.normal = wide;
  set.layout = 1;
  b.SetImages(set);
  EXPECT_TRUE(IsRed(Px(b, 97, 25)));
  EXPECT_TRUE(IsBlue(Px(b, 103, 25)));
  EXPECT_TRUE(IsRed(Px(b, 2, 2)));
  EXPECT_TRUE(IsBlue(Px(b, 197, 47)));
  EXPECT_GT(AlphaOf(Px(b, 199, 49)), 0);  // reaches the far corner
  // Layout 0: own size at (0, 0), cut by the bitmap.
  b.ImageLayout(0);
  EXPECT_TRUE(IsRed(Px(b, 107, 25)));
  EXPECT_TRUE(IsBlue(Px(b, 112, 25)));
}

// A face stretched once is kept: a second button with the same artwork
// sets the kept pixels, which must be what GDI+ draws there itself, edges
// and half-transparent pixels included; the kept face goes with the image.
TEST(Button, ASecondFaceFromTheSameArtworkIsWhatGdiplusDraws) {
  HostedWindow w(500, 120);
  const Bytes face = qwtest::MakePng(220, 60, [](int x, int y) {
    const Argb alpha = static_cast<Argb>(40 + (x * 215) / 219);
    return (alpha << 24) | static_cast<Argb>((x * 7 + y * 3) % 256) << 16 | static_cast<Argb>(y * 4) << 8 | 0x80u;
  });
  const std::size_t before = KeptStretchedDrawingCount();
  auto first = std::make_unique<UiButton>();
  auto second = std::make_unique<UiButton>();
  for (UiButton* b : {first.get(), second.get()}) {
    ASSERT_NE(b->Create(w.hwnd(), b == first.get() ? 10 : 250, 10, 200, 50, ""), 0u);
    ButtonImages set;
    set.normal = face;
    set.layout = 1;
    b->SetImages(set);
  }
  // One kept face: the second button found it instead of scaling again.
  EXPECT_EQ(KeptStretchedDrawingCount(), before + 1);
  const std::vector<Argb> kept = qwtest::ImagePixels(reinterpret_cast<Gdiplus::GpImage*>(second->Bitmap()));

  // The same draw by GDI+ onto the same cleared bitmap.
  auto image = SharedDecodedImage(face, kUnitScaleQuarters);
  ASSERT_TRUE(image && *image);
  Gdiplus::GpGraphics* g = second->Graphics();
  ASSERT_TRUE(g);
  gp::GdipGraphicsClear(g, 0);
  gp::GdipDrawImageRect(g, image->get(), 0, 0, 200, 50);
  gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
  const std::vector<Argb> drawn = qwtest::ImagePixels(reinterpret_cast<Gdiplus::GpImage*>(second->Bitmap()));
  ASSERT_EQ(drawn.size(), 200u * 50u);
  EXPECT_EQ(kept, drawn);

  // Kept while anyone holds the image, gone with it: a later image at the
  // same address never finds this face.
  first.reset();
  second.reset();
  EXPECT_EQ(KeptStretchedDrawingCount(), before + 1);
  image.reset();
  EXPECT_EQ(KeptStretchedDrawingCount(), before);
}

TEST(Button, NineGridKeepsTheCornersAndStretchesTheCentre) {
  HostedWindow w(300, 120);
  // 30 x 30: a 5-pixel blue frame around a red centre.
  const Bytes framed = qwtest::MakeBmp(30, 30, [](int x, int y) {
    return (x < 5 || y < 5 || x >= 25 || y >= 25) ? 0x0000FFu : 0xFF0000u;
  });
  UiButton b;
  b.Create(w.hwnd(), 10, 10, 120, 60, "");
  ButtonImages set;
  set.normal = framed;
  set.layout = 3;
  set.margins = RECT{5, 5, 25, 25};
  b.SetImages(set);
  EXPECT_TRUE(IsBlue(Px(b, 2, 30)));
  EXPECT_TRUE(IsBlue(Px(b, 117, 30)));
  EXPECT_TRUE(IsBlue(Px(b, 60, 2)));
  EXPECT_TRUE(IsRed(Px(b, 16, 30)));
  EXPECT_TRUE(IsRed(Px(b, 100, 45)));
  EXPECT_TRUE(IsBlue(Px(b, 60, 58)));
  // Changing the margins repaints only in layout 3.
  b.ImageMargins(RECT{1, 1, 29, 29});
  EXPECT_TRUE(IsBlue(Px(b, 10, 30))) << qwtest::ColorText(Px(b, 10, 30));
  EXPECT_FALSE(IsRed(Px(b, 16, 30)));
  b.ImageLayout(1);
  b.ImageMargins(RECT{5, 5, 25, 25});  // not drawn in layout 1: no repaint needed
}

TEST(Button, CaptionAndProperties) {
  HostedWindow w;
  UiButton b;
  ButtonOptions o;
  o.textColor = 0xFEFFFFFF;
  o.fontName = "宋体";
  o.fontSize = 22;
  b.Create(w.hwnd(), 10, 10, 150, 40, "极速安装", o);
  EXPECT_EQ(b.Text(), "极速安装");
  EXPECT_EQ(b.FontSize(), 22);
  EXPECT_EQ(b.TextColor(), 0xFEFFFFFFu);
  EXPECT_EQ(b.CornerSetting(), w.host.FrameMode());
  int ink = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 150; ++x)
      if (AlphaOf(Px(b, x, y)) > 128 && RedOf(Px(b, x, y)) > 200) ++ink;
  EXPECT_GT(ink, 40);
  Gdiplus::GpStringFormat* format = nullptr;
  gp::GdipCreateStringFormat(0, LANG_NEUTRAL, &format);
  EXPECT_EQ(b.StringFormat(format), format);
  EXPECT_EQ(b.StringFormat(), format);
  const Bytes utf16{'O', 0, 'K', 0};
  EXPECT_EQ(b.TextBytes(utf16), utf16);
  EXPECT_EQ(b.Text(), "OK");
  b.Destroy();  // releases font and format; nothing leaks or crashes
  EXPECT_FALSE(b.IsCreated());
}

TEST(Button, UndecodableImageStillDrawsTheCaption) {
  HostedWindow w;
  UiButton b;
  b.Create(w.hwnd(), 10, 10, 80, 30, "Text");
  const Bytes junk{1, 2, 3, 4, 5};
  ButtonImages set;
  set.normal = junk;
  set.layout = 1;
  b.SetImages(set);
  int ink = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x)
      if (AlphaOf(Px(b, x, y)) > 100) ++ink;
  EXPECT_GT(ink, 10);
  EXPECT_LT(ink, 80 * 30 / 2);
}
