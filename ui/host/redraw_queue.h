#pragma once
// UiRedrawQueue: dirty rectangles of one host, repaired in order. A layered
// host is presented once per flush, an ordinary one once per rectangle.
// While held, rectangles are only collected (one that lies inside a queued
// one is dropped, and queued ones inside a new one go) until the next
// explicit Flush.
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
  // flushes unless a flush is already running further up the stack. While
  // held every mode just queues.
  void Add(const RectF& rect, int mode);
  void SetHeld(bool held) { held_ = held; }
  bool Held() const { return held_; }
  bool Idle() const { return !flushing_; }
  void Flush();
  size_t Pending() const { return entries_.size(); }

 private:
  HWND hwnd_ = nullptr;       // not owned
  UiWindow* host_ = nullptr;  // not owned
  std::deque<RectF> entries_;
  bool flushing_ = false;
  bool held_ = false;
};

}  // namespace ui
