#include "ui/host/redraw_queue.h"

#include "ui/host/window.h"

namespace ui {

void UiRedrawQueue::Init(HWND hwnd, UiWindow* host) {
  hwnd_ = hwnd;
  host_ = host;
}

void UiRedrawQueue::Clear() {
  entries_.clear();
  flushing_ = false;
  held_ = false;
}

namespace {
bool Contains(const RectF& outer, const RectF& inner) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() &&
         inner.Bottom() <= outer.Bottom();
}
}  // namespace

void UiRedrawQueue::Add(const RectF& rect, int mode) {
  if (!host_) return;
  if (held_) {
    // Every repair draws the current state, so an area inside a queued one
    // needs no repair of its own, whichever came first (a label's area,
    // say, queued before the panel under it).
    for (const RectF& queued : entries_)
      if (Contains(queued, rect)) return;
    std::erase_if(entries_, [&](const RectF& queued) { return Contains(rect, queued); });
    entries_.push_back(rect);
    return;
  }
  if (mode == kNow) {
    // Repairing runs element events and the overlay callback, which may
    // detach or delete the host, and this queue with it.
    const WeakRef<UiWindow> alive(host_);
    host_->RedrawRect(rect, true);
    if (!alive) return;
  } else if (mode == kFront)
    entries_.push_front(rect);
  else
    entries_.push_back(rect);
  if (!flushing_) Flush();
}

void UiRedrawQueue::Flush() {
  if (!host_ || flushing_) return;
  const WeakRef<UiWindow> alive(host_);
  if (!alive) return;
  flushing_ = true;
  const bool presentEach = !host_->IsLayered();
  int repaired = 0;
  // Entries added while repairing (by element events) join this flush.
  while (!entries_.empty()) {
    const RectF r = entries_.front();
    entries_.pop_front();
    host_->RedrawRect(r, presentEach);
    if (!alive) return;  // detached or deleted by what the repair ran
    ++repaired;
  }
  if (repaired > 0 && host_->IsLayered() && !host_->Busy()) host_->Present(nullptr);
  flushing_ = false;
}

}  // namespace ui
