// Registered larger drawings at a display scale: pictures and buttons of a
// host at 200 % draw the drawing made for that scale, pixel for pixel and
// laid out at the 100 % size; back at 100 % they draw the 100 % image again.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/controls/control_test_util.h"
#include "tests/support/test_png.h"
#include "ui/core/image.h"
#include "ui/core/image_variants.h"
#include "ui/element/button.h"
#include "ui/element/picture.h"
#include "ui/host/window.h"

using namespace ui;
using ctltest::Px;
using qwtest::HostedWindow;

namespace {

constexpr Argb kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kGrey = 0xFF808080;

// Stripes one pixel wide, black and white, `width` x `height`.
Bytes Stripes(int width, int height) {
  return qwtest::MakePng(width, height, [](int x, int) { return x % 2 ? kWhite : kBlack; });
}

int Luma(Argb c) { return (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3; }

// How many neighbouring device columns along row `y`, between x0 and x1,
// differ by more than half the range: a sharp one-pixel stripe pattern has
// an edge between every pair, an enlarged one at most every other.
int EdgesAlong(const UiElement& e, int y, int x0, int x1) {
  int edges = 0;
  for (int x = x0; x + 1 < x1; ++x) edges += std::abs(Luma(Px(e, x, y)) - Luma(Px(e, x + 1, y))) > 128;
  return edges;
}

// The host window's display changes to `dpi`; the window takes the
// rectangle the system would suggest (same corner, scaled size).
void ChangeDpi(HostedWindow& w, UINT dpi) {
  RECT r{};
  GetWindowRect(w.hwnd(), &r);
  const int from = static_cast<int>(w.host.Scale().Dpi());
  RECT suggested{r.left, r.top, r.left + (r.right - r.left) * static_cast<int>(dpi) / from,
                 r.top + (r.bottom - r.top) * static_cast<int>(dpi) / from};
  SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  w.Settle();
}

class ScaledImages : public testing::Test {
 protected:
  void SetUp() override {
    ClearImageVariants();
    // 10 x 6 flat grey at 100 %; its 200 % drawing is stripes the grey
    // image can never give when enlarged.
    RegisterImageVariants(base_, {}, x200_);
    ASSERT_TRUE(w_.attached);
  }
  void TearDown() override { ClearImageVariants(); }

  const Bytes base_ = qwtest::SolidPng(10, 6, kGrey);
  const Bytes x200_ = Stripes(20, 12);
  HostedWindow w_{200, 150};
};

}  // namespace

TEST_F(ScaledImages, APictureDrawsTheDrawingForItsHostsScale) {
  PictureOptions own;
  own.imageLayout = picture_layout::kOwnSize;
  UiPicture picture, enlarged;
  ASSERT_NE(picture.Create(w_.hwnd(), 10, 10, 10, 6, base_, own), 0);
  // The 100 % stripes, never registered: at 200 % they can only be enlarged.
  ASSERT_NE(enlarged.Create(w_.hwnd(), 40, 10, 10, 6, Stripes(10, 6), own), 0);
  w_.Settle();
  ASSERT_EQ(picture.Scale().Quarters(), 4);
  EXPECT_TRUE(qwtest::ColorNear(Px(picture, 4, 3), kGrey, 4));  // 100 %: the image itself

  ChangeDpi(w_, 192);
  ASSERT_EQ(picture.Scale().Quarters(), 8);
  ASSERT_EQ(ImageWidth(picture.Image()), 20u);        // decoded again for the scale
  EXPECT_EQ(ImageLogicalWidth(picture.Image()), 10u);
  EXPECT_EQ(ImageWidth(enlarged.Image()), 10u);
  // The larger drawing lands pixel for pixel: an edge between every pair of
  // device columns; the enlarged 100 % stripes have far fewer.
  const int sharp = EdgesAlong(picture, 6, 0, 20);
  const int soft = EdgesAlong(enlarged, 6, 0, 20);
  EXPECT_GE(sharp, 17) << "edges of the 200 % drawing";
  EXPECT_LE(soft, 12) << "edges of the enlarged 100 % image";
  EXPECT_GT(sharp, soft);

  ChangeDpi(w_, 96);
  ASSERT_EQ(picture.Scale().Quarters(), 4);
  EXPECT_EQ(ImageWidth(picture.Image()), 10u);
  EXPECT_TRUE(qwtest::ColorNear(Px(picture, 4, 3), kGrey, 4));
}

TEST_F(ScaledImages, AButtonLaysTheDrawingOutAtItsLogicalSize) {
  UiButton button;
  ASSERT_NE(button.Create(w_.hwnd(), 10, 10, 30, 20, ""), 0);
  ButtonImages images;
  images.normal = ByteView(base_);
  images.layout = 0;  // own size at the corner
  button.SetImages(images);
  ChangeDpi(w_, 192);
  ASSERT_EQ(button.Scale().Quarters(), 8);
  // The drawing covers device pixels 0..19 x 0..11 (10 x 6 logical), sharp;
  // the rest of the 60 x 40 device bitmap stays clear.
  EXPECT_GE(EdgesAlong(button, 5, 0, 20), 17);
  EXPECT_TRUE(qwtest::ColorNear(Px(button, 0, 5), kBlack, 40));
  EXPECT_EQ(AlphaOf(Px(button, 24, 5)), 0u);
  EXPECT_EQ(AlphaOf(Px(button, 5, 14)), 0u);
}

TEST(ScaledBackground, TheBodyImageIsDecodedAgainForANewScale) {
  ClearImageVariants();
  const Bytes base = qwtest::SolidPng(10, 6, kGrey);
  const Bytes x200 = Stripes(20, 12);
  RegisterImageVariants(base, {}, x200);
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.image = base;
  o.imageLayout = 0;      // at the body's top-left corner: logical (5, 5)
  o.imageFrame = false;
  HostedWindow w(200, 150, o);
  ASSERT_TRUE(w.attached);
  w.Settle();
  ChangeDpi(w, 192);
  ASSERT_EQ(w.host.Scale().Quarters(), 8);
  // Device row 16 crosses the image (device 10..30 across, inside the
  // body's clip from 12): the 200 % stripes, not the grey enlarged.
  int edges = 0;
  for (int x = 13; x < 29; ++x)
    edges += std::abs(Luma(w.Canvas(x, 16)) - Luma(w.Canvas(x + 1, 16))) > 128;
  EXPECT_GE(edges, 14);
  ClearImageVariants();
}
