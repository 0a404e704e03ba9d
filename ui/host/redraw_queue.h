#pragma once
// UiRedrawQueue: dirty rectangles of one host, repaired in order. A layered
// host is presented once per flush, an ordinary one once per rectangle.
#include <windows.h>

#include <deque>

#include "ui/element/element_types.h"

namespace ui {

class UiRedrawQueue {
 public:
  static constexpr int kAppend = 0;
  static constexpr int kNow = 1;
  static constexpr int kFront = 2;

  void Init(HWND hwnd, UiWindow* host);
  void Clear();
  // Mode 0 appends, 2 queues first, 1 repairs and presents at once; then
  // flushes unless a flush is already running further up the stack.
  void Add(const RectF& rect, int mode);
  bool Idle() const { return !flushing_; }
  void Flush();
  size_t Pending() const { return entries_.size(); }

 private:
  HWND hwnd_ = nullptr;       // not owned
  UiWindow* host_ = nullptr;  // not owned
  std::deque<RectF> entries_;
  bool flushing_ = false;
};

}  // namespace ui
