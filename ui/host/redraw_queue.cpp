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
}

void UiRedrawQueue::Add(const RectF& rect, int mode) {
  if (!host_) return;
  if (mode == kNow)
    host_->RedrawRect(rect, true);
  else if (mode == kFront)
    entries_.push_front(rect);
  else
    entries_.push_back(rect);
  if (!flushing_) Flush();
}

void UiRedrawQueue::Flush() {
  if (!host_ || flushing_) return;
  flushing_ = true;
  const bool presentEach = !host_->IsLayered();
  int repaired = 0;
  // Entries added while repairing (by element events) join this flush.
  while (!entries_.empty()) {
    const RectF r = entries_.front();
    entries_.pop_front();
    host_->RedrawRect(r, presentEach);
    ++repaired;
  }
  if (repaired > 0 && host_->IsLayered() && !host_->Busy()) host_->Present(nullptr);
  flushing_ = false;
}

}  // namespace ui
