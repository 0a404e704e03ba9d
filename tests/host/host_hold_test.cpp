// Holding redraws: changes made while held reach the canvas and the screen
// only when they are presented, as one frame, and each changed element
// draws once however often it changed.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"

using namespace ui;
using qwtest::ColorNear;
using qwtest::ColorText;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {
constexpr Argb kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00;

UiWindow::CreateOptions Layered() {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.windowAlpha = 255;
  return o;
}

#define EXPECT_CANVAS(w, x, y, colour)                                                                   \
  EXPECT_TRUE(ColorNear((w).Canvas(x, y), colour, 4)) << "at " << (x) << "," << (y) << ": "           \
                                                      << ColorText((w).Canvas(x, y)) << " want " \
                                                      << ColorText(colour)
}  // namespace

TEST(HostHold, HeldChangesArePresentedTogetherAsOneFrame) {
  for (bool layered : {true, false}) {
    SCOPED_TRACE(layered ? "layered" : "ordinary");
    HostedWindow w(200, 150, layered ? Layered() : HostedWindow::Plain());
    Recorder a(kYellow), b(kYellow);
    a.Make(w.hwnd(), 20, 20, 30, 30);
    b.Make(w.hwnd(), 120, 20, 30, 30);
    w.Settle();

    w.host.HoldRedraws();
    EXPECT_TRUE(w.host.RedrawsHeld());
    const int paintsBefore = a.paints;
    w.host.ResetPresentCountForTest();
    a.Fill(kRed);
    a.Fill(kBlue);  // the second change replaces the first before anything is drawn
    b.Visible(false);
    w.host.InvalidateRect(RectF{60, 60, 10, 10}, UiRedrawQueue::kNow);
    w.Settle();
    EXPECT_EQ(a.paints, paintsBefore) << "a held element draws only when presented";
    EXPECT_EQ(w.host.PresentCountForTest(), 0);
    EXPECT_CANVAS(w, 30, 30, kYellow);
    EXPECT_CANVAS(w, 130, 30, kYellow);

    w.host.PresentHeldRedraws();
    w.Settle();
    EXPECT_EQ(a.paints, paintsBefore + 1);
    EXPECT_CANVAS(w, 30, 30, kBlue);
    EXPECT_FALSE(ColorNear(w.Canvas(130, 30), kYellow, 4)) << "the hidden element is gone";
    // A layered window pushes its whole canvas once; an ordinary one blits
    // each repaired area.
    if (layered) EXPECT_EQ(w.host.PresentCountForTest(), 1);
    else EXPECT_GE(w.host.PresentCountForTest(), 1);

    // Still held after presenting.
    EXPECT_TRUE(w.host.RedrawsHeld());
    w.host.ResetPresentCountForTest();
    a.Fill(kRed);
    w.Settle();
    EXPECT_EQ(w.host.PresentCountForTest(), 0);
    EXPECT_CANVAS(w, 30, 30, kBlue);

    // Ending the hold presents the rest; afterwards changes show at once again.
    w.host.ReleaseRedraws();
    w.Settle();
    EXPECT_FALSE(w.host.RedrawsHeld());
    EXPECT_EQ(w.host.PendingRedraws(), 0u);
    EXPECT_CANVAS(w, 30, 30, kRed);
    EXPECT_GE(w.host.PresentCountForTest(), 1);
    w.host.ResetPresentCountForTest();
    w.host.InvalidateRect(a.Bounds(), UiRedrawQueue::kAppend);
    EXPECT_GE(w.host.PresentCountForTest(), 1) << "not held: drawn and presented at once";
  }
}

// While held, an area inside another is repaired once, whichever came
// first; areas that only overlap are both kept. The presented frame shows
// every change all the same.
TEST(HostHold, AnAreaCoveredByAnotherIsRepairedOnce) {
  HostedWindow w(200, 150, Layered());
  Recorder small(kYellow), large(kYellow);
  small.Make(w.hwnd(), 20, 20, 20, 20);
  large.Make(w.hwnd(), 100, 20, 60, 60);
  w.Settle();
  w.host.HoldRedraws();
  small.Fill(kRed);
  w.Settle();
  w.host.InvalidateRect(RectF{20, 20, 20, 20}, UiRedrawQueue::kAppend);
  w.host.InvalidateRect(RectF{10, 10, 100, 100}, UiRedrawQueue::kAppend);  // covers the first
  w.host.InvalidateRect(RectF{30, 30, 5, 5}, UiRedrawQueue::kAppend);      // inside the second
  EXPECT_EQ(w.host.PendingRedraws(), 1u);
  w.host.InvalidateRect(RectF{100, 100, 50, 40}, UiRedrawQueue::kAppend);  // overlaps only
  EXPECT_EQ(w.host.PendingRedraws(), 2u);
  large.Fill(kBlue);
  w.host.ReleaseRedraws();
  w.Settle();
  EXPECT_CANVAS(w, 30, 30, kRed);
  EXPECT_CANVAS(w, 150, 70, kBlue);
}

TEST(HostHold, HoldsNestAndUnbalancedReleasesAreIgnored) {
  HostedWindow w(200, 150, Layered());
  Recorder a(kYellow);
  a.Make(w.hwnd(), 20, 20, 30, 30);
  w.Settle();
  w.host.ReleaseRedraws();  // no hold: nothing happens
  EXPECT_FALSE(w.host.RedrawsHeld());

  w.host.HoldRedraws();
  w.host.HoldRedraws();
  a.Fill(kRed);
  w.host.ReleaseRedraws();
  w.Settle();
  EXPECT_TRUE(w.host.RedrawsHeld());
  EXPECT_CANVAS(w, 30, 30, kYellow);
  w.host.ReleaseRedraws();
  w.Settle();
  EXPECT_FALSE(w.host.RedrawsHeld());
  EXPECT_CANVAS(w, 30, 30, kRed);
}

TEST(HostHold, ElementsGoneBeforeThePresentationAreSkipped) {
  HostedWindow w(200, 150, Layered());
  auto a = std::make_unique<Recorder>(kYellow);
  Recorder b(kYellow);
  a->Make(w.hwnd(), 20, 20, 30, 30);
  b.Make(w.hwnd(), 120, 20, 30, 30);
  w.Settle();
  w.host.HoldRedraws();
  a->Fill(kRed);
  b.Fill(kBlue);
  a->Destroy();
  a.reset();
  w.host.ReleaseRedraws();
  w.Settle();
  EXPECT_CANVAS(w, 130, 30, kBlue);
  EXPECT_FALSE(ColorNear(w.Canvas(30, 30), kRed, 4));
}

TEST(HostHold, DetachingWhileAPresentationIsOnItsWayIsSafe) {
  auto w = std::make_unique<HostedWindow>(200, 150, Layered());
  Recorder a(kYellow);
  a.Make(w->hwnd(), 20, 20, 30, 30);
  w->Settle();
  w->host.HoldRedraws();
  a.Fill(kRed);
  w->host.PresentHeldRedraws();  // posts the presentation
  w->host.Detach();
  EXPECT_FALSE(w->host.RedrawsHeld());
  w->Settle();  // the posted message arrives at a window without a host
  w.reset();
  qwtest::PumpPending();
  SUCCEED();
}

// Elements made while held draw once, when presented; a hidden one only
// when it is first shown, without a transition, and then looks as drawn.
TEST(HostHold, ElementsMadeWhileHeldDrawOnceAndHiddenOnesWhenShown) {
  HostedWindow w(200, 150, Layered());
  w.Settle();
  w.host.HoldRedraws();
  Recorder shown(kYellow), hidden(kRed);
  shown.Make(w.hwnd(), 20, 20, 30, 30);
  hidden.Make(w.hwnd(), 120, 20, 30, 30, false);
  shown.Fill(kBlue);  // given its look right after creation
  EXPECT_EQ(shown.paints + hidden.paints, 0) << "nothing draws while held";
  w.host.ReleaseRedraws();
  w.Settle();
  EXPECT_EQ(shown.paints, 1);
  EXPECT_EQ(hidden.paints, 0);
  EXPECT_CANVAS(w, 30, 30, kBlue);

  hidden.TransitionInterval(10);
  hidden.Transition(5);
  hidden.Visible(true);
  w.Settle();
  EXPECT_EQ(hidden.paints, 1);
  EXPECT_FALSE(hidden.TransitionRunning());
  EXPECT_CANVAS(w, 130, 30, kRed);
  hidden.Visible(false);
  hidden.Visible(true);
  w.Settle();
  EXPECT_EQ(hidden.paints, 1) << "shown again, it draws only when it changes";
}
