// The start window's transparent labels: text over the parent's content,
// caption, visibility and top; and the form data of the start window.
#include <gtest/gtest.h>

#include "app/form/start_window.h"
#include "app/form/transparent_label.h"
#include "tests/support/test_env.h"
#include "ui/platform/gdi_handles.h"

namespace {

using app::form::TransparentLabel;

constexpr COLORREF kBackground = RGB(10, 200, 30);

// The parent's content behind a label: one flat colour.
void FillBackground(HDC dc, const RECT& parentRect) {
  ui::gdi::Brush brush(CreateSolidBrush(kBackground));
  const RECT box{0, 0, parentRect.right - parentRect.left, parentRect.bottom - parentRect.top};
  FillRect(dc, &box, brush.get());
}

// A 32-bit DIB of the label's size with the label painted into it.
struct Rendering {
  explicit Rendering(const TransparentLabel& label, int width, int height) : width(width), height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    dc.reset(CreateCompatibleDC(nullptr));
    bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectObject(dc.get(), bitmap.get());
    label.PaintTo(dc.get());
    GdiFlush();
  }
  bool IsBackground(int x, int y) const {
    return qwtest::ColorNear(qwtest::DcPixel(dc.get(), x, y) & 0xFFFFFF, 0x0AC81E, 2);
  }
  // Columns that hold a pixel other than the background.
  void InkColumns(int& first, int& last) const {
    first = -1;
    last = -1;
    for (int x = 0; x < width; ++x) {
      for (int y = 0; y < height; ++y) {
        if (!IsBackground(x, y)) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
  }
  int width, height;
  ui::gdi::MemoryDc dc;
  ui::gdi::Bitmap bitmap;
};

class TransparentLabelTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.Show();
    ASSERT_NE(parent_.hwnd(), nullptr);
  }
  TransparentLabel::Spec Spec(TransparentLabel::Align align) {
    TransparentLabel::Spec spec;
    spec.left = 20;
    spec.top = 40;
    spec.width = 300;
    spec.height = 24;
    spec.caption = "正在安装..";
    spec.align = align;
    return spec;
  }
  qwtest::TestWindow parent_{60, 60, 400, 300};
};

TEST_F(TransparentLabelTest, DrawsItsTextOverTheParentsContent) {
  TransparentLabel label;
  std::vector<RECT> asked;
  ASSERT_TRUE(label.Create(parent_.hwnd(), Spec(TransparentLabel::Align::Left)));
  label.SetBackgroundPainter([&](HDC dc, const RECT& parentRect) {
    asked.push_back(parentRect);
    FillBackground(dc, parentRect);
  });
  Rendering left(label, 300, 24);
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().left, 20);
  EXPECT_EQ(asked.back().top, 40);
  EXPECT_EQ(asked.back().right, 320);
  EXPECT_EQ(asked.back().bottom, 64);
  EXPECT_TRUE(left.IsBackground(0, 0));
  EXPECT_TRUE(left.IsBackground(299, 23));
  int first = 0, last = 0;
  left.InkColumns(first, last);
  ASSERT_GE(first, 0) << "no text drawn";
  EXPECT_LT(first, 4);
  EXPECT_GT(last, first + 30);  // five characters and two dots

  // Centred: the ink stands in the middle; the same width as before.
  TransparentLabel centred;
  ASSERT_TRUE(centred.Create(parent_.hwnd(), Spec(TransparentLabel::Align::Center)));
  centred.SetBackgroundPainter(&FillBackground);
  Rendering middle(centred, 300, 24);
  int cFirst = 0, cLast = 0;
  middle.InkColumns(cFirst, cLast);
  EXPECT_NEAR((cFirst + cLast) / 2, 150, 3);
  EXPECT_NEAR(cLast - cFirst, last - first, 1);

  // An empty caption draws only the background.
  label.SetCaption("");
  Rendering empty(label, 300, 24);
  empty.InkColumns(first, last);
  EXPECT_EQ(first, -1);
}

TEST_F(TransparentLabelTest, CaptionVisibilityAndTopReachTheWindow) {
  TransparentLabel label;
  ASSERT_TRUE(label.Create(parent_.hwnd(), Spec(TransparentLabel::Align::Left)));
  EXPECT_TRUE(IsWindowVisible(label.hwnd()));
  EXPECT_EQ(SendMessageW(label.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(90, 110)), HTTRANSPARENT);

  label.SetVisible(false);
  EXPECT_FALSE(label.Visible());
  EXPECT_FALSE(IsWindowVisible(label.hwnd()));
  label.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(label.hwnd()));

  label.SetTop(300 - 100);
  RECT r;
  GetWindowRect(label.hwnd(), &r);
  MapWindowPoints(nullptr, parent_.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(label.Top(), 200);

  label.SetCaption("完成安装");
  EXPECT_EQ(label.Caption(), "完成安装");
  // The window repaints itself (no crash, the paint is validated).
  EXPECT_TRUE(qwtest::PumpUntil([&] { return !GetUpdateRect(label.hwnd(), nullptr, FALSE); }));
}

TEST(StartWindow, CarriesTheTwoLabelsAndTheTimerOfItsForm) {
  app::StartWindow window;
  HWND created = nullptr;
  ASSERT_TRUE(window.Load([&](HWND hwnd) { created = hwnd; }));
  ASSERT_EQ(created, window.Handle());
  auto& location = window.locationLabel();
  auto& status = window.statusLabel();
  ASSERT_NE(location.hwnd(), nullptr);
  ASSERT_NE(status.hwnd(), nullptr);
  EXPECT_EQ(GetParent(location.hwnd()), window.Handle());
  EXPECT_EQ(location.Caption(), "安装位置：");
  EXPECT_TRUE(location.Visible());
  EXPECT_EQ(location.Top(), 280);
  EXPECT_EQ(status.Caption(), "正在安装中......");
  EXPECT_FALSE(status.Visible());
  EXPECT_FALSE(IsWindowVisible(status.hwnd()));
  EXPECT_EQ(status.Top(), 373);
  EXPECT_EQ(window.shortcutTimer().Interval(), 0u);
  window.Close();
  EXPECT_EQ(location.hwnd(), nullptr);  // went with the window
  qwtest::PumpPending();
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the window's destruction posts one
}

}  // namespace
