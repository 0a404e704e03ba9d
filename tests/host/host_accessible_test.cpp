// The host's accessibility object, read as a screen reader reads it: the
// window's client object lists the visible elements in tree order with
// their names, roles, states and values; locations are screen device
// pixels; the default action does what a click does; stale ids and a gone
// host are refused, never crash.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/host/host_accessible.h"
#include "ui/host/window.h"

using namespace ui;

namespace {

VARIANT Child(long id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring Take(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return out;
}

struct Client {
  // The host's object itself (in process: Wine's 64-bit accessibility
  // library cannot hand it out, see the test at the end).
  explicit Client(UiWindow& host) : acc(HostAccessible::Create(host, nullptr)) {}
  // What a screen reader gets for the window.
  explicit Client(HWND hwnd) {
    AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&acc));
  }
  ~Client() {
    if (acc) acc->Release();
  }
  // The ids of the children, first to last, by navigation.
  std::vector<long> Children() const {
    std::vector<long> ids;
    VARIANT next;
    if (acc->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &next) != S_OK) return ids;
    while (next.vt == VT_I4) {
      ids.push_back(next.lVal);
      VARIANT after;
      if (acc->accNavigate(NAVDIR_NEXT, Child(next.lVal), &after) != S_OK) break;
      next = after;
    }
    return ids;
  }
  std::wstring Name(long id) const {
    BSTR name = nullptr;
    acc->get_accName(Child(id), &name);
    return Take(name);
  }
  long Role(long id) const {
    VARIANT role;
    role.vt = VT_EMPTY;
    acc->get_accRole(Child(id), &role);
    return role.vt == VT_I4 ? role.lVal : -1;
  }
  long State(long id) const {
    VARIANT state;
    state.vt = VT_EMPTY;
    acc->get_accState(Child(id), &state);
    return state.vt == VT_I4 ? state.lVal : -1;
  }
  IAccessible* acc = nullptr;
};

class HostAccessibleTest : public testing::Test {
 protected:
  // Handing the object out marshals it: the thread is a COM apartment, as
  // the programs' UI threads are.
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
  void SetUp() override {
    ASSERT_TRUE(w_.attached);
    ASSERT_NE(label_.Create(w_.hwnd(), 10, 10, 80, 20, "安装位置："), 0u);
    ASSERT_NE(hidden_.Create(w_.hwnd(), 10, 40, 80, 20, "隐藏"), 0u);
    hidden_.Visible(false);
    EditOptions o;
    o.text = "C:\\Qingwu\\";
    ASSERT_NE(edit_.Create(w_.hwnd(), 10, 70, 150, 24, o), 0u);
    ASSERT_NE(button_.Create(w_.hwnd(), 10, 110, 100, 40, "极速安装"), 0u);
    w_.Settle();
  }
  qwtest::HostedWindow w_{320, 240};
  UiLabel label_;
  UiLabel hidden_;
  UiEdit edit_;
  UiButton button_;
};

}  // namespace

TEST_F(HostAccessibleTest, TheClientListsTheVisibleElementsWithTheirNamesRolesAndValues) {
  Client c(w_.host);
  ASSERT_NE(c.acc, nullptr);
  long count = -1;
  EXPECT_EQ(c.acc->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 3);  // the hidden label is left out
  const std::vector<long> ids = c.Children();
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids[0], static_cast<long>(label_.Self()));
  EXPECT_EQ(ids[1], static_cast<long>(edit_.Self()));
  EXPECT_EQ(ids[2], static_cast<long>(button_.Self()));
  EXPECT_EQ(c.Name(ids[0]), L"安装位置：");
  EXPECT_EQ(c.Role(ids[0]), ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(c.Role(ids[1]), ROLE_SYSTEM_TEXT);
  EXPECT_EQ(c.Role(ids[2]), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(c.Name(ids[2]), L"极速安装");
  EXPECT_EQ(c.Role(CHILDID_SELF), ROLE_SYSTEM_CLIENT);
  BSTR value = nullptr;
  EXPECT_EQ(c.acc->get_accValue(Child(ids[1]), &value), S_OK);
  EXPECT_EQ(Take(value), L"C:\\Qingwu\\");
  BSTR action = nullptr;
  EXPECT_EQ(c.acc->get_accDefaultAction(Child(ids[2]), &action), S_OK);
  EXPECT_EQ(Take(action), L"按下");

  w_.host.SetFocusElement(&edit_, true);
  EXPECT_TRUE(c.State(ids[1]) & STATE_SYSTEM_FOCUSED);
  VARIANT focus;
  EXPECT_EQ(c.acc->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, ids[1]);
  button_.Disabled(true);
  EXPECT_TRUE(c.State(ids[2]) & STATE_SYSTEM_UNAVAILABLE);
}

// Screen readers list children with AccessibleChildren, which takes the
// object's enumeration when it has one and otherwise makes up the ids 1..n;
// element handles are not positions, so the object must enumerate.
TEST_F(HostAccessibleTest, AccessibleChildrenListsTheElementIdsAndObjectsForElementsWithChildren) {
  UiLabel inner;
  ASSERT_NE(inner.Create(w_.hwnd(), 12, 112, 20, 10, "内"), 0u);
  inner.SetParent(&button_);
  w_.Settle();
  Client c(w_.host);
  ASSERT_NE(c.acc, nullptr);
  VARIANT children[5];
  long obtained = -1;
  ASSERT_EQ(AccessibleChildren(c.acc, 0, 5, children, &obtained), S_FALSE);  // fewer than asked
  ASSERT_EQ(obtained, 3);
  EXPECT_EQ(children[0].vt, VT_I4);
  EXPECT_EQ(children[0].lVal, static_cast<long>(label_.Self()));
  EXPECT_EQ(children[1].vt, VT_I4);
  EXPECT_EQ(children[1].lVal, static_cast<long>(edit_.Self()));
  // The button holds an element: it comes as an object of its own.
  ASSERT_EQ(children[2].vt, VT_DISPATCH);
  IAccessible* button = nullptr;
  ASSERT_EQ(children[2].pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&button)), S_OK);
  VariantClear(&children[2]);
  BSTR name = nullptr;
  EXPECT_EQ(button->get_accName(Child(CHILDID_SELF), &name), S_OK);
  EXPECT_EQ(Take(name), L"极速安装");
  VARIANT below[2];
  ASSERT_EQ(AccessibleChildren(button, 0, 2, below, &obtained), S_FALSE);
  ASSERT_EQ(obtained, 1);
  EXPECT_EQ(below[0].vt, VT_I4);
  EXPECT_EQ(below[0].lVal, static_cast<long>(inner.Self()));
  button->Release();

  // Starting part-way, skipping past the end, and a copy that goes on alone.
  ASSERT_EQ(AccessibleChildren(c.acc, 1, 1, children, &obtained), S_OK);
  EXPECT_EQ(children[0].lVal, static_cast<long>(edit_.Self()));
  IEnumVARIANT* e = nullptr;
  ASSERT_EQ(c.acc->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&e)), S_OK);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(1), S_OK);
  IEnumVARIANT* copy = nullptr;
  ASSERT_EQ(e->Clone(&copy), S_OK);
  EXPECT_EQ(e->Skip(5), S_FALSE);
  ULONG fetched = 9;
  EXPECT_EQ(e->Next(1, children, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(copy->Next(1, children, &fetched), S_OK);
  EXPECT_EQ(children[0].lVal, static_cast<long>(edit_.Self()));
  copy->Release();
  inner.Destroy();
  w_.host.Detach();
  EXPECT_EQ(e->Next(1, children, &fetched), RPC_E_DISCONNECTED);
  e->Release();
}

TEST_F(HostAccessibleTest, LocationsAndHitTestsAreScreenDevicePixels) {
  RECT r{};
  GetWindowRect(w_.hwnd(), &r);
  RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 3 / 2, r.top + (r.bottom - r.top) * 3 / 2};
  SendMessageW(w_.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  w_.Settle();
  Client c(w_.host);
  ASSERT_NE(c.acc, nullptr);
  POINT origin{0, 0};
  ClientToScreen(w_.hwnd(), &origin);
  long x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(c.acc->accLocation(&x, &y, &width, &height, Child(static_cast<long>(button_.Self()))), S_OK);
  EXPECT_EQ(x, origin.x + 15);
  EXPECT_EQ(y, origin.y + 165);
  EXPECT_EQ(width, 150);
  EXPECT_EQ(height, 60);
  VARIANT hit;
  ASSERT_EQ(c.acc->accHitTest(origin.x + 15 + 75, origin.y + 165 + 30, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, static_cast<long>(button_.Self()));
}

TEST_F(HostAccessibleTest, TheDefaultActionClicksAfterTheCallAndStaleIdsAreRefused) {
  int clicks = 0;
  w_.host.SetOnClick([&](HWND, ElementHandle e, WPARAM, LPARAM, int) {
    if (e == button_.Self()) ++clicks;
  });
  Client c(w_.host);
  ASSERT_NE(c.acc, nullptr);
  const long id = static_cast<long>(button_.Self());
  EXPECT_EQ(c.acc->accDoDefaultAction(Child(id)), S_OK);
  EXPECT_EQ(clicks, 0);  // posted: the caller is not held inside the click
  w_.Settle();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(c.acc->accDoDefaultAction(Child(static_cast<long>(label_.Self()))), DISP_E_MEMBERNOTFOUND);

  button_.Destroy();
  BSTR name = nullptr;
  EXPECT_EQ(c.acc->get_accName(Child(id), &name), E_INVALIDARG);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(c.acc->accDoDefaultAction(Child(id)), E_INVALIDARG);

  w_.host.Detach();
  long count = -1;
  EXPECT_EQ(c.acc->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

TEST_F(HostAccessibleTest, TheWindowHandsOutItsObjectToAScreenReader) {
  // Wine's 64-bit oleacc refuses to marshal IAccessible (LresultFromObject
  // answers E_NOINTERFACE); the object itself is tested above either way.
  HostAccessible* object = HostAccessible::Create(w_.host, nullptr);
  const LRESULT probe = LresultFromObject(IID_IAccessible, 0, static_cast<IAccessible*>(object));
  object->Release();
  if (probe == static_cast<LRESULT>(E_NOINTERFACE))
    GTEST_SKIP() << "LresultFromObject(IID_IAccessible) returns 0x80004002 (E_NOINTERFACE) here";
  if (probe > 0) {
    IAccessible* taken = nullptr;
    if (SUCCEEDED(ObjectFromLresult(probe, IID_IAccessible, 0, reinterpret_cast<void**>(&taken))) && taken)
      taken->Release();
  }
  Client c(w_.hwnd());
  ASSERT_NE(c.acc, nullptr);
  long count = -1;
  EXPECT_EQ(c.acc->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(c.Name(static_cast<long>(button_.Self())), L"极速安装");
}

namespace {
struct Heard {
  DWORD event;
  long child;
};
std::vector<Heard>* g_heard = nullptr;
HWND g_heardWindow = nullptr;
void CALLBACK HearWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (g_heard && hwnd == g_heardWindow && object == OBJID_CLIENT) g_heard->push_back({event, child});
}
bool HeardOf(const std::vector<Heard>& heard, DWORD event, long child) {
  for (const Heard& h : heard)
    if (h.event == event && h.child == child) return true;
  return false;
}
}  // namespace

TEST_F(HostAccessibleTest, ChangesAreAnnouncedAsWinEvents) {
  std::vector<Heard> heard;
  g_heard = &heard;
  g_heardWindow = w_.hwnd();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, HearWinEvent, GetCurrentProcessId(), 0,
                                       WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  w_.host.SetFocusElement(&edit_, true);
  label_.Text("正在安装……");
  button_.Text("立即运行");
  hidden_.Visible(true);
  button_.Disabled(true);
  // Out-of-context events arrive through this thread's queue.
  for (int i = 0; i < 50 && heard.size() < 5; ++i) w_.Settle();
  UnhookWinEvent(hook);
  g_heard = nullptr;
  EXPECT_TRUE(HeardOf(heard, EVENT_OBJECT_FOCUS, static_cast<long>(edit_.Self())));
  EXPECT_TRUE(HeardOf(heard, EVENT_OBJECT_NAMECHANGE, static_cast<long>(label_.Self())));
  EXPECT_TRUE(HeardOf(heard, EVENT_OBJECT_NAMECHANGE, static_cast<long>(button_.Self())));
  EXPECT_TRUE(HeardOf(heard, EVENT_OBJECT_SHOW, static_cast<long>(hidden_.Self())));
  EXPECT_TRUE(HeardOf(heard, EVENT_OBJECT_STATECHANGE, static_cast<long>(button_.Self())));
}
