#pragma once
// UiCaptionButton: a button of a host's custom title bar (close, maximise /
// restore, minimise and four further kinds). It draws one cell of the
// library's caption glyph strip (GlyphImageFor the host's scale) for its kind and
// mouse state over its whole rectangle, and turns a click into the window
// command of its kind, posted to the host window.
//
// Coordinates: as for every element, client pixels of the host window; the
// glyph is drawn into the element's own bitmap at (0, 0, width, height).
#include <windows.h>

#include "ui/element/element.h"

namespace ui {

class UiCaptionButton : public UiElement {
 public:
  // Glyph states.
  static constexpr int kNormal = 0;
  static constexpr int kHot = 1;
  static constexpr int kPressed = 2;
  // Transition steps (60 ms each) of the hover and leave fades; presses
  // and releases show at once.
  static constexpr int kEnterSteps = 3;
  static constexpr int kLeaveSteps = 4;
  static constexpr int kTransitionIntervalMs = 60;

  // `kind` is the caption bit the button stands for (4 close, 8 maximise /
  // restore, 16 minimise, 32 .. 256 further buttons). Not focusable, no own
  // cursor. Returns the element handle, 0 on failure.
  ElementHandle Create(UiParent parent, int x, int y, int width, int height, int kind,
                       bool visible = true);

  // The caption bit this button stands for; 0 once destroyed.
  int ButtonKind() const { return buttonKind_; }
  // The glyph state last drawn.
  int LastState() const { return lastState_; }

  // Redraws the glyph for `state` (0 normal, 1 hot, 2 pressed; 3 and -1
  // draw the normal glyph) unless it is already shown and `force` is false.
  // `transitionSteps` animates the change over that many steps (0: at once).
  void SetState(int state, bool force, int transitionSteps);

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

 private:
  void DrawGlyph(int state);
  void PostWindowCommand();

  int buttonKind_ = 0;
  int lastState_ = kNormal;
};

}  // namespace ui
