// The caption icon and title a host creates: a picture of the window's
// icon and a label with the window's text that follows WM_SETTEXT.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "ui/core/text.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"

using namespace ui;
using qwtest::HostedWindow;

TEST(CaptionParts, TitleIsALabelWithTheWindowTextAndIconAPictureOfItsIcon) {
  qwtest::TestWindow window(0, 0, 400, 200, WS_POPUP, 0, L"青梧 标题");
  SendMessageW(window.hwnd(), WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadIconW(nullptr, MAKEINTRESOURCEW(32512))));  // IDI_APPLICATION
  UiWindow host;
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = caption::kIcon | caption::kTitle | caption::kClose;
  ASSERT_TRUE(host.Create(window.hwnd(), o));

  auto* title = dynamic_cast<UiLabel*>(host.TitleLabel());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Text(), FromWide(L"青梧 标题"));
  EXPECT_EQ(title->Kind(), kind::kLabel);
  EXPECT_FALSE(title->Focusable());
  // Laid out after the icon, up to the caption buttons.
  EXPECT_EQ(title->Bounds(), (RectF{28, 10, static_cast<float>(400 - 5 - 12 - 28 - 28), 20}));

  auto* icon = dynamic_cast<UiPicture*>(host.IconPicture());
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->Bounds(), (RectF{11, 11, 16, 16}));
  EXPECT_FALSE(icon->Focusable());
  int opaque = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if ((qwtest::BitmapPixel(icon->Bitmap(), x, y) >> 24) > 128) ++opaque;
  EXPECT_GT(opaque, 20);  // the icon is drawn

  SetWindowTextW(window.hwnd(), L"新的标题");
  EXPECT_EQ(title->Text(), FromWide(L"新的标题"));
  host.Detach();
}
