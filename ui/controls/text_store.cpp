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
  kept.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kLf && (i == 0 || text[i - 1] != kCr)) continue;
    kept.push_back(text[i]);
  }
  bytes_ = std::move(kept);

  lines_.assign(1, Line{});
  if (multiLine) {
    // CR and LF never occur as trail bytes of a GBK character, so a plain
    // byte scan finds every line break.
    for (std::size_t i = 0; i + 1 < bytes_.size(); ++i) {
      if (bytes_[i] == kCr && bytes_[i + 1] == kLf) lines_.push_back(Line{static_cast<int>(i) + 3, {}});  // 1-based, after the LF
    }
  }
  mode_ = mode;
  maskChar_ = std::string(mask);
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
  const bool sameSettings = layoutKey_ && *layoutKey_ == key;
  layoutKey_ = key;
  totalHeight_ = 0;
  maxWidth_ = 0;
  lastMeasuredCount_ = 0;

  Gdiplus::RectF reference;
  MeasureText(graphics, kReferenceGlyph, font, layoutBox, format, &reference);
  lineHeight_ = static_cast<int>(reference.Height);
  charWidth_ = static_cast<int>(reference.Width);
  if (bytes_.empty()) return;

  const bool fixedHeight = (scrollBars & 1) || scrollBars == 0;
  for (int n = 1; n <= LineCount(); ++n) {
    Line& line = lines_[n - 1];
    if (!sameSettings || !line.measured) {
      Gdiplus::RectF measured;
      if (!MeasureText(graphics, ToWide(LineText(n, true)), font, layoutBox, format, &measured)) {
        measured = reference;
        measured.Width = 2;
      }
      float height = measured.Height;
      // An empty line measures zero high (so wrapped layout would stack it
      // onto the next line); it still takes one line of space.
      if (fixedHeight || height <= 0) height = static_cast<float>(lineHeight_);
      line.rect.Width = measured.Width;
      line.rect.Height = height;
      line.measured = true;
      ++lastMeasuredCount_;
    }
    // Stacking is cheap; only measuring costs, so untouched lines just move.
    line.rect.X = 0;
    line.rect.Y = static_cast<float>(totalHeight_);
    maxWidth_ = std::max(maxWidth_, static_cast<int>(line.rect.Width));
    totalHeight_ = static_cast<int>(totalHeight_ + line.rect.Height);
  }
}

void UiTextStore::InvalidateLayout() {
  layoutKey_.reset();
  for (Line& line : lines_) line.measured = false;
}

std::string_view UiTextStore::RawLine(int line) const {
  if (!IsValidLine(line)) return {};
  return std::string_view(bytes_).substr(static_cast<std::size_t>(lines_[line - 1].start - 1),
                                         static_cast<std::size_t>(LineByteLength(line)));
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
  return bytes_.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first));
}

void UiTextStore::DeleteRange(int a, int b, bool multiLine) { ReplaceRange(a, b, {}, multiLine); }

void UiTextStore::InsertAt(int position, std::string_view text, bool multiLine) {
  ReplaceRange(position, position, text, multiLine);
}

int UiTextStore::ReplaceRange(int a, int b, std::string_view text, bool multiLine) {
  const int first = std::clamp(std::min(a, b), 1, Length() + 1);
  const int last = std::clamp(std::max(a, b), 1, Length() + 1);
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

  const std::vector<Line> old = std::move(lines_);
  const int oldLength = Length();
  std::string joined;
  joined.reserve(bytes_.size() + inserted.size());
  joined.append(bytes_, 0, static_cast<std::size_t>(first - 1));
  joined.append(inserted);
  joined.append(bytes_, static_cast<std::size_t>(last - 1));
  SetText(joined, multiLine, mode_, maskChar_);

  // Lines wholly before or wholly after the replaced bytes keep their
  // measured size (the bytes before `first` and from `last` on are the
  // same, only shifted by `delta`); Layout then measures just the rest.
  const int delta = Length() - oldLength;
  const int oldCount = static_cast<int>(old.size()), newCount = LineCount();
  auto keep = [&](int oldIndex, int newIndex, int shift) {
    if (newIndex < 0 || newIndex >= newCount || !old[oldIndex].measured) return false;
    if (lines_[newIndex].start != old[oldIndex].start + shift) return false;
    const bool oldLast = oldIndex + 1 == oldCount, newLast = newIndex + 1 == newCount;
    if (oldLast != newLast) return false;
    if (!oldLast && lines_[newIndex + 1].start != old[oldIndex + 1].start + shift) return false;
    lines_[newIndex].rect = old[oldIndex].rect;
    lines_[newIndex].measured = true;
    return true;
  };
  // Before: the line and its CR LF end at or before the first replaced byte.
  for (int k = 0; k + 1 < oldCount && old[k + 1].start <= first; ++k) keep(k, k, 0);
  // After: the CR LF in front of the line starts at or after the end of the
  // replaced bytes.
  for (int k = oldCount - 1; k >= 1 && old[k].start - 2 >= last; --k) keep(k, k + newCount - oldCount, delta);

  return std::clamp(last + delta, 1, Length() + 1);
}

void UiTextStore::LineColumnAt(int position, int* line, int* column) const {
  position = std::clamp(position, 1, Length() + 1);
  // The last line whose start is at or before the position.
  const auto after = std::upper_bound(lines_.begin(), lines_.end(), position,
                                      [](int p, const Line& l) { return p < l.start; });
  const int n = std::max(1, static_cast<int>(after - lines_.begin()));
  const std::string_view raw = RawLine(n);
  const std::size_t offset = static_cast<std::size_t>(std::clamp(position - LineStart(n), 0, int(raw.size())));
  int c = 0;
  for (std::size_t i = 0; i < offset; i += CharLengthAt(raw, i)) ++c;
  *line = n;
  *column = c;
}

Gdiplus::RectF UiTextStore::LineRect(int line) const {
  return IsValidLine(line) ? lines_[line - 1].rect : Gdiplus::RectF();
}

int UiTextStore::LineStart(int line) const { return IsValidLine(line) ? lines_[line - 1].start : 0; }

int UiTextStore::LineByteLength(int line) const {
  if (!IsValidLine(line)) return 0;
  if (line == LineCount()) return Length() + 1 - lines_[line - 1].start;
  return lines_[line].start - lines_[line - 1].start - 2;
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
