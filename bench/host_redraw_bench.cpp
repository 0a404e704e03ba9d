// Rendering of the installer window (the real window, built in this
// process as the installer builds it): the mean time of a full
// recomposition and of a partial one over the "极速安装" button, both
// presented, their ratio, and the time of one frame of the button's hover
// cross-fade (what each transition timer tick draws and presents).
#include <windows.h>

#include <cstdio>

#include "app/installer_app.h"
#include "app/resources/resources.h"
#include "bench/bench_support.h"
#include "bench/first_frame.h"
#include "ui/platform/system_library.h"

int main() {
  ui::platform::HardenDllSearch();
  app::InstallerApp installer;
  installer.Start(app::resources::LibraryGlyphStrip());
  const HWND hwnd = installer.texts().startWindowHandle;
  if (!bench::PumpUntilPresented(hwnd, 60000)) {
    std::printf("render: the installer window did not come up\n");
    return 1;
  }
  ui::UiWindow& host = *installer.objects().mainHost;
  ui::UiButton& button = *installer.objects().installButton;
  if (host.Busy()) {
    std::printf("render: the host is busy; nothing would be drawn\n");
    return 1;
  }
  const ui::RectF place = button.Bounds();

  host.Redraw({}, std::nullopt, 0, true);  // warm-up
  const double full = bench::MeanMs(40, [&] { host.Redraw({}, std::nullopt, 0, true); });
  host.RedrawRect(place, true);
  const double partial = bench::MeanMs(400, [&] { host.RedrawRect(place, true); });

  // The pointer onto the button starts its hover fade, off it the fade
  // back. One frame is one tick of the transition timer: the next step
  // drawn (a cross-fade of the two looks) and presented. The middle steps
  // of many fades are timed; the last step (which only ends it) is not.
  const LPARAM centre = MAKELPARAM(static_cast<int>(place.x + place.width / 2),
                                   static_cast<int>(place.y + place.height / 2));
  const LPARAM outside = MAKELPARAM(static_cast<int>(place.x + place.width / 2), static_cast<int>(place.y) - 40);
  double hoverTotal = 0;
  int hoverFrames = 0;
  for (int fade = 0; fade < 60; ++fade) {
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, fade % 2 ? outside : centre);
    if (!button.TransitionRunning()) {
      std::printf("render: the hover fade did not start\n");
      return 1;
    }
    while (button.TransitionStep() + 1 < button.Transition()) {
      const double t0 = bench::NowMs();
      button.OnTransitionTimer(hwnd, WM_TIMER, button.Self() + 1, 0);
      hoverTotal += bench::NowMs() - t0;
      ++hoverFrames;
    }
    while (button.TransitionRunning()) button.OnTransitionTimer(hwnd, WM_TIMER, button.Self() + 1, 0);
  }
  const double hover = hoverTotal / hoverFrames;

  std::printf("render: installer window 588x438, %d x %d button\n", static_cast<int>(place.width),
              static_cast<int>(place.height));
  std::printf("render: full redraw:                  %8.3f ms\n", full);
  std::printf("render: partial redraw of the button: %8.3f ms\n", partial);
  std::printf("render: partial / full:               %8.3f (target < 0.20: %s)\n", partial / full,
              partial / full < 0.2 ? "met" : "NOT met");
  std::printf("render: one hover transition frame:   %8.3f ms (%.3f of a full redraw)\n", hover, hover / full);
  installer.EndProgram();
  installer.Teardown();
  return 0;
}
