// UiEdit: layout, hit testing, scrolling and drawing of text, selection and
// caret.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "ui/controls/edit.h"
#include "ui/controls/text_metrics.h"
#include "ui/core/bitmap_pixels.h"
#include "ui/core/text.h"
#include "ui/element/text_drawing.h"
#include "ui/host/window.h"

namespace ui {

namespace {

constexpr Argb kSelectionColor = ArgbOf(254, 51, 153, 255);
constexpr Argb kSelectedTextColor = ArgbOf(254, 255, 255, 255);
constexpr Argb kCaretColor = ArgbOf(230, 0, 0, 0);
constexpr int kBarThickness = 10;
constexpr UINT kPresentCanvasMessage = 10253;
// How far a line may draw beyond its rect: the selection highlight starts
// 3 px above the row and ends 1 px below it; glyphs stay inside.
constexpr float kLineOverhang = 4;

int Trunc(float v) { return static_cast<int>(v); }

bool Contains(const Gdiplus::RectF& r, float x, float y) {
  return x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height;
}

}  // namespace

std::wstring UiEdit::DisplayText(int line) const { return ToWide(textStore_.LineText(line, true)); }

Gdiplus::RectF UiEdit::PlacedBox(const Gdiplus::RectF& lineRect) const {
  // The box grows by the scrolled-away amount so wrapping does not change.
  return Gdiplus::RectF(lineRect.X + scrollX_ + textRect_.X, lineRect.Y + scrollY_ + textRect_.Y,
                        lineRect.Width - scrollX_, lineRect.Height - scrollY_);
}

void UiEdit::PlaceText(Gdiplus::GpGraphics* g) {
  const RectF b = Bounds();
  const float w = static_cast<float>(Trunc(b.width)), h = static_cast<float>(Trunc(b.height));
  Gdiplus::RectF r(2, 2, w - 4, h - 4);
  if (!multiLine_) {
    // One line, centred vertically.
    float fontHeight = 0;
    gp::GdipGetFontHeight(font_, g, &fontHeight);
    const int lineBox = Trunc(fontHeight + 3);
    r.Y += Trunc((r.Height - lineBox) / 2);
    r.Height = static_cast<float>(lineBox);
  }
  r.Y += 1;
  if (multiLine_) r.Height -= 1;
  contentRect_ = r;
  textRect_ = r;
}

bool UiEdit::LayOut(Gdiplus::GpGraphics* g) {
  textStore_.SetSummingAllowed(Scale().IsUnit());
  textStore_.Layout(g, textRect_, font_, stringFormat_.Handle(), scrollBars_);
  return ArrangeScrollBars(false, true);
}

bool UiEdit::Render(bool relayout) {
  const WeakRef<UiElement> self(this);
  // While the host holds redraws the edit is drawn once, in the held frame
  // (its paint event renders it then); only a new layout is made now, for
  // the caret and scroll positions set in the meantime.
  if (UiWindow* host = Host(); host && host->PutOffRepaint(this)) {
    if (!relayout) return true;
    Gdiplus::GpGraphics* g = Graphics();
    PlaceText(g);
    return ArrangeScrollBars(true, false) && LayOut(g);
  }
  Paint([&](const PaintContext& pc) {
    Gdiplus::GpGraphics* g = pc.graphics;
    const RectF b = Bounds();
    const float w = static_cast<float>(Trunc(b.width)), h = static_cast<float>(Trunc(b.height));
    FillSolidRect(g, pc.bitmap, Gdiplus::RectF(0, 0, w, h), backColor_);
    DrawBorderStyle(g, Gdiplus::RectF(0, 0, w, h), borderColor_);
    PlaceText(g);

    OnBeforeDrawText();
    if (!self || !ArrangeScrollBars(true, false)) return;
    if (relayout && !LayOut(g)) return;
    DrawLines(g);
    selectionShown_ = !(anchor_ == caret_);
  });
  return static_cast<bool>(self);
}

bool UiEdit::RenderAfterEdit(int first, int last, int shift, int oldScrollX, int oldScrollY,
                             std::optional<int> fromColumn) {
  if (scrollX_ != oldScrollX || !textStore_.GetStrategy().incremental) return Render(false);
  return RenderLines(first, last, shift, scrollY_ - oldScrollY, fromColumn);
}

std::optional<UiEdit::LineTail> UiEdit::TailOf(int line, int fromColumn) {
  // Drawing starts three characters before the change and the redrawn
  // area one character before it: the ink a glyph puts beyond its own cell
  // (and the padding before the first glyph) is drawn as before.
  const int startChar = std::max(0, fromColumn - 3), areaChar = fromColumn - 1;
  if (areaChar <= 0 || !textStore_.GetStrategy().summedWidths) return std::nullopt;
  const std::wstring text = DisplayText(line);
  if (static_cast<int>(text.size()) != textStore_.LineCharCount(line)) return std::nullopt;
  const std::optional<float> start = textStore_.PrefixAdvance(text, startChar);
  const std::optional<float> area = textStore_.PrefixAdvance(text, areaChar);
  if (!start || !area) return std::nullopt;
  return LineTail{startChar, *start, *area};
}

namespace {

// Rows [top, bottom) of the columns [x, x + width) of an element bitmap.
class BitmapRows {
 public:
  BitmapRows(Gdiplus::GpBitmap* bitmap, int x, int width, int top, int bottom)
      : bitmap_(bitmap), top_(top), bottom_(bottom), rowBytes_(static_cast<std::size_t>(width) * 4) {
    Gdiplus::Rect rect(x, top, width, bottom - top);
    locked_ = width > 0 && bottom > top &&
              gp::Ok(gp::GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                                            PixelFormat32bppARGB, &data_));
  }
  BitmapRows(const BitmapRows&) = delete;
  BitmapRows& operator=(const BitmapRows&) = delete;
  ~BitmapRows() {
    if (locked_) gp::GdipBitmapUnlockBits(bitmap_, &data_);
  }
  bool Locked() const { return locked_; }

  // Rows [m.top, m.bottom) take what the rows `m.delta` above held, as far
  // as those lie inside the locked rows. Each move reads the rows as they
  // were before any of them: in place, in an order where no move writes
  // rows another one has still to read, or else from a copy.
  template <class RowMoves>
  void Move(const RowMoves& moves) {
    std::vector<Span> spans;
    for (const auto& m : moves) {
      const Span s{std::max(m.top, top_ + m.delta), std::min(m.bottom, bottom_ + m.delta), m.delta};
      if (s.from < s.to) spans.push_back(s);
    }
    if (spans.size() == 2 && Overwrites(spans[0], spans[1])) std::swap(spans[0], spans[1]);
    if (spans.size() > 2 || (spans.size() == 2 && Overwrites(spans[0], spans[1]))) {
      MoveFromCopy(spans);
      return;
    }
    for (const Span& s : spans) MoveInPlace(s);
  }

 private:
  struct Span {
    int from, to, delta;  // rows [from, to) take the rows `delta` above
  };
  // Moving `writer` first would spoil rows that `reader` reads.
  static bool Overwrites(const Span& writer, const Span& reader) {
    return writer.from < reader.to - reader.delta && reader.from - reader.delta < writer.to;
  }
  void MoveInPlace(const Span& s) {
    // Rows moving down are copied from the bottom up, so each source row is
    // read before it is written; rows moving up the other way round.
    if (s.delta > 0) {
      for (int y = s.to - 1; y >= s.from; --y) std::memcpy(Row(y), Row(y - s.delta), rowBytes_);
    } else {
      for (int y = s.from; y < s.to; ++y) std::memcpy(Row(y), Row(y - s.delta), rowBytes_);
    }
  }
  void MoveFromCopy(const std::vector<Span>& spans) {
    std::vector<BYTE> old(rowBytes_ * static_cast<std::size_t>(bottom_ - top_));
    for (int y = top_; y < bottom_; ++y) std::memcpy(&old[Offset(y)], Row(y), rowBytes_);
    for (const Span& s : spans)
      for (int y = s.from; y < s.to; ++y) std::memcpy(Row(y), &old[Offset(y - s.delta)], rowBytes_);
  }
  std::size_t Offset(int y) const { return rowBytes_ * static_cast<std::size_t>(y - top_); }
  BYTE* Row(int y) { return static_cast<BYTE*>(data_.Scan0) + static_cast<std::ptrdiff_t>(y - top_) * data_.Stride; }

  Gdiplus::GpBitmap* bitmap_;
  int top_, bottom_;
  std::size_t rowBytes_;
  Gdiplus::BitmapData data_{};
  bool locked_ = false;
};

bool IsWholeNumber(float v) { return static_cast<float>(static_cast<int>(v)) == v; }

}  // namespace

bool UiEdit::RenderLines(int first, int last, int shift, int scroll, std::optional<int> fromColumn) {
  UiWindow* host = Host();
  if (!host || !Visible() || !AutoRefresh() || TransitionInterval() != 0 || host->Busy() ||
      !Scale().IsUnit())  // moved pixels must land on whole device pixels
    return Render(false);
  const int count = textStore_.LineCount();
  // No changed line: the changed rows are an empty band where line `first` starts.
  const bool noneChanged = first == last + 1;
  first = std::clamp(first, 1, noneChanged ? count + 1 : count);
  last = noneChanged ? first - 1 : std::clamp(last, first, count);
  // The changed lines as they stand now, widened by what a line may draw
  // beyond its rect (the selection highlight reaches 3 px up).
  const int textTop = Trunc(textRect_.Y), textBottom = Trunc(textRect_.Y + textRect_.Height);
  // Without a selection highlight, before or now, every line of a
  // multi-line box keeps to its own rect: only the changed lines' rows are
  // drawn again, not the edges of their neighbours.
  if (!(anchor_ == caret_)) selectionShown_ = true;
  const int overhang = selectionShown_ || !multiLine_ ? static_cast<int>(kLineOverhang) : 0;
  linesOverhang_ = static_cast<float>(overhang);
  int top = 0, changedEnd = 0;
  if (noneChanged) {
    // Where line `first` starts: after the line above it (0 for none).
    const Gdiplus::RectF above = textStore_.LineRect(first - 1);
    const float y = first > 1 ? above.Y + above.Height : 0.0f;
    top = changedEnd = std::clamp(static_cast<int>(std::ceil(y + scrollY_ + textRect_.Y)), textTop, textBottom);
  } else {
    const Gdiplus::RectF firstRect = textStore_.LineRect(first), lastRect = textStore_.LineRect(last);
    top = std::clamp(Trunc(firstRect.Y + scrollY_ + textRect_.Y) - overhang, textTop, textBottom);
    changedEnd = std::clamp(
        static_cast<int>(std::ceil(lastRect.Y + lastRect.Height + scrollY_ + textRect_.Y)) + overhang, top, textBottom);
  }
  // The lines above moved with the scrolling, the lines below with it and
  // the change of the text's height: their pixels move along, and the rows
  // that come into the text rect from outside it are drawn.
  std::vector<RowMove> moves;
  if (scroll != 0) moves.push_back({textTop, top, scroll});
  if (scroll + shift != 0) moves.push_back({changedEnd, textBottom, scroll + shift});
  std::vector<std::pair<int, int>> redraw{{top, changedEnd}};
  for (const RowMove& m : moves) {
    if (m.bottom <= m.top) continue;
    // Rows whose source lies inside the old text rect.
    const int from = std::max(m.top, textTop + m.delta), to = std::min(m.bottom, textBottom + m.delta);
    if (from >= to) {
      redraw.push_back({m.top, m.bottom});
      continue;
    }
    if (from > m.top) redraw.push_back({m.top, std::min(m.bottom, from + overhang)});
    if (to < m.bottom) redraw.push_back({std::max(m.top, to - overhang), m.bottom});
  }
  const float left = textRect_.X, width = textRect_.Width;
  const int paintedTop = moves.empty() || scroll == 0 ? top : textTop;
  const int paintedEnd = moves.empty() ? changedEnd : textBottom;

  // One line changed from a column on, nothing moved, nothing selected:
  // only the line's tail may be drawn again.
  std::optional<LineTail> tail;
  float tailLeft = left;
  if (tailCheck_.font != font_ || tailCheck_.format != stringFormat_.Handle() || tailCheck_.back != backColor_ ||
      tailCheck_.textColourGeneration != textColourGeneration_)
    tailCheck_ = TailCheck{font_, stringFormat_.Handle(), backColor_, textColourGeneration_, 0, false};
  if (fromColumn && !tailCheck_.failed && !noneChanged && first == last && moves.empty() && anchor_ == caret_ &&
      !selectionShown_ && redraw.size() == 1) {
    tail = TailOf(first, *fromColumn);
    if (tail) {
      const Gdiplus::RectF rect = textStore_.LineRect(first);
      tailLeft = std::floor(rect.X + static_cast<float>(scrollX_) + textRect_.X + tail->areaOffset);
      if (!(tailLeft > left && tailLeft < left + width)) tail.reset();
    }
  }
  const bool tailChecked = tail && tailCheck_.passed < kTailChecks;
  const float paintLeft = tail && !tailChecked ? tailLeft : left;
  const float paintWidth = left + width - paintLeft;

  const WeakRef<UiElement> self(this);
  const RectF b = Bounds();
  bool moved = true;
  Paint(
      [&](const PaintContext& pc) {
        Gdiplus::GpGraphics* g = pc.graphics;
        if (!moves.empty()) {
          gp::GdipFlush(g, Gdiplus::FlushIntentionSync);
          BitmapRows rows(pc.bitmap, Trunc(left), Trunc(width), textTop, textBottom);
          moved = rows.Locked();
          if (!moved) return;
          rows.Move(moves);
        }
        // What a fresh full render puts under the lines, inside the area only.
        const auto fillUnderLines = [&](const Gdiplus::RectF& area) {
          gp::GdipSetClipRect(g, area.X, area.Y, area.Width, area.Height, Gdiplus::CombineModeReplace);
          gp::GdipGraphicsClear(g, 0);
          // The fill is the full render's, cut down to the area grown by a
          // pixel: every pixel inside the clip is covered as before, but
          // the platform no longer fills the whole element to clip it.
          const float fillRight = std::min(static_cast<float>(Trunc(b.width)), area.X + area.Width + 1);
          const float fillBottom = std::min(static_cast<float>(Trunc(b.height)), area.Y + area.Height + 1);
          const float fillX = std::max(0.0f, area.X - 1), fillY = std::max(0.0f, area.Y - 1);
          gp::SolidBrush back;
          if (fillRight > fillX && fillBottom > fillY && gp::Ok(gp::GdipCreateSolidFill(backColor_, back.put())))
            gp::GdipFillRectangle(g, back.get(), fillX, fillY, fillRight - fillX, fillBottom - fillY);
          gp::GdipResetClip(g);
        };
        // Fills `area` as a full render leaves it under the lines, then
        // draws the lines (or the tail) that reach into it.
        const auto drawArea = [&](const Gdiplus::RectF& area, const LineTail* lineTail) {
          const int from = Trunc(area.Y), to = from + Trunc(area.Height);
          if (to > from) {
            // The fill covers every pixel of the cleared area alike: the
            // pixel it leaves is set on all of them straight away.
            const std::optional<Argb> pixel = FillPixel(g);
            const RECT pixels{Trunc(area.X), from, Trunc(area.X + area.Width), to};
            if (pixel && IsWholeNumber(area.X) && IsWholeNumber(area.Width) &&
                gp::Ok(gp::GdipFlush(g, Gdiplus::FlushIntentionSync)) && FillArgbPixels(pc.bitmap, pixels, *pixel))
              stampTarget_ = StampTarget{pc.bitmap, *pixel};
            else
              fillUnderLines(area);
          }
          OnBeforeDrawText();
          if (!self) return false;
          // Also for an empty area: the visible-line bookkeeping runs as in a full render.
          linesClip_ = area;
          drawTail_ = lineTail;
          drawTailLine_ = first;
          DrawLines(g);
          stampTarget_.reset();
          drawTail_ = nullptr;
          linesClip_.reset();
          return true;
        };
        for (const auto& [from, to] : redraw) {
          const Gdiplus::RectF area(left, static_cast<float>(from), width, static_cast<float>(std::max(0, to - from)));
          const Gdiplus::RectF tailArea(tailLeft, area.Y, left + width - tailLeft, area.Height);
          if (tail && !tailChecked) {
            if (!drawArea(tailArea, &*tail)) return;
            continue;
          }
          if (!drawArea(area, nullptr)) return;
          if (!tailChecked) continue;
          // The first tails for these settings: drawn over the whole line's
          // pixels, which must come out the same; they are put back and
          // tails are not drawn alone any more when they do not.
          const RECT tailPixels{Trunc(tailLeft), from, Trunc(left + width), to};
          std::vector<Argb> whole, alone;
          if (!gp::Ok(gp::GdipFlush(g, Gdiplus::FlushIntentionSync)) ||
              !ReadArgbPixels(pc.bitmap, tailPixels, whole)) {
            tailCheck_.failed = true;
            continue;
          }
          if (!drawArea(tailArea, &*tail)) return;
          const bool same = gp::Ok(gp::GdipFlush(g, Gdiplus::FlushIntentionSync)) &&
                            ReadArgbPixels(pc.bitmap, tailPixels, alone) && alone == whole;
          if (same) {
            ++tailCheck_.passed;
          } else {
            tailCheck_.failed = true;
            WriteArgbPixels(pc.bitmap, tailPixels, whole);
          }
        }
      },
      false, RectF{paintLeft, static_cast<float>(paintedTop), paintWidth, static_cast<float>(paintedEnd - paintedTop)});
  if (!self) return false;
  if (!moved) return Render(false);
  if (paintedEnd <= paintedTop) {
    // Nothing drawn: the caret drawn on the canvas is still taken away.
    if (drawnCaret_) host->InvalidateRect(*drawnCaret_, 0);
    return static_cast<bool>(self);
  }
  const RectF painted{b.x + paintLeft, b.y + paintedTop, paintWidth, static_cast<float>(paintedEnd - paintedTop)};
  // The caret drawn on the canvas reaches a row above its line: composed
  // again where the painted rows leave it (with the moved rows it may
  // have moved anywhere in them).
  std::optional<RectF> caret = drawnCaret_;
  const bool movedOnHost = !moves.empty() && MoveOnHost(*host, moves, textTop, textBottom);
  if (caret && movedOnHost) {
    const float caretTop = std::min(caret->y, painted.y);
    caret = RectF{caret->x, caretTop, 1, std::max(caret->Bottom(), painted.Bottom()) - caretTop};
  }
  if (caret && (movedOnHost || caret->y < painted.y || caret->Bottom() > painted.Bottom() ||
                caret->x < painted.x || caret->Right() > painted.Right())) {
    host->InvalidateRect(*caret, 0);
    if (!self) return false;
  }
  if (!movedOnHost) {
    host->InvalidateRect(painted, 0);
    return static_cast<bool>(self);
  }
  // The moved rows are on the window already; only the drawn ones are composed.
  std::vector<std::pair<int, int>> strips;
  std::sort(redraw.begin(), redraw.end());
  for (const auto& [from, to] : redraw) {
    if (to <= from) continue;
    if (!strips.empty() && from <= strips.back().second)
      strips.back().second = std::max(strips.back().second, to);
    else
      strips.push_back({from, to});
  }
  for (const auto& [from, to] : strips) {
    host->InvalidateRect(RectF{b.x + left, b.y + from, width, static_cast<float>(to - from)}, 0);
    if (!self) return false;
  }
  if (strips.empty() && !caret && host->IsLayered()) host->Present();
  return static_cast<bool>(self);
}

std::optional<Argb> UiEdit::FillPixel(Gdiplus::GpGraphics* g) {
  if (!fillPixel_ || fillPixel_->first != backColor_) {
    const std::optional<Argb> pixel = FilledPixel(backColor_, g);
    if (!pixel) return std::nullopt;
    fillPixel_.emplace(backColor_, *pixel);
  }
  return fillPixel_->second;
}

bool UiEdit::MoveOnHost(UiWindow& host, const std::vector<RowMove>& moves, int textTop, int textBottom) {
  const RectF b = Bounds();
  if (!IsWholeNumber(b.x) || !IsWholeNumber(b.y)) return false;
  const int x = static_cast<int>(b.x), y = static_cast<int>(b.y);
  std::vector<RowShift> shifts;
  for (const RowMove& m : moves) {
    // The rows the bitmap took from inside the old text rect.
    const int from = std::max(m.top, textTop + m.delta), to = std::min(m.bottom, textBottom + m.delta);
    if (from < to) shifts.push_back({y + from, y + to, m.delta});
  }
  return host.MoveComposedRows(this, x + Trunc(textRect_.X), x + Trunc(textRect_.X) + Trunc(textRect_.Width),
                               shifts);
}

bool UiEdit::ArrangeScrollBars(bool reposition, bool updateRanges) {
  if (!multiLine_) return true;
  // Moving or re-ranging a bar redraws and may scroll this edit.
  const WeakRef<UiElement> self(this);
  if (reposition) {
    const RectF b = Bounds();
    if (scrollBars_ & 2) {
      textRect_.Width -= kBarThickness;
      const float height = textRect_.Height - ((scrollBars_ & 1) ? kBarThickness : 0);
      vScrollBar_.SetBounds(Trunc(b.x + textRect_.X + textRect_.Width), Trunc(b.y + textRect_.Y), kBarThickness,
                            Trunc(height));
      if (!self) return false;
    }
    if (scrollBars_ & 1) {
      textRect_.Height -= kBarThickness;
      hScrollBar_.SetBounds(Trunc(b.x + textRect_.X), Trunc(b.y + textRect_.Y + textRect_.Height),
                            Trunc(textRect_.Width), kBarThickness);
      if (!self) return false;
    }
  }
  if (updateRanges) {
    // The caret may have scrolled the text past the old range (Enter at the
    // end): the bar cut that position to its old maximum, so it is given the
    // text's scroll again together with the range that fits it.
    if (scrollBars_ & 2) {
      vScrollBar_.LineStep(textStore_.LineHeight());
      vScrollBar_.Arrange(Trunc(textStore_.TotalHeight() - textRect_.Height), -scrollY_);
      if (!self) return false;
    }
    if (scrollBars_ & 1) hScrollBar_.Arrange(Trunc(textStore_.MaxWidth() - textRect_.Width), -scrollX_);
  }
  return static_cast<bool>(self);
}

void UiEdit::SetScrollY(int position) {
  const int old = scrollY_;
  scrollY_ = -position;
  caretRect_.Y += static_cast<float>(scrollY_ - old);
  Render(false);
}

void UiEdit::SetScrollX(int position) {
  const int old = scrollX_;
  scrollX_ = -position;
  caretRect_.X += static_cast<float>(scrollX_ - old);
  Render(false);
}

void UiEdit::DrawLines(Gdiplus::GpGraphics* g) {
  firstVisibleLine_ = std::max(1, LineFromY(-scrollY_, firstVisibleLine_));
  lastDrawnLine_ = firstVisibleLine_;
  for (int i = firstVisibleLine_; i <= textStore_.LineCount(); ++i) {
    const Gdiplus::RectF rect = textStore_.LineRect(i);
    // Redrawing an area of the text: only lines that may reach into it.
    const float top = rect.Y + scrollY_ + textRect_.Y;
    if (!linesClip_ || (top + rect.Height + linesOverhang_ > linesClip_->Y &&
                        top - linesOverhang_ < linesClip_->Y + linesClip_->Height))
      DrawLine(g, i, rect, drawTail_ && i == drawTailLine_ ? drawTail_ : nullptr);
    lastDrawnLine_ = i;
    if (rect.Y + rect.Height > textRect_.Height - scrollY_) break;
  }
}

void UiEdit::DrawLine(Gdiplus::GpGraphics* g, int line, const Gdiplus::RectF& rect, const LineTail* tail) {
  Gdiplus::RectF box = PlacedBox(rect);
  std::wstring text = DisplayText(line);
  if (tail) {
    // The tail's glyphs stand where the whole line puts them.
    text.erase(0, std::min(text.size(), static_cast<std::size_t>(tail->startChar)));
    box.X += tail->startOffset;
    box.Width -= tail->startOffset;
  }
  if (text.empty()) text = L" ";

  // The text rect, cut to the redrawn area: one rectangle, which GDI+
  // clips by much faster than by two combined.
  Gdiplus::RectF clip = textRect_;
  if (linesClip_) {
    const float left = std::max(clip.X, linesClip_->X), top = std::max(clip.Y, linesClip_->Y);
    const float right = std::min(clip.X + clip.Width, linesClip_->X + linesClip_->Width);
    const float bottom = std::min(clip.Y + clip.Height, linesClip_->Y + linesClip_->Height);
    clip = Gdiplus::RectF(left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top));
  }
  gp::GdipSetClipRect(g, clip.X, clip.Y, clip.Width, clip.Height, Gdiplus::CombineModeReplace);
  const auto span = SelectedSpanOnLine(line, textStore_.LineCharCount(line), anchor_, caret_);
  if (span || !DrawLineStamped(g, line, rect, clip))
    gp::GdipDrawString(g, text.c_str(), -1, font_, &box, stringFormat_.Handle(), textBrush_.get());

  if (span) {
    const auto rows = MeasureRangeRows(g, text, font_, box, stringFormat_.Handle(), span->first, span->length);
    gp::Region selected;
    gp::SolidBrush fill, white;
    gp::Pen outline;
    if (!rows.empty() && gp::Ok(gp::GdipCreateRegion(selected.put())) && gp::Ok(gp::GdipSetEmpty(selected.get())) &&
        gp::Ok(gp::GdipCreateSolidFill(kSelectionColor, fill.put())) &&
        gp::Ok(gp::GdipCreatePen1(kSelectionColor, 1.0f, Gdiplus::UnitWorld, outline.put()))) {
      const float grow = rect.Height > textStore_.LineHeight() + 3 ? 3.0f : 4.0f;
      for (Gdiplus::RectF row : rows) {
        row.Y -= multiLine_ ? 2.0f : 3.0f;
        row.Height += grow;
        gp::GdipFillRectangle(g, fill.get(), row.X, row.Y, row.Width, row.Height);
        gp::GdipDrawRectangle(g, outline.get(), row.X, row.Y, row.Width, row.Height);
        gp::GdipCombineRegionRect(selected.get(), &row, Gdiplus::CombineModeUnion);
      }
      // The selected characters again, in white, clipped to the highlight.
      gp::GdipSetClipRegion(g, selected.get(), Gdiplus::CombineModeIntersect);
      if (gp::Ok(gp::GdipCreateSolidFill(kSelectedTextColor, white.put())))
        gp::GdipDrawString(g, text.c_str(), -1, font_, &box, stringFormat_.Handle(), white.get());
    }
  }
  gp::GdipResetClip(g);
}

bool UiEdit::DrawLineStamped(Gdiplus::GpGraphics* g, int line, const Gdiplus::RectF& rect,
                             const Gdiplus::RectF& clip) {
  if (!stampTarget_ || !IsWholePixel(clip.X) || !IsWholePixel(clip.Y) || !IsWholePixel(clip.Width) ||
      !IsWholePixel(clip.Height))
    return false;
  // The whole line's characters, where the summed advances put them: a
  // tail is the same line cut to its area.
  std::wstring text = DisplayText(line);
  if (static_cast<int>(text.size()) != textStore_.LineCharCount(line)) return false;
  if (text.empty()) {
    // DrawLine draws an empty line as a space: its stamp (no ink, where
    // GDI+ leaves none) needs no advance.
    text = L" ";
    lineStarts_.assign(2, 0.0f);
  } else if (!textStore_.PrefixAdvances(text, &lineStarts_)) {
    return false;
  }
  const auto whole = [](float v) { return static_cast<LONG>(v); };
  GlyphStamps::Line stamped{text, &lineStarts_, PlacedBox(rect),
                            RECT{whole(clip.X), whole(clip.Y), whole(clip.X + clip.Width), whole(clip.Y + clip.Height)}};
  // New characters are drawn for their stamps together, spaced out by an inkless character.
  // The ideographic space, wider than a space, when the font gives it an advance.
  for (const wchar_t gap : {L'\u3000', L' '}) {
    if (const std::optional<float> advance = textStore_.SummedAdvance(gap)) {
      stamped.gap = gap;
      stamped.gapAdvance = *advance;
      break;
    }
  }
  return glyphStamps_.Draw(g, stampTarget_->bitmap, font_, stringFormat_.Handle(), textBrush_.get(),
                           stampTarget_->back, stamped);
}

int UiEdit::LineFromY(int y, int start) const {
  const int count = textStore_.LineCount();
  if (!textStore_.IsValidLine(start)) start = 1;
  const auto holds = [&](int line) {
    const Gdiplus::RectF r = textStore_.LineRect(line);
    return y >= r.Y && y <= r.Y + r.Height;
  };
  if (holds(start)) return start;
  const int past = y > 0 ? count : 0;
  if (y >= textStore_.LineRect(start).Y) {
    for (int line = start + 1; line <= count; ++line)
      if (holds(line)) return line;
    return past;
  }
  for (int line = start - 1; line >= 1; --line)
    if (holds(line)) return line;
  return past;
}

TextPosition UiEdit::HitTest(float x, float y) {
  Gdiplus::GpGraphics* g = Graphics();
  const RectF b = Bounds();
  int lx = Trunc(x - b.x - textRect_.X);
  int ly = Trunc(y - b.y - textRect_.Y);
  const int line = std::max(1, LineFromY(ly - scrollY_, firstVisibleLine_));
  lx = std::max(lx, 0);
  if (ly - scrollY_ <= 0)
    ly = scrollY_;
  else if (ly - scrollY_ > textStore_.TotalHeight())
    ly = textStore_.TotalHeight() + scrollY_;

  const Gdiplus::RectF rect = textStore_.LineRect(line);
  Gdiplus::RectF box(rect.X + scrollX_, rect.Y + scrollY_, rect.Width - scrollX_, rect.Height - scrollY_);
  if (scrollBars_ == 2) box.Height = 0;
  std::wstring text = DisplayText(line);
  if (text.empty()) text = L"\t";

  // Keep x on the row of the line that holds y, so a click beside a row
  // finds that row's first or last character.
  float px = static_cast<float>(lx);
  const float py = static_cast<float>(ly);
  for (Gdiplus::RectF row : MeasureRangeRows(g, text, font_, box, stringFormat_.Handle(), 0,
                                             static_cast<int>(text.size()))) {
    row.Y -= 2;
    row.Height += 4;
    if (py >= row.Y && py < row.Y + row.Height) {
      px = std::clamp(px, row.X, row.X + row.Width);
      break;
    }
  }
  int column = ColumnAtPoint(static_cast<int>(text.size()), px, py, [&](int index, Gdiplus::RectF* bounds) {
    return MeasureRangeBounds(g, text, font_, box, stringFormat_.Handle(), index, 1, bounds);
  });
  // The stand-in TAB of an empty line is no character of the line.
  column = std::clamp(column, 0, textStore_.LineCharCount(line));
  return TextPosition{line, column};
}

Gdiplus::RectF UiEdit::ComputeCaretRect(int line, int index, bool scrollIntoView, std::string_view inserted,
                                        bool placeBars) {
  Gdiplus::GpGraphics* g = Graphics();
  const Gdiplus::RectF lineRect = textStore_.LineRect(line);
  const std::wstring text = DisplayText(line);
  const int n = static_cast<int>(text.size());
  if (index >= n) index = n - 1;

  Gdiplus::RectF r(lineRect.X, lineRect.Y, 1, lineRect.Height);
  Gdiplus::RectF measured;
  if (index >= 0 && MeasureRangeBounds(g, text, font_, lineRect, stringFormat_.Handle(), index, 1, &measured)) {
    r = measured;
    if (std::fabs(r.Width) < 1e-7f && std::fabs(r.Height) < 1e-7f) {
      // A character with no extent: measure it with a space after it.
      const std::wstring padded = text + L" ";
      MeasureRangeBounds(g, padded, font_, lineRect, stringFormat_.Handle(), index, 1, &r);
      r.X -= static_cast<float>(textStore_.CharWidth() / 2);
    }
  }
  // The caret stands at the right edge of the character.
  r.X += r.Width + textRect_.X;
  r.Y += textRect_.Y - 2;
  r.X += static_cast<float>(scrollX_);
  r.Y += static_cast<float>(scrollY_);
  r.Height = static_cast<float>(textStore_.LineHeight() + (multiLine_ ? 1 : 0));
  r.Width = 1;

  const Gdiplus::RectF& t = textRect_;
  const int measuredScrollX = scrollX_, measuredScrollY = scrollY_;
  if (scrollIntoView) {
    if (r.Y < t.Y - 2) scrollY_ = Trunc(scrollY_ - r.Y + r.Height);
    if (r.Y + r.Height > t.Y + t.Height - 2)
      scrollY_ = Trunc(scrollY_ - r.Height - (inserted.empty() ? 0 : MeasuredHeight(inserted)));
    if (r.X > t.X + t.Width) scrollX_ = Trunc(scrollX_ - (r.X - t.Width));
    if (r.X < t.X) scrollX_ = Trunc(scrollX_ + t.X - r.X + t.Width / 5);
  }
  if (-scrollY_ > textStore_.TotalHeight() - t.Height) scrollY_ = Trunc(t.Height - textStore_.TotalHeight());
  if (-scrollX_ > textStore_.MaxWidth() - t.Width) scrollX_ = Trunc(t.Width - textStore_.MaxWidth());
  scrollX_ = std::min(scrollX_, 0);
  scrollY_ = std::min(scrollY_, 0);
  const WeakRef<UiElement> self(this);  // a bar's repaint runs a redraw
  if (placeBars) {
    if (scrollBars_ & 1) hScrollBar_.Position(-scrollX_);
    if (self && (scrollBars_ & 2)) vScrollBar_.Position(-scrollY_);
  }

  // Measured again only when the text scrolled: otherwise `r` already
  // stands where the second measure would put it.
  if (self && scrollIntoView && (scrollX_ != measuredScrollX || scrollY_ != measuredScrollY))
    return ComputeCaretRect(line, index, false, {}, placeBars);
  return r;
}

bool UiEdit::DrawCaret(bool show, bool place) {
  UiWindow* host = Host();
  if (!host || host->Busy()) return true;
  const Gdiplus::RectF& c = caretRect_;
  // Only a caret that stands inside the text rect is drawn.
  if (!Contains(textRect_, c.X, c.Y + 2) || c.Y + prevCaretRect_.Height > textRect_.Y + textRect_.Height) return true;

  // The caret is found in logical pixels and drawn straight onto the
  // host's canvas, which holds device pixels.
  const DisplayScale scale = Scale();
  const RectF b = Bounds();
  const int x = Trunc(b.x + c.X), y = Trunc(b.y + c.Y);
  const int dx = scale.ToDevice(x), dy = scale.ToDevice(y);
  if (show && place) {
    SetCaretPos(dx, dy);  // the input method's window follows the caret
    caretPhase_ = 1;
  }
  caretPhase_ += show ? 1 : -1;

  if (!show) {
    drawnCaret_.reset();
    const WeakRef<UiElement> self(this);
    host->RedrawRect(RectF{float(x), float(y), 1, float(Trunc(c.Height))}, true);  // runs handlers
    return static_cast<bool>(self);
  }
  const int thickness = std::max(1, scale.ToDevice(1));
  gp::Pen pen;
  if (!gp::Ok(gp::GdipCreatePen1(kCaretColor, static_cast<float>(thickness), Gdiplus::UnitWorld, pen.put())))
    return true;
  gp::GdipDrawLineI(host->CanvasGraphics(), pen.get(), dx, scale.ToDevice(Trunc(b.y + c.Y + 1)), dx,
                    scale.ToDevice(Trunc(b.y + c.Y + c.Height - 1)));
  drawnCaret_ = RectF{float(x), float(y), 1, float(Trunc(c.Height))};  // what erasing it redraws
  if (host->IsLayered()) {
    SendMessageW(GetWindow(), kPresentCanvasMessage, 0, 0);
  } else {
    const int left = dx - (thickness - 1), width = 2 * thickness - 1;
    BitBlt(host->WindowDc(), left, dy, width, scale.ToDevice(Trunc(c.Height)), host->CanvasDc(), left, dy, SRCCOPY);
  }
  return true;
}

}  // namespace ui
