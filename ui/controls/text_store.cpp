#include "ui/controls/text_store.h"

#include <algorithm>
#include <cstdlib>

#include "ui/controls/text_metrics.h"
#include "ui/core/text.h"

namespace ui {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// The glyph whose measured size gives the line height and character width.
constexpr wchar_t kReferenceGlyph[] = L"\u6CC6";  // "泆", GBK 0x9B 0x75

bool IsWordByte(unsigned char b) {
  const unsigned char lower = (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
  return (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'z');
}

}  // namespace

void UiTextStore::SetText(std::string_view text, bool multiLine, EditMode mode, std::string_view mask) {
  if (!multiLine) {
    const auto crlf = text.find("\r\n");
    if (crlf != std::string_view::npos) text = text.substr(0, crlf);
  }
  // Drop every LF that does not end a CR LF pair.
  std::string kept;
  kept.reserve(GapBytes::CapacityFor(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kLf && (i == 0 || text[i - 1] != kCr)) continue;
    kept.push_back(text[i]);
  }
  bytes_.Assign(std::move(kept));
  RebuildLines(multiLine);
  mode_ = mode;
  maskChar_ = std::string(mask);
}

void UiTextStore::RebuildLines(bool multiLine) {
  multiLine_ = multiLine;
  std::vector<int> starts(1, 1);
  if (multiLine) {
    // CR and LF never occur as trail bytes of a GBK character, so a plain
    // byte scan finds every line break.
    for (std::size_t i = 0; i + 1 < bytes_.size(); ++i) {
      if (bytes_[i] == kCr && bytes_[i + 1] == kLf) starts.push_back(static_cast<int>(i) + 3);  // 1-based, after the LF
    }
  }
  // Room for added lines up front: the first Enter in a long text would
  // otherwise move every column to a larger block.
  const std::size_t count = starts.size(), room = count + count / 16 + 16;
  std::vector<int> tops;
  starts.reserve(room);
  tops.reserve(room);
  tops.assign(count, 0);
  starts_.Assign(std::move(starts));
  tops_.Assign(std::move(tops));
  for (auto* column : {&widths_, &heights_}) {
    column->clear();
    column->reserve(room);
    column->assign(count, 0.0f);
  }
  measured_.clear();
  measured_.reserve(room);
  measured_.assign(count, 0);
  widthCounts_.clear();
  maxWidth_ = 0;
  totalHeight_ = 0;
  dirtyFirst_ = 0;
  dirtyLast_ = static_cast<int>(count);
}

void UiTextStore::SetStrategy(Strategy strategy) {
  if (strategy == strategy_) return;
  strategy_ = strategy;
  measurer_.SetSumming(strategy.summedWidths && summingAllowed_);
  InvalidateLayout();
}

void UiTextStore::SetSummingAllowed(bool allowed) {
  if (allowed == summingAllowed_) return;
  summingAllowed_ = allowed;
  measurer_.SetSumming(strategy_.summedWidths && allowed);
  InvalidateLayout();
}

void UiTextStore::SetLineSize(int i, float width, float height) {
  ForgetLineSize(i);
  widths_[i] = width;
  heights_[i] = height;
  measured_[i] = 1;
  // Tops are whole pixels: y(n + 1) = trunc(y(n) + height(n)) = y(n) + trunc(height(n)).
  const int share = static_cast<int>(height);
  totalHeight_ += share;
  tops_.AddFrom(i + 1, share);
  const int w = static_cast<int>(width);
  ++widthCounts_[w];
  maxWidth_ = std::max(0, widthCounts_.rbegin()->first);
}

void UiTextStore::ForgetLineSize(int i) {
  if (!measured_[i]) return;
  measured_[i] = 0;
  const int share = static_cast<int>(heights_[i]);
  totalHeight_ -= share;
  tops_.AddFrom(i + 1, -share);
  const auto it = widthCounts_.find(static_cast<int>(widths_[i]));
  if (it != widthCounts_.end() && --it->second == 0) widthCounts_.erase(it);
  maxWidth_ = widthCounts_.empty() ? 0 : std::max(0, widthCounts_.rbegin()->first);
  widths_[i] = heights_[i] = 0;
}

void UiTextStore::MarkDirty(int first, int last) {
  if (dirtyFirst_ >= dirtyLast_) {
    dirtyFirst_ = first;
    dirtyLast_ = last;
  } else {
    dirtyFirst_ = std::min(dirtyFirst_, first);
    dirtyLast_ = std::max(dirtyLast_, last);
  }
}

void UiTextStore::MeasureLine(int i, Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& layoutBox,
                              bool fixedHeight, const Gdiplus::RectF& reference) {
  const LayoutKey& key = *layoutKey_;
  Gdiplus::RectF measured;
  if (!measurer_.Measure(graphics, ToWide(LineText(i + 1, true)), key.font, layoutBox, key.format, &measured)) {
    measured = reference;
    measured.Width = 2;
  }
  float height = measured.Height;
  // An empty line measures zero high (so wrapped layout would stack it
  // onto the next line); it still takes one line of space.
  if (fixedHeight || height <= 0) height = static_cast<float>(lineHeight_);
  SetLineSize(i, measured.Width, height);
  ++lastMeasuredCount_;
}

void UiTextStore::Layout(Gdiplus::GpGraphics* graphics, const Gdiplus::RectF& box, Gdiplus::GpFont* font,
                         Gdiplus::GpStringFormat* format, int scrollBars) {
  // With a horizontal bar lines never wrap (unbounded box); with only a
  // vertical bar they wrap at the text width; single-line keeps the box, so
  // a long line wraps onto hidden rows instead of growing wider.
  Gdiplus::RectF layoutBox = box;
  if (scrollBars & 1) {
    layoutBox.Width = 0;
    layoutBox.Height = 0;
  } else if (scrollBars == 2) {
    layoutBox.Height = 0;
  }
  const LayoutKey key{font, format, layoutBox.Width, layoutBox.Height, scrollBars};
  const bool sameKey = layoutKey_ && *layoutKey_ == key;
  const bool sameSettings = sameKey && strategy_.incremental;
  // Other settings (a new font may even reuse a freed one's address): the
  // advances are learnt again.
  if (!sameKey) measurer_.Reset();
  layoutKey_ = key;
  lastMeasuredCount_ = 0;
  measurer_.ResetCount();

  if (!sameSettings) {
    // The reference glyph, and every line again.
    MeasureText(graphics, kReferenceGlyph, font, layoutBox, format, &reference_);
    lineHeight_ = static_cast<int>(reference_.Height);
    charWidth_ = static_cast<int>(reference_.Width);
    for (int i = 0; i < LineCount(); ++i) ForgetLineSize(i);
    dirtyFirst_ = 0;
    dirtyLast_ = LineCount();
  }
  if (bytes_.empty()) {
    // Nothing to measure: one empty line of no size.
    ForgetLineSize(0);
    dirtyFirst_ = dirtyLast_ = 0;
    lastRealCount_ = 0;
    return;
  }

  const bool fixedHeight = (scrollBars & 1) || scrollBars == 0;
  const int last = std::min(dirtyLast_, LineCount());
  for (int i = std::max(0, dirtyFirst_); i < last; ++i) {
    if (!measured_[i]) MeasureLine(i, graphics, layoutBox, fixedHeight, reference_);
  }
  dirtyFirst_ = dirtyLast_ = 0;
  lastRealCount_ = measurer_.RealMeasures();
}

std::optional<float> UiTextStore::PrefixAdvance(std::wstring_view text, int count) {
  if (!layoutKey_) return std::nullopt;
  return measurer_.PrefixAdvance(text, Gdiplus::RectF(0, 0, layoutKey_->boxWidth, layoutKey_->boxHeight), count);
}

bool UiTextStore::PrefixAdvances(std::wstring_view text, std::vector<float>* starts) {
  return layoutKey_ &&
         measurer_.PrefixAdvances(text, Gdiplus::RectF(0, 0, layoutKey_->boxWidth, layoutKey_->boxHeight), starts);
}

void UiTextStore::InvalidateLayout() {
  layoutKey_.reset();
  measurer_.Reset();
}

std::string_view UiTextStore::RawLine(int line) const {
  if (!IsValidLine(line)) return {};
  return bytes_.View(static_cast<std::size_t>(LineStart(line) - 1), static_cast<std::size_t>(LineByteLength(line)));
}

std::string UiTextStore::LineText(int line, bool forDisplay, std::optional<int> byteCount) const {
  std::string_view raw = RawLine(line);
  if (byteCount) raw = raw.substr(0, static_cast<std::size_t>(std::clamp(*byteCount, 0, int(raw.size()))));
  if (!forDisplay) return std::string(raw);
  std::string shown;
  if (mode_ == EditMode::Password) {
    const std::size_t n = CharCount(raw);
    shown.reserve(n * maskChar_.size());
    for (std::size_t i = 0; i < n; ++i) shown += maskChar_;
    return shown;
  }
  shown.assign(raw);
  // Only single-byte spaces: 0x20 is never a GBK trail byte.
  if (spacesAsTabs_) std::replace(shown.begin(), shown.end(), ' ', '\t');
  return shown;
}

std::string UiTextStore::Range(int a, int b) const {
  const long long first = std::clamp<long long>(std::min(a, b), 1, Length() + 1LL);
  const long long last = std::clamp<long long>(std::max(a, b), 1, Length() + 1LL);
  return std::string(bytes_.View(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first)));
}

void UiTextStore::DeleteRange(int a, int b, bool multiLine) { ReplaceRange(a, b, {}, multiLine); }

void UiTextStore::InsertAt(int position, std::string_view text, bool multiLine) {
  ReplaceRange(position, position, text, multiLine);
}

void UiTextStore::ReplaceRangeFully(int first, int last, const std::string& inserted, bool multiLine) {
  const std::string& all = bytes_.Str();
  std::string joined;
  joined.reserve(all.size() + inserted.size());
  joined.append(all, 0, static_cast<std::size_t>(first - 1));
  joined.append(inserted);
  joined.append(all, static_cast<std::size_t>(last - 1));
  SetText(joined, multiLine, mode_, maskChar_);
}

int UiTextStore::ReplaceRange(int a, int b, std::string_view text, bool multiLine) {
  const int first = std::clamp(std::min(a, b), 1, Length() + 1);
  int last = std::clamp(std::max(a, b), 1, Length() + 1);
  std::string inserted(text);
  if (!multiLine) {
    // A single line holds no break: cutting the whole text at the first
    // CR LF (what SetText does) would throw away everything after the
    // insertion point, so only the inserted part is cut. An LF is dropped
    // too, so that it cannot pair with a CR before the insertion point.
    const auto crlf = inserted.find("\r\n");
    if (crlf != std::string::npos) inserted.resize(crlf);
    inserted.erase(std::remove(inserted.begin(), inserted.end(), kLf), inserted.end());
  }
  const int oldLength = Length();
  const int requestedLast = last;
  if (!strategy_.incremental || multiLine != multiLine_) {
    ReplaceRangeFully(first, last, inserted, multiLine);
    return std::clamp(requestedLast + Length() - oldLength, 1, Length() + 1);
  }

  // What SetText would make of the joined text, done in place: an LF
  // stays only right after a CR (judged on the joined bytes before
  // dropping), so only the inserted bytes and the first byte after them
  // can be dropped; every other byte keeps its neighbours.
  std::string kept;
  kept.reserve(inserted.size());
  char previous = first > 1 ? bytes_[static_cast<std::size_t>(first - 2)] : '\0';
  bool hasPrevious = first > 1;
  for (char c : inserted) {
    if (!(c == kLf && (!hasPrevious || previous != kCr))) kept.push_back(c);
    previous = c;
    hasPrevious = true;
  }
  if (last <= Length() && bytes_[static_cast<std::size_t>(last - 1)] == kLf && (!hasPrevious || previous != kCr))
    ++last;  // the LF after the replaced bytes lost its CR

  // Lines from the one holding `first` up to the last one that does not
  // start after a CR LF wholly at or after `last` are rebuilt; the lines
  // before keep their start, the lines after shift by the length change.
  const int lineA = std::max(0, starts_.UpperBound(first) - 1);
  const int afterB = starts_.UpperBound(last + 1);  // first line with start >= last + 2
  const int oldLines = LineCount();
  const int delta = static_cast<int>(kept.size()) - (last - first);
  bytes_.Replace(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first), kept);

  std::vector<int> starts(1, starts_.Get(lineA));
  if (multiLine) {
    // Breaks whose CR lies in the rebuilt lines; the CR LF in front of the
    // first kept line (its CR at 0-based start - 3) is not one of them.
    const std::size_t scanFrom = static_cast<std::size_t>(starts_.Get(lineA) - 1);
    const std::size_t scanTo = afterB < oldLines ? static_cast<std::size_t>(starts_.Get(afterB) - 3 + delta)
                                                 : bytes_.size();
    for (std::size_t i = scanFrom; i < scanTo && i + 1 < bytes_.size(); ++i)
      if (bytes_[i] == kCr && bytes_[i + 1] == kLf) starts.push_back(static_cast<int>(i) + 3);
  }
  const int removed = afterB - lineA, added = static_cast<int>(starts.size());
  for (int i = lineA; i < afterB; ++i) ForgetLineSize(i);
  // The removed lines have no size now, so the new ones start at the same top.
  std::vector<int> tops(static_cast<std::size_t>(added), tops_.Get(lineA));
  starts_.AddFrom(afterB, delta);
  starts_.Replace(lineA, removed, starts);
  tops_.Replace(lineA, removed, tops);
  const auto at = static_cast<std::ptrdiff_t>(lineA);
  widths_.erase(widths_.begin() + at, widths_.begin() + at + removed);
  widths_.insert(widths_.begin() + at, static_cast<std::size_t>(added), 0.0f);
  heights_.erase(heights_.begin() + at, heights_.begin() + at + removed);
  heights_.insert(heights_.begin() + at, static_cast<std::size_t>(added), 0.0f);
  measured_.erase(measured_.begin() + at, measured_.begin() + at + removed);
  measured_.insert(measured_.begin() + at, static_cast<std::size_t>(added), 0);

  // Lines already waiting to be measured move with the lines after them.
  if (dirtyFirst_ < dirtyLast_) {
    auto moved = [&](int index) { return index <= lineA ? index : index >= afterB ? index + added - removed : lineA; };
    dirtyFirst_ = moved(dirtyFirst_);
    dirtyLast_ = std::max(moved(dirtyLast_), dirtyFirst_);
  }
  MarkDirty(lineA, lineA + added);
  return std::clamp(requestedLast + Length() - oldLength, 1, Length() + 1);
}

void UiTextStore::LineColumnAt(int position, int* line, int* column) const {
  position = std::clamp(position, 1, Length() + 1);
  // The last line whose start is at or before the position.
  const int n = std::max(1, starts_.UpperBound(position));
  const std::string_view raw = RawLine(n);
  const std::size_t offset = static_cast<std::size_t>(std::clamp(position - LineStart(n), 0, int(raw.size())));
  int c = 0;
  for (std::size_t i = 0; i < offset; i += CharLengthAt(raw, i)) ++c;
  *line = n;
  *column = c;
}

Gdiplus::RectF UiTextStore::LineRect(int line) const {
  if (!IsValidLine(line)) return Gdiplus::RectF();
  const int i = line - 1;
  if (!measured_[static_cast<std::size_t>(i)]) return Gdiplus::RectF();
  return Gdiplus::RectF(0, static_cast<float>(tops_.Get(i)), widths_[static_cast<std::size_t>(i)],
                        heights_[static_cast<std::size_t>(i)]);
}

int UiTextStore::LineStart(int line) const { return IsValidLine(line) ? starts_.Get(line - 1) : 0; }

int UiTextStore::LineByteLength(int line) const {
  if (!IsValidLine(line)) return 0;
  if (line == LineCount()) return Length() + 1 - starts_.Get(line - 1);
  return starts_.Get(line) - starts_.Get(line - 1) - 2;
}

int UiTextStore::LineCharCount(int line) const { return static_cast<int>(CharCount(RawLine(line))); }

int UiTextStore::BytePosition(int line, int column) const {
  if (!IsValidLine(line)) return 0;
  if (column <= 0) return LineStart(line);
  return LineStart(line) + static_cast<int>(ByteOffsetOfColumn(RawLine(line), static_cast<std::size_t>(column)));
}

int UiTextStore::WordStart(int line, int column) const {
  const std::string_view raw = RawLine(line);
  // Character start offsets, so that stepping left never lands on a trail byte.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < raw.size(); i += CharLengthAt(raw, i)) starts.push_back(i);
  int c = std::clamp(column, 0, static_cast<int>(starts.size()));
  while (c > 0 && IsWordByte(static_cast<unsigned char>(raw[starts[c - 1]]))) --c;
  return c;
}

int UiTextStore::WordEnd(int line, int column) const {
  const std::string_view raw = RawLine(line);
  const int count = static_cast<int>(CharCount(raw));
  int c = std::clamp(column, 0, count);
  std::size_t i = ByteOffsetOfColumn(raw, static_cast<std::size_t>(c));
  while (c < count && IsWordByte(static_cast<unsigned char>(raw[i]))) {
    i += CharLengthAt(raw, i);
    ++c;
  }
  return c;
}

}  // namespace ui
