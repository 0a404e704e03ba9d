#pragma once
// Opening and closing animations of a host window, and blur behind its body.
// Each effect runs synchronously on the window's thread: every frame is
// composed into a temporary canvas, pushed with UpdateLayeredWindow, then
// the thread sleeps and handles pending messages. The host is kept busy for
// the whole effect, so input is not routed and redraws are not presented.
#include <windows.h>

#include <functional>

#include "ui/core/lifetime.h"
#include "ui/host/display_scale.h"

namespace ui {

class UiWindow;

// What an effect needs of its host.
//
// Every frame pumps the thread's messages, and what they run may close the
// window or detach the host. With `owner` bound, each frame re-reads the
// canvas through it, and the effect ends cleanly (without touching the host
// or its canvas again) once the owner is gone, the window is gone, or the
// owner asks the running effect to stop (a close request arrived).
struct EffectHost {
  HWND hwnd = nullptr;
  HDC canvasDc = nullptr;  // the composed window, used when `owner` is not bound
  WeakRef<UiWindow> owner; // the host whose canvas is drawn
  int frameMode = 7;       // 1 = the background image alone (no blur, no rounded shape)
  int windowAlpha = -1;    // -1 = not layered
  bool blurBehind = false;
  DisplayScale scale;      // the frame's fixed insets are logical pixels
  std::function<void(bool)> setBusy;  // the host's busy flag
};

// One pushed frame, for observers (tests, diagnostics).
struct EffectFrame {
  int index = 0;       // 1-based within the effect; the final frame has index 0
  int alpha = 0;       // source constant alpha of the frame
  RECT source{};       // the part of the canvas drawn (full window for fades)
  DWORD tick = 0;      // GetTickCount when pushed
};
using EffectFrameObserver = std::function<void(const EffectFrame&)>;
// Handles the thread's pending messages between animation frames; a quit
// request is posted again for the outer message loop.
void ProcessPendingMessages();

// Installs an observer of every pushed frame (null to remove).
void SetEffectFrameObserver(EffectFrameObserver observer);

// Asks the compositor to blur behind the rounded region (left, top, right,
// bottom, corner) of a layered window. Nothing happens unless the system's
// major version is 6, `frameMode` is not 1 and `windowAlpha` is not -1.
// Returns whether composition was enabled. The rectangle (0, 0, 0, 0) turns
// the blur off.
bool SetBlur(HWND hwnd, int left, int top, int right, int bottom, int corner, int frameMode,
             int windowAlpha);

// Shows the window with opening effect `effect` (1 fade, 3/4 wipes from the
// left/right, 5 from the top, 7 zoom, any other non-zero value from the
// bottom) over `durationMs`, ten frames and a final opaque one. Effect 0
// only switches blur on (when wanted) and shows the window. Pending
// messages are the caller's business (UiWindow::Show handles them first).
void RunOpenEffect(const EffectHost& host, int effect, int durationMs);

// Plays closing effect `effect` (1 fade out, 2 zoom out, 7 shrink, 3/4 and
// any other non-zero value reversed wipes) and leaves the window fully
// transparent. Effect 0 does nothing.
void RunCloseEffect(const EffectHost& host, int effect);

}  // namespace ui
