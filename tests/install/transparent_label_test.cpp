// The start window's transparent labels: drawn by the UI host over its
// elements, at their place and colour, on the canvas and on the screen;
// erased cleanly when their text changes, they move or hide; and the form
// data of the start window.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/form/start_window.h"
#include "app/form/transparent_label.h"
#include "tests/support/host_fixture.h"
#include "ui/host/host_accessible.h"
#include "ui/platform/gdi_handles.h"

namespace {

using app::form::TransparentLabel;

constexpr ui::Argb kPanel = 0xFEFFFFFF;  // the white panel under the labels
constexpr RECT kLocationBox{28, 280, 90, 304};

// Where to read pixels: the host's canvas or what the window shows.
enum class Source { Canvas, Screen };

COLORREF PixelAt(qwtest::HostedWindow& w, Source source, int x, int y) {
  if (source == Source::Canvas) return w.Canvas(x, y) & 0xFFFFFF;
  ui::gdi::WindowDc dc(w.hwnd());
  const COLORREF c = GetPixel(dc.get(), x, y);  // 0x00BBGGRR
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The text's pixels inside `box`: how many differ from the white panel, and
// the darkest of them.
struct Ink {
  int count = 0;
  COLORREF darkest = 0xFFFFFF;
};

Ink InkIn(qwtest::HostedWindow& w, Source source, const RECT& box) {
  Ink ink;
  GdiFlush();
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const COLORREF c = PixelAt(w, source, x, y);
      if (qwtest::ColorNear(c, 0xFFFFFF, 8)) continue;
      ++ink.count;
      const auto sum = [](COLORREF v) { return (v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF); };
      if (sum(c) < sum(ink.darkest)) ink.darkest = c;
    }
  }
  return ink;
}

// A 588 x 438 hosted window with a white panel element where the installer
// has one, and the start window's two labels drawn over it by the host.
class DrawnLabelTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w_.attached);
    panel_.Make(w_.hwnd(), 0, 270, 588, 168);
    ASSERT_TRUE(location_.Create(w_.hwnd(), app::LocationLabelSpec()));
    ASSERT_TRUE(status_.Create(w_.hwnd(), app::StatusLabelSpec()));
    w_.host.SetOnPaintOverlay([this](HWND, Gdiplus::GpGraphics* g, const ui::RectF& area) {
      location_.Draw(g, area);
      status_.Draw(g, area);
    });
    auto repaint = [this](const RECT& r) {
      requests_.push_back(r);
      w_.host.InvalidateRect(ui::RectF{float(r.left), float(r.top), float(r.right - r.left),
                                       float(r.bottom - r.top)},
                             0);
    };
    location_.SetRepaintRequest(repaint);
    status_.SetRepaintRequest(repaint);
    w_.Settle();
  }
  void Show() {
    w_.window.Show();
    w_.host.Redraw({}, std::nullopt, 0, true);
    w_.Settle();
  }
  // The status line's box within the body (the host's frame rings stand
  // at the window's left and right edges).
  static RECT StatusBox(int top) { return RECT{8, top, 580, top + 24}; }

  qwtest::HostedWindow w_{588, 438};
  qwtest::Recorder panel_{kPanel};
  TransparentLabel location_, status_;
  std::vector<RECT> requests_;
};

TEST_F(DrawnLabelTest, TheLocationLabelShowsItsTextAtItsPlaceAndColour) {
  Show();
  for (Source source : {Source::Canvas, Source::Screen}) {
    SCOPED_TRACE(source == Source::Canvas ? "canvas" : "screen");
    const Ink ink = InkIn(w_, source, kLocationBox);
    EXPECT_GT(ink.count, 60) << "no text in the label's box";
    // The darkest text pixels are the label's grey (anti-aliasing only lightens).
    EXPECT_TRUE(qwtest::ColorNear(ink.darkest, 0x606060, 24)) << qwtest::ColorText(ink.darkest);
    // Its last character, the colon, stands at the box's right end and shows.
    EXPECT_GT(InkIn(w_, source, RECT{79, 280, 90, 304}).count, 2) << "the last character is missing";
    // Nothing outside it: the panel around is untouched, the hidden status label draws nothing.
    EXPECT_EQ(InkIn(w_, source, RECT{90, 276, 200, 304}).count, 0);
    EXPECT_EQ(InkIn(w_, source, RECT{28, 306, 90, 330}).count, 0);
    EXPECT_EQ(InkIn(w_, source, StatusBox(373)).count, 0);
  }
}

TEST_F(DrawnLabelTest, StaysOverTheElementsWhenTheHostRedrawsUnderIt) {
  Show();
  const Ink before = InkIn(w_, Source::Screen, kLocationBox);
  ASSERT_GT(before.count, 60);
  // The panel repaints itself (and the host presents its whole rectangle).
  panel_.Fill(0xFEFFFFFF);
  w_.Settle();
  w_.host.RedrawRect(ui::RectF{0, 270, 588, 168}, true);
  EXPECT_EQ(InkIn(w_, Source::Screen, kLocationBox).count, before.count);
  // A full redraw too.
  w_.host.Redraw({}, std::nullopt, 0, true);
  EXPECT_EQ(InkIn(w_, Source::Screen, kLocationBox).count, before.count);
}

TEST_F(DrawnLabelTest, ChangesEraseTheOldTextCleanly) {
  Show();
  // The status line: hidden, then shown with one text, then another.
  status_.SetVisible(true);
  w_.Settle();
  const Ink installing = InkIn(w_, Source::Screen, StatusBox(373));
  EXPECT_GT(installing.count, 80);
  EXPECT_TRUE(qwtest::ColorNear(installing.darkest, 0x000000, 24)) << qwtest::ColorText(installing.darkest);
  // Centred across the window.
  int first = 588, last = -1;
  for (int x = 8; x < 580; ++x)
    for (int y = 373; y < 397; ++y)
      if (!qwtest::ColorNear(PixelAt(w_, Source::Canvas, x, y), 0xFFFFFF, 8)) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  EXPECT_NEAR((first + last) / 2, 294, 4);

  status_.SetCaption("完成安装");
  w_.Settle();
  const Ink finished = InkIn(w_, Source::Screen, StatusBox(373));
  EXPECT_GT(finished.count, 40);
  EXPECT_LT(finished.count, installing.count) << "the longer old text still shows";

  // Moved: the old place is plain panel again, the new place has the text.
  status_.SetTop(300);
  w_.Settle();
  EXPECT_EQ(InkIn(w_, Source::Screen, StatusBox(373)).count, 0);
  EXPECT_EQ(InkIn(w_, Source::Screen, StatusBox(300)).count, finished.count);

  // Hidden: gone from the screen and the canvas.
  location_.SetVisible(false);
  status_.SetVisible(false);
  w_.Settle();
  for (Source source : {Source::Canvas, Source::Screen}) {
    EXPECT_EQ(InkIn(w_, source, kLocationBox).count, 0);
    EXPECT_EQ(InkIn(w_, source, StatusBox(300)).count, 0);
  }
}

TEST_F(DrawnLabelTest, AsksForRepaintsOnlyWhenSomethingChanged) {
  requests_.clear();
  location_.SetCaption(location_.Caption());
  location_.SetVisible(true);
  location_.SetTop(location_.Top());
  status_.SetCaption("正在部署...");  // hidden: nothing to show
  status_.SetTop(300);
  EXPECT_TRUE(requests_.empty());
  status_.SetVisible(true);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].top, 300);
  EXPECT_EQ(requests_[0].right, 588);
  location_.SetTop(200);
  ASSERT_EQ(requests_.size(), 3u);  // the old place, then the new one
  EXPECT_EQ(requests_[1].top, 280);
  EXPECT_EQ(requests_[2].top, 200);
  EXPECT_EQ(requests_[2].bottom, 224);
}

// A layered window shows no child windows at all: a label drawn into the
// frame shows there too, opaque over the panel.
// The drawn text is only pixels of the frames: once exposed, a screen
// reader reads each label as static text with its caption, follows its
// changes and visibility, and the mouse still reaches what lies below.
TEST_F(DrawnLabelTest, ExposedLabelsAreReadAsStaticTextAndLetTheMouseThrough) {
  ASSERT_TRUE(location_.Expose());
  ASSERT_TRUE(status_.Expose());
  EXPECT_TRUE(location_.Expose());  // once only
  w_.Settle();
  IAccessible* client = ui::HostAccessible::Create(w_.host, nullptr);
  // Names and roles of the listed (visible) children, in order.
  auto listed = [client] {
    std::vector<std::wstring> out;
    VARIANT children[8];
    long n = 0;
    AccessibleChildren(client, 0, 8, children, &n);
    for (long i = 0; i < n; ++i) {
      BSTR name = nullptr;
      VARIANT role;
      VariantInit(&role);
      client->get_accName(children[i], &name);
      client->get_accRole(children[i], &role);
      out.push_back(std::to_wstring(role.lVal) + L":" + (name ? std::wstring(name) : L""));
      SysFreeString(name);
      VariantClear(&children[i]);
    }
    return out;
  };
  const std::wstring text = std::to_wstring(ROLE_SYSTEM_STATICTEXT) + L":";
  std::vector<std::wstring> names = listed();
  EXPECT_NE(std::find(names.begin(), names.end(), text + L"安装位置："), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), text + L"正在安装中......"), names.end());  // hidden
  status_.SetVisible(true);
  status_.SetCaption("正在解压文件");
  names = listed();
  EXPECT_NE(std::find(names.begin(), names.end(), text + L"正在解压文件"), names.end());
  // Neither a label nor its proxy takes the mouse: the panel below does.
  EXPECT_EQ(w_.host.HitTest(40.0f, 290.0f), &panel_);
  EXPECT_EQ(w_.host.HitTest(300.0f, 380.0f), &panel_);
  client->Release();
}

TEST(TransparentLabel, IsDrawnIntoTheFrameOfALayeredWindowToo) {
  ui::UiWindow::CreateOptions options = qwtest::HostedWindow::Plain();
  options.windowAlpha = 255;
  qwtest::HostedWindow w(588, 438, options);
  ASSERT_TRUE(w.attached);
  ASSERT_TRUE(w.host.IsLayered());
  qwtest::Recorder panel(kPanel);
  panel.Make(w.hwnd(), 0, 270, 588, 168);
  TransparentLabel label;
  ASSERT_TRUE(label.Create(w.hwnd(), app::LocationLabelSpec()));
  w.host.SetOnPaintOverlay([&](HWND, Gdiplus::GpGraphics* g, const ui::RectF& area) { label.Draw(g, area); });
  label.SetRepaintRequest([&](const RECT& r) {
    w.host.InvalidateRect(ui::RectF{float(r.left), float(r.top), float(r.right - r.left), float(r.bottom - r.top)}, 0);
  });
  w.Settle();
  const Ink ink = InkIn(w, Source::Canvas, kLocationBox);
  EXPECT_GT(ink.count, 60);
  EXPECT_TRUE(qwtest::ColorNear(ink.darkest, 0x606060, 24)) << qwtest::ColorText(ink.darkest);
  int translucent = 0;
  for (int y = kLocationBox.top; y < kLocationBox.bottom; ++y)
    for (int x = kLocationBox.left; x < kLocationBox.right; ++x)
      if (ui::AlphaOf(w.Canvas(x, y)) < 0xF0) ++translucent;
  EXPECT_EQ(translucent, 0) << "the text made holes into the window";
}

TEST(TransparentLabel, WithoutAWindowOrBeforeCreateNothingHappens) {
  TransparentLabel label;
  EXPECT_FALSE(label.Create(nullptr, app::LocationLabelSpec()));
  EXPECT_FALSE(label.Create(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x5F00)), app::LocationLabelSpec()));
  int asked = 0;
  label.SetRepaintRequest([&](const RECT&) { ++asked; });
  label.SetCaption("x");
  label.Draw(nullptr, ui::RectF{0, 0, 588, 438});
  EXPECT_EQ(asked, 0);
}

TEST(StartWindow, CarriesTheTwoLabelsAndTheTimerOfItsForm) {
  app::StartWindow window;
  HWND created = nullptr;
  ASSERT_TRUE(window.Load([&](HWND hwnd) { created = hwnd; }));
  ASSERT_EQ(created, window.Handle());
  auto& location = window.locationLabel();
  auto& status = window.statusLabel();
  EXPECT_EQ(location.Parent(), window.Handle());
  EXPECT_EQ(location.Caption(), "安装位置：");
  EXPECT_EQ(location.TextColor(), RGB(0x60, 0x60, 0x60));
  EXPECT_TRUE(location.Visible());
  const RECT box = location.Box();
  EXPECT_EQ(box.left, 28);
  EXPECT_EQ(box.top, 280);
  EXPECT_EQ(box.right, 90);
  EXPECT_EQ(box.bottom, 304);
  EXPECT_EQ(status.Caption(), "正在安装中......");
  EXPECT_EQ(status.TextColor(), RGB(0, 0, 0));
  EXPECT_FALSE(status.Visible());
  EXPECT_EQ(status.Box().left, 0);
  EXPECT_EQ(status.Box().top, 373);
  EXPECT_EQ(status.Box().right, 588);
  EXPECT_EQ(window.shortcutTimer().Interval(), 0u);
  // No child windows: the host draws everything the window shows.
  EXPECT_EQ(GetWindow(window.Handle(), GW_CHILD), nullptr);
  window.Close();
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the window's end ends the program
}

TEST(StartWindow, LabelsDrawnWithAHostThatIsGoneChangeSafely) {
  app::StartWindow window;
  ASSERT_TRUE(window.Load({}));
  {
    ui::UiWindow host;
    ASSERT_TRUE(host.Create(window.Handle(), qwtest::HostedWindow::Plain()));
    window.DrawLabelsWith(host);
  }
  // The host is gone: a change asks nobody and does not crash.
  window.statusLabel().SetVisible(true);
  window.statusLabel().SetCaption("完成安装");
  window.locationLabel().SetTop(10);
  EXPECT_EQ(window.statusLabel().Caption(), "完成安装");
  window.Close();
  qwtest::PumpPending();
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
