// Sibling lists, re-parenting, z-order, unlinking and subtree destruction.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {
// The list from `first` along next-sibling, checked against prev-sibling.
std::vector<UiElement*> Chain(UiElement* first, UiElement* last) {
  std::vector<UiElement*> out;
  UiElement* prev = nullptr;
  for (UiElement* e = first; e; e = e->NextSibling()) {
    EXPECT_EQ(e->PrevSibling(), prev);
    out.push_back(e);
    prev = e;
  }
  EXPECT_EQ(prev, last);
  return out;
}
std::vector<UiElement*> TopLevel(UiWindow& host) { return Chain(host.FirstElement(), host.LastElement()); }
std::vector<UiElement*> Children(UiElement& e) { return Chain(e.FirstChild(), e.LastChild()); }
}  // namespace

TEST(ElementTree, CreateAppendsInOrderAndLinksChildren) {
  HostedWindow w;
  Recorder a, b, c, child;
  ASSERT_NE(a.Make(w.hwnd(), 10, 10, 20, 20), 0u);
  ASSERT_NE(b.Make(w.hwnd(), 40, 10, 20, 20), 0u);
  ASSERT_NE(c.Make(w.hwnd(), 70, 10, 20, 20), 0u);
  ASSERT_NE(child.Make(b, 45, 15, 5, 5), 0u);
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&a, &b, &c}));
  EXPECT_EQ(Children(b), (std::vector<UiElement*>{&child}));
  EXPECT_EQ(child.GetParent(), b.GetHandle());
  EXPECT_EQ(a.GetParent(), 0u);
  EXPECT_EQ(child.GetWindow(), w.hwnd());
  EXPECT_EQ(child.Host(), &w.host);
  // Created then painted, both through the host.
  ASSERT_GE(a.log.size(), 2u);
  EXPECT_EQ(a.log[0].message, ev::kCreated);
  EXPECT_EQ(a.log[1].message, ev::kPaint);
  EXPECT_EQ(a.log[0].wParam, reinterpret_cast<WPARAM>(a.Bitmap()));
  // Creating again returns the handle and does nothing.
  const size_t events = a.log.size();
  EXPECT_EQ(a.Make(w.hwnd(), 0, 0, 5, 5), a.GetHandle());
  EXPECT_EQ(a.log.size(), events);
  EXPECT_EQ(a.Left(), 10);
}

TEST(ElementTree, SetZOrderMovesToHeadOrTail) {
  HostedWindow w;
  Recorder a, b, c;
  a.Make(w.hwnd(), 0, 0, 10, 10);
  b.Make(w.hwnd(), 0, 0, 10, 10);
  c.Make(w.hwnd(), 0, 0, 10, 10);
  c.SetZOrder(2);
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&c, &a, &b}));
  c.SetZOrder(1);
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&a, &b, &c}));
  a.SetZOrder();
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&b, &c, &a}));
  // Without redraw the former neighbour is returned.
  EXPECT_EQ(b.SetZOrder(1, false), a.GetHandle());
  EXPECT_EQ(b.SetZOrder(2, false), c.GetHandle());
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&b, &c, &a}));
}

TEST(ElementTree, SetZOrderOnTheOnlyChildKeepsItHeadAndTail) {
  HostedWindow w;
  Recorder parent, only;
  parent.Make(w.hwnd(), 0, 0, 50, 50);
  only.Make(parent, 0, 0, 10, 10);
  only.SetZOrder(2);
  EXPECT_EQ(Children(parent), (std::vector<UiElement*>{&only}));
  only.SetZOrder(1);
  EXPECT_EQ(Children(parent), (std::vector<UiElement*>{&only}));
  EXPECT_EQ(only.PrevSibling(), nullptr);
  EXPECT_EQ(only.NextSibling(), nullptr);
}

TEST(ElementTree, UnlinkFromHeadMiddleAndTail) {
  HostedWindow w;
  Recorder p, a, b, c, d;
  p.Make(w.hwnd(), 0, 0, 100, 100);
  for (Recorder* r : {&a, &b, &c, &d}) r->Make(p, 0, 0, 10, 10);
  b.Unlink();  // middle
  EXPECT_EQ(Children(p), (std::vector<UiElement*>{&a, &c, &d}));
  EXPECT_EQ(b.PrevSibling(), nullptr);
  EXPECT_EQ(b.NextSibling(), nullptr);
  a.Unlink();  // head
  EXPECT_EQ(Children(p), (std::vector<UiElement*>{&c, &d}));
  d.Unlink();  // tail
  EXPECT_EQ(Children(p), (std::vector<UiElement*>{&c}));
  c.Unlink();
  EXPECT_EQ(p.FirstChild(), nullptr);
  EXPECT_EQ(p.LastChild(), nullptr);
  c.Unlink();  // not in the list any more: nothing changes
  EXPECT_EQ(p.FirstChild(), nullptr);

  Recorder x, y;
  x.Make(w.hwnd(), 0, 0, 10, 10);
  y.Make(w.hwnd(), 0, 0, 10, 10);
  x.Unlink();
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&p, &y}));
  y.Unlink();
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&p}));
}

TEST(ElementTree, SetParentMovesBetweenHostAndElements) {
  HostedWindow w;
  Recorder a, b, e;
  a.Make(w.hwnd(), 0, 0, 50, 50);
  b.Make(w.hwnd(), 60, 0, 50, 50);
  e.Make(w.hwnd(), 5, 5, 10, 10);
  e.SetParent(&a);
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&a, &b}));
  EXPECT_EQ(Children(a), (std::vector<UiElement*>{&e}));
  EXPECT_EQ(e.GetParent(), a.GetHandle());
  e.SetParent(&b);
  EXPECT_EQ(a.FirstChild(), nullptr);
  EXPECT_EQ(Children(b), (std::vector<UiElement*>{&e}));
  // The window handle (or 0) means top level again, at the end.
  e.SetParent(reinterpret_cast<ElementHandle>(w.hwnd()));
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&a, &b, &e}));
  EXPECT_EQ(e.GetParent(), 0u);
  EXPECT_EQ(b.FirstChild(), nullptr);
  // Never into its own subtree, never to a stale handle.
  Recorder inner;
  inner.Make(e, 6, 6, 2, 2);
  e.SetParent(&inner);
  EXPECT_EQ(e.GetParent(), 0u);
  e.SetParent(ElementHandle{12345});
  EXPECT_EQ(e.GetParent(), 0u);
}

TEST(ElementTree, DestroyTakesTheWholeSubtreeAndEveryHostReference) {
  HostedWindow w;
  std::vector<Recorder*> destroyed;
  Recorder root, c1, c2, g1;
  for (Recorder* r : {&root, &c1, &c2, &g1}) r->destroyOrder = &destroyed;
  root.Make(w.hwnd(), 0, 0, 100, 100);
  c1.Make(root, 10, 10, 40, 40);
  c2.Make(root, 60, 10, 20, 20);
  g1.Make(c1, 15, 15, 10, 10);
  Recorder other;
  other.Make(w.hwnd(), 120, 0, 10, 10);

  w.host.SetFocusElement(&g1, true);
  EXPECT_EQ(w.host.FocusedElement(), &g1);
  EXPECT_EQ(w.host.KeyboardFocus(), &g1);
  w.host.SetHoverElement(&c2);
  w.host.SetAccelerator(&c1, 'A');

  const ElementHandle handles[] = {root.GetHandle(), c1.GetHandle(), c2.GetHandle(), g1.GetHandle()};
  root.Destroy();
  // Descendants first (depth first), the root last; each got event 2.
  EXPECT_EQ(destroyed, (std::vector<Recorder*>{&g1, &c1, &c2, &root}));
  for (ElementHandle h : handles) EXPECT_EQ(UiElement::FromHandle(h), nullptr);
  EXPECT_EQ(w.host.FocusedElement(), nullptr);
  EXPECT_EQ(w.host.KeyboardFocus(), nullptr);
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  EXPECT_TRUE(w.host.Accelerators().empty());
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&other}));
  EXPECT_FALSE(root.IsCreated());
  EXPECT_EQ(root.Bitmap(), nullptr);
  EXPECT_EQ(root.FirstChild(), nullptr);
  // Destroying again does nothing; the object can be created again.
  root.Destroy();
  EXPECT_NE(root.Make(w.hwnd(), 0, 0, 10, 10), 0u);
  w.Settle();
}

TEST(ElementTree, CreateUnderAParentOfAnotherHostFails) {
  HostedWindow w1, w2;
  Recorder parent;
  parent.Make(w1.hwnd(), 0, 0, 50, 50);
  // The window now names another host than the one the parent belongs to.
  SetPropW(w1.hwnd(), L"Zq_Wnd_Control", &w2.host);
  Recorder child;
  EXPECT_EQ(child.Make(parent, 0, 0, 10, 10), 0u);
  EXPECT_FALSE(child.IsCreated());
  EXPECT_EQ(parent.FirstChild(), nullptr);
  SetPropW(w1.hwnd(), L"Zq_Wnd_Control", &w1.host);
  EXPECT_NE(child.Make(parent, 0, 0, 10, 10), 0u);
  // A window that has no host is no parent either.
  qwtest::TestWindow bare(0, 0, 50, 50);
  Recorder orphan;
  EXPECT_EQ(orphan.Make(bare.hwnd(), 0, 0, 10, 10), 0u);
}

TEST(ElementTree, DeletingAnElementObjectUnlinksIt) {
  HostedWindow w;
  Recorder a, c;
  a.Make(w.hwnd(), 0, 0, 10, 10);
  ElementHandle h = 0;
  {
    Recorder b;
    h = b.Make(w.hwnd(), 0, 0, 10, 10);
    w.host.SetHoverElement(&b);
    c.Make(b, 1, 1, 2, 2);
  }
  EXPECT_EQ(UiElement::FromHandle(h), nullptr);
  EXPECT_FALSE(c.IsCreated());
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  EXPECT_EQ(TopLevel(w.host), (std::vector<UiElement*>{&a}));
  w.Settle();  // its last repaint request is harmless
}
