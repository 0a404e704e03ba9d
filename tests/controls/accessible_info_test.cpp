// What elements tell assistive technology: roles, names without the
// access-key marker, values (a password never in clear), and the states
// that follow focus, disabling, hiding and checking.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "ui/controls/caption_button.h"
#include "ui/controls/edit.h"
#include "ui/controls/menu_item.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/menu.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"
#include "ui/host/window.h"

using namespace ui;
namespace st = accessible_state;

namespace {

class AccessibleInfoTest : public testing::Test {
 protected:
  HWND hwnd() const { return w_.hwnd(); }
  qwtest::HostedWindow w_{320, 240};
};

}  // namespace

TEST(AccessKeyMarker, GoesFromTheNameAndADoubledOneStaysOnce) {
  EXPECT_EQ(WithoutAccessKey("保存(&S)"), "保存(S)");
  EXPECT_EQ(WithoutAccessKey("&Open"), "Open");
  EXPECT_EQ(WithoutAccessKey("A && B"), "A & B");
  EXPECT_EQ(WithoutAccessKey("end&"), "end");
  EXPECT_EQ(WithoutAccessKey("极速安装"), "极速安装");
}

TEST_F(AccessibleInfoTest, ButtonsAndLabelsAreNamedByTheirCaptions) {
  UiButton button;
  UiLabel label;
  ASSERT_NE(button.Create(hwnd(), 10, 10, 80, 30, "极速安装(&I)"), 0u);
  ASSERT_NE(label.Create(hwnd(), 10, 50, 80, 20, "安装位置："), 0u);
  const AccessibleInfo b = button.Accessible();
  EXPECT_EQ(b.role, AccessibleRole::kPushButton);
  EXPECT_EQ(b.name, "极速安装(I)");
  EXPECT_EQ(b.defaultAction, "按下");
  EXPECT_TRUE(b.state & st::kFocusable);
  const AccessibleInfo l = label.Accessible();
  EXPECT_EQ(l.role, AccessibleRole::kStaticText);
  EXPECT_EQ(l.name, "安装位置：");
  EXPECT_FALSE(l.value.has_value());
}

TEST_F(AccessibleInfoTest, StatesFollowFocusDisablingAndHidingAParent) {
  UiButton first, second;
  ASSERT_NE(first.Create(hwnd(), 10, 10, 80, 30, "一"), 0u);
  ASSERT_NE(second.Create(hwnd(), 10, 50, 80, 30, "二"), 0u);
  w_.host.SetFocusElement(&second, true);
  EXPECT_TRUE(second.Accessible().state & st::kFocused);
  EXPECT_FALSE(first.Accessible().state & st::kFocused);
  first.Disabled(true);
  EXPECT_TRUE(first.Accessible().state & st::kUnavailable);

  UiPicture frame;
  UiButton inside;
  ASSERT_NE(frame.Create(hwnd(), 100, 10, 100, 100, {}), 0u);
  ASSERT_NE(inside.Create(frame, 110, 20, 40, 20, "内"), 0u);
  frame.TipText("框", true);
  EXPECT_EQ(frame.Accessible().role, AccessibleRole::kGraphic);
  EXPECT_EQ(frame.Accessible().name, "框");
  EXPECT_FALSE(inside.Accessible().state & st::kInvisible);
  frame.Visible(false);
  EXPECT_TRUE(frame.Accessible().state & st::kInvisible);
  EXPECT_TRUE(inside.Accessible().state & st::kInvisible);  // under a hidden parent
}

TEST_F(AccessibleInfoTest, AnEditTellsItsTextButNeverAPassword) {
  UiEdit plain, password, readOnly;
  EditOptions o;
  o.text = "C:\\青梧网游加速器\\";
  ASSERT_NE(plain.Create(hwnd(), 10, 10, 200, 24, o), 0u);
  o.text = "密码abc";
  o.mode = EditMode::Password;
  o.maskText = "*";
  ASSERT_NE(password.Create(hwnd(), 10, 40, 200, 24, o), 0u);
  o.mode = EditMode::ReadOnly;
  o.text = "只读";
  ASSERT_NE(readOnly.Create(hwnd(), 10, 70, 200, 24, o), 0u);

  const AccessibleInfo p = plain.Accessible();
  EXPECT_EQ(p.role, AccessibleRole::kEditableText);
  EXPECT_EQ(p.value, std::optional<std::string>("C:\\青梧网游加速器\\"));
  const AccessibleInfo secret = password.Accessible();
  EXPECT_EQ(secret.value, std::optional<std::string>("*****"));  // one mask per character
  EXPECT_TRUE(secret.state & st::kProtected);
  EXPECT_TRUE(readOnly.Accessible().state & st::kReadOnly);
  EXPECT_FALSE(p.state & (st::kReadOnly | st::kProtected));

  // Named by its label, without the access-key marker, until the label goes;
  // a tooltip of its own names it first.
  EXPECT_EQ(p.name, "");
  {
    UiLabel label;
    LabelOptions lo;
    ASSERT_NE(label.Create(hwnd(), 10, 100, 80, 20, "安装位置(&L)：", lo), 0u);
    plain.LabelledBy(&label);
    EXPECT_EQ(plain.Accessible().name, "安装位置(L)：");
    plain.TipText("文件夹", true);
    EXPECT_EQ(plain.Accessible().name, "文件夹");
    plain.TipText("", true);
    label.Destroy();
  }
  EXPECT_EQ(plain.Accessible().name, "");
}

TEST_F(AccessibleInfoTest, ProgressIsAPercentageOfItsRangeAndScrollBarsTheirPosition) {
  UiProgressBar bar, offset, empty;
  ProgressBarOptions o;
  o.position = 40;
  ASSERT_NE(bar.Create(hwnd(), 10, 10, 200, 16, o), 0u);
  o.minimum = 50;
  o.maximum = 150;
  o.position = 100;
  ASSERT_NE(offset.Create(hwnd(), 10, 30, 200, 16, o), 0u);
  o.minimum = o.maximum = 7;
  o.position = 7;
  ASSERT_NE(empty.Create(hwnd(), 10, 50, 200, 16, o), 0u);
  EXPECT_EQ(bar.Accessible().role, AccessibleRole::kProgressBar);
  EXPECT_EQ(bar.Accessible().value, std::optional<std::string>("40%"));
  EXPECT_EQ(offset.Accessible().value, std::optional<std::string>("50%"));
  EXPECT_EQ(empty.Accessible().value, std::optional<std::string>("0%"));
  bar.Position(100);
  EXPECT_EQ(bar.Accessible().value, std::optional<std::string>("100%"));

  UiScrollBar scroll;
  ASSERT_NE(scroll.Create(hwnd(), 10, 80, 200, 16), 0u);
  scroll.Position(30);
  EXPECT_EQ(scroll.Accessible().role, AccessibleRole::kScrollBar);
  EXPECT_EQ(scroll.Accessible().value, std::optional<std::string>("30"));
}

TEST_F(AccessibleInfoTest, MenuRowsAreCheckedOrUnavailableAndCaptionButtonsAreTitleBarButtons) {
  UiMenuItemRecord checked;
  checked.text = L"记录操作(&R)";
  checked.state = 4;
  UiMenuItemRecord unavailable;
  unavailable.text = L"退出(&X)";
  unavailable.state = -1;
  UiMenuItem rowChecked, rowUnavailable;
  ASSERT_NE(rowChecked.Create(hwnd(), 8, 8, 120, 22, checked), 0u);
  ASSERT_NE(rowUnavailable.Create(hwnd(), 8, 30, 120, 22, unavailable), 0u);
  const AccessibleInfo c = rowChecked.Accessible();
  EXPECT_EQ(c.role, AccessibleRole::kMenuItem);
  EXPECT_EQ(c.name, "记录操作(R)");
  EXPECT_TRUE(c.state & st::kChecked);
  EXPECT_FALSE(rowUnavailable.Accessible().state & st::kChecked);
  EXPECT_TRUE(rowUnavailable.Accessible().state & st::kUnavailable);

  UiCaptionButton close;
  ASSERT_NE(close.Create(hwnd(), 280, 7, 39, 19, 4), 0u);
  close.TipText("关闭", true);
  const AccessibleInfo x = close.Accessible();
  EXPECT_EQ(x.role, AccessibleRole::kTitleBarButton);
  EXPECT_EQ(x.name, "关闭");
  EXPECT_EQ(x.defaultAction, "按下");

  // Without a tooltip a title bar button is named by its window command.
  UiCaptionButton untipped, maximise, minimise;
  ASSERT_NE(untipped.Create(hwnd(), 240, 7, 39, 19, 4), 0u);
  ASSERT_NE(maximise.Create(hwnd(), 200, 7, 39, 19, 8), 0u);
  ASSERT_NE(minimise.Create(hwnd(), 160, 7, 39, 19, 16), 0u);
  EXPECT_EQ(untipped.Accessible().name, "关闭");
  EXPECT_EQ(maximise.Accessible().name, IsZoomed(hwnd()) ? "还原" : "最大化");
  EXPECT_EQ(minimise.Accessible().name, "最小化");

  // A separator row is a separator, with nothing to do.
  UiMenuItemRecord line;
  line.kind = UiMenu::kSeparator;
  UiMenuItem separator;
  ASSERT_NE(separator.Create(hwnd(), 8, 52, 120, 3, line), 0u);
  EXPECT_EQ(separator.Accessible().role, AccessibleRole::kSeparator);
  EXPECT_TRUE(separator.Accessible().defaultAction.empty());
}
