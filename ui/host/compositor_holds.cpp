// UiCompositor: holding redraws: a host collects changes and presents them
// as one frame.
#include <algorithm>

#include "ui/element/element.h"
#include "ui/host/compositor.h"
#include "ui/host/host_messages.h"
#include "ui/host/window.h"

namespace ui {

void UiCompositor::HoldRedraws() {
  if (!host_.IsAttached()) return;
  ++redrawHolds_;
  redrawQueue_.SetHeld(true);
}

void UiCompositor::ReleaseRedraws() {
  if (redrawHolds_ == 0) return;
  if (--redrawHolds_ == 0) PresentHeldRedraws();
}

bool UiCompositor::PutOffRepaint(const UiElement* element) {
  if (redrawHolds_ == 0 || !element) return false;
  const ElementHandle handle = element->Self();
  if (std::find(heldRepaints_.begin(), heldRepaints_.end(), handle) == heldRepaints_.end())
    heldRepaints_.push_back(handle);
  return true;
}

// A presentation takes two posted steps, so that asking for one costs
// nothing at the moment it is asked for: first the put-off elements draw
// (their paint event, not Repaint, which would put them off again), and the
// areas they ask for arrive as posted messages and are collected; then,
// after those, everything collected is repaired and presented in one flush.
void UiCompositor::PresentHeldRedraws() {
  if (!host_.IsAttached() || heldPresentPosted_) return;
  if (heldRepaints_.empty() && redrawQueue_.Pending() == 0) {
    // Nothing collected: no frame. Once the hold has ended, areas still on
    // their way are drawn as they arrive.
    redrawQueue_.SetHeld(redrawHolds_ > 0);
    return;
  }
  redrawQueue_.SetHeld(true);
  PostPresentStep(kDrawHeldElements);
}

void UiCompositor::PostPresentStep(WPARAM step) {
  heldPresentPosted_ = PostMessageW(host_.Window(), hostmsg::kPresentHeld, step, 0) != FALSE;
  if (!heldPresentPosted_) {  // no message queue to wait on: all at once
    const WeakRef<UiWindow> alive(&host_);
    DrawHeldElements();
    if (!alive) return;
    FlushHeld();
  }
}

void UiCompositor::DrawHeldElements() {
  std::vector<ElementHandle> elements;
  elements.swap(heldRepaints_);
  const WeakRef<UiWindow> alive(&host_);
  for (ElementHandle handle : elements) {
    UiElement* e = UiElement::FromHandle(handle);
    if (!host_.Owns(e)) continue;
    // A hidden element's look shows nowhere yet: it draws when shown.
    if (!e->Visible()) {
      e->PaintWhenShown();
      continue;
    }
    e->SendEvent(ev::kPaint, 0, 0);
    if (!alive) return;
  }
}

// A flush repairs areas, which runs element events and the overlay
// callback: the host (and this compositor) may be gone afterwards.
void UiCompositor::FlushHeld() {
  const WeakRef<UiWindow> alive(&host_);
  redrawQueue_.Flush();
  if (!alive) return;
  redrawQueue_.SetHeld(redrawHolds_ > 0);
  // Areas that arrive later (the hold ended) are drawn as they come.
  if (redrawHolds_ == 0) redrawQueue_.Flush();
}

void UiCompositor::OnPresentHeld(WPARAM step) {
  heldPresentPosted_ = false;
  if (!host_.IsAttached()) return;
  if (step == kDrawHeldElements) {
    const WeakRef<UiWindow> alive(&host_);
    DrawHeldElements();
    if (!alive) return;
    PostPresentStep(kFlushHeld);
    return;
  }
  const WeakRef<UiWindow> alive(&host_);
  FlushHeld();
  if (!alive) return;
  // Elements put off while this presentation was on its way, with the
  // hold ended since: one more round.
  if (redrawHolds_ == 0 && !heldRepaints_.empty()) PresentHeldRedraws();
}

void UiCompositor::ClearHeldRedraws() {
  redrawHolds_ = 0;
  heldPresentPosted_ = false;
  heldRepaints_.clear();
}

}  // namespace ui
