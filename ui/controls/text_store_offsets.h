#pragma once
// A column of ascending integers (line starts, line tops) where an edit
// shifts every value after some index by the same amount. The shift is
// kept pending from one index on and moved only across the entries between
// the old and the new edit point, so typing at one place costs a few
// entries per keystroke instead of the whole column.
#include <cstddef>
#include <vector>

namespace ui {

class ShiftedOffsets {
 public:
  int Size() const { return static_cast<int>(values_.size()); }
  int Get(int i) const { return values_[static_cast<std::size_t>(i)] + (i >= stepAt_ ? stepBy_ : 0); }
  void Set(int i, int value) { values_[static_cast<std::size_t>(i)] = value - (i >= stepAt_ ? stepBy_ : 0); }

  // Replaces the whole column.
  void Assign(std::vector<int> values) {
    values_ = std::move(values);
    stepAt_ = Size();
    stepBy_ = 0;
  }

  // Adds `delta` to every value from index `from` on.
  void AddFrom(int from, int delta) {
    if (delta == 0 || from >= Size()) return;
    MoveStep(from);
    stepBy_ += delta;
  }

  // Removes `count` entries at `at` and inserts `inserted` (actual values)
  // in their place.
  void Replace(int at, int count, const std::vector<int>& inserted) {
    // Entries at or after the step hold values without the pending shift;
    // the new ones are stored below the step so they take no shift.
    MoveStep(at + count);
    values_.erase(values_.begin() + at, values_.begin() + at + count);
    values_.insert(values_.begin() + at, inserted.begin(), inserted.end());
    stepAt_ = at + static_cast<int>(inserted.size());
  }

  // First index whose value is greater than `value` (values ascending).
  int UpperBound(int value) const {
    int lo = 0, hi = Size();
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (Get(mid) <= value)
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  }

 private:
  // Puts the start of the pending shift at `at` without changing any value.
  void MoveStep(int at) {
    if (at > Size()) at = Size();
    if (stepBy_ == 0) {
      stepAt_ = at;
      return;
    }
    for (int i = stepAt_; i < at; ++i) values_[static_cast<std::size_t>(i)] += stepBy_;
    for (int i = at; i < stepAt_; ++i) values_[static_cast<std::size_t>(i)] -= stepBy_;
    stepAt_ = at;
    if (stepAt_ == Size()) stepBy_ = 0;
  }

  std::vector<int> values_;
  int stepAt_ = 0;  // values at and after this index lack stepBy_
  int stepBy_ = 0;
};

}  // namespace ui
