#pragma once
// The bytes of a text, with a gap of spare room at the last edit point. An
// edit moves only the bytes between the previous edit point and its own,
// not every byte after it, so typing in the middle of a long text costs
// what typing at its end does. Reading a range that spans the gap, or the
// whole text, first moves the gap out of the way (the object stays
// logically unchanged, hence the mutable storage).
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace ui {

class GapBytes {
 public:
  std::size_t size() const { return bytes_.size() - gap_; }
  bool empty() const { return size() == 0; }
  char operator[](std::size_t i) const { return bytes_[i < at_ ? i : i + gap_]; }

  // The room a text of `length` bytes is kept in: reserving it up front
  // spares the first edit from moving the whole text to a larger block.
  static std::size_t CapacityFor(std::size_t length) { return length + SpareFor(length); }

  void Assign(std::string text) {
    const std::size_t length = text.size();
    text.resize(CapacityFor(length));  // the gap, at the end
    bytes_ = std::move(text);
    at_ = length;
    gap_ = bytes_.size() - length;
  }

  // Bytes [pos, pos + n) (cut to the text), contiguous. Valid until the
  // next call on this object.
  std::string_view View(std::size_t pos, std::size_t n) const {
    pos = std::min(pos, size());
    n = std::min(n, size() - pos);
    if (pos < at_ && pos + n > at_) {
      // Across the gap: it moves to whichever end of the range is nearer.
      MoveGap(at_ - pos <= pos + n - at_ ? pos : pos + n);
    }
    return std::string_view(bytes_.data() + (pos < at_ ? pos : pos + gap_), n);
  }

  // The whole text, without the gap.
  const std::string& Str() const {
    MoveGap(size());
    bytes_.resize(size());
    gap_ = 0;
    return bytes_;
  }

  // Replaces bytes [pos, pos + count) (cut to the text) with `text`.
  void Replace(std::size_t pos, std::size_t count, std::string_view text) {
    pos = std::min(pos, size());
    count = std::min(count, size() - pos);
    MoveGap(pos);
    gap_ += count;  // the replaced bytes join the gap
    if (text.size() > gap_) {
      // Room for this insertion and for a stretch of typing after it: what
      // the block holds unused already, or else a new block.
      const std::size_t needed = text.size() - gap_, unused = bytes_.capacity() - bytes_.size();
      const std::size_t grow = unused >= needed ? unused : needed + SpareFor(size());
      bytes_.insert(at_, grow, '\0');
      gap_ += grow;
    }
    if (!text.empty()) std::memcpy(&bytes_[at_], text.data(), text.size());
    at_ += text.size();
    gap_ -= text.size();
    // A large deletion leaves a gap that would hold far more than the text.
    if (gap_ > kMinimumGap * 16 && gap_ > size()) {
      Str();
      bytes_.shrink_to_fit();
    }
  }

 private:
  static constexpr std::size_t kMinimumGap = 4096;
  static std::size_t SpareFor(std::size_t length) { return std::max(kMinimumGap, length / 16); }

  // Puts the gap at text offset `pos` without changing the text.
  void MoveGap(std::size_t pos) const {
    if (gap_ != 0 && pos < at_) {
      std::memmove(&bytes_[pos + gap_], &bytes_[pos], at_ - pos);
    } else if (gap_ != 0 && pos > at_) {
      std::memmove(&bytes_[at_], &bytes_[at_ + gap_], pos - at_);
    }
    at_ = pos;
  }

  mutable std::string bytes_;  // text before the gap, the gap, text after it
  mutable std::size_t at_ = 0;   // where the gap starts
  mutable std::size_t gap_ = 0;  // its length
};

}  // namespace ui
