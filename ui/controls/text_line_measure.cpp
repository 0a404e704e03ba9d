#include "ui/controls/text_line_measure.h"

#include <algorithm>
#include <cmath>

#include "ui/controls/text_metrics.h"

namespace ui {

namespace {

// Lines whose measurement must equal the sum of their advances before any
// sum is trusted: CJK, ASCII, mixed, spaces, and letter pairs that kern or
// join into ligatures in many fonts.
constexpr std::wstring_view kProbes[] = {
    L"line 12 \u9752\u68A7\u7F51\u6E38 abcdefghijklmnopqrstuvwxyz",
    L"\u9752\u68A7\u7F51\u6E38\u52A0\u901F\u5668\u3002\uFF0C\u3001\uFF08\uFF09",
    L"AVATAR To Wa LT Yo P. F, r. y. ff fi fl ffi ffl",
    L"0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
    L"  leading and trailing spaces  ",
    L"WWWWMMMM iiiilll \uFF37\uFF2D\uFF49\uFF4C",
};

// The one-row line whose measurement gives the row height and origin.
constexpr std::wstring_view kRowProbe = L"Ag\u9752";

// Far more than a float's rounding of widths below 2^16 px, far less than
// any real difference of advances.
constexpr float kRoundingSlack = 1.0f / 1024;

bool IsWhole(float v) { return std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e6f; }

// Characters that lay out on their own, one advance each, in any font
// without shaping: ASCII space to tilde, CJK punctuation, CJK ideographs and
// the fullwidth forms.
bool SimpleKind(wchar_t c) {
  return (c >= 0x20 && c <= 0x7E) || (c >= 0x3000 && c <= 0x303F) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xFF01 && c <= 0xFF5E);
}

bool SameBounds(const Gdiplus::RectF& a, const Gdiplus::RectF& b) {
  return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height;
}

}  // namespace

void LineMeasurer::Reset() {
  graphics_ = nullptr;
  font_ = nullptr;
  format_ = nullptr;
  probed_ = exact_ = boxExact_ = emptyKnown_ = false;
  linesBeforeProbing_ = kLinesBeforeProbing;
  boxWidth_ = boxHeight_ = -1;
  for (auto& page : pages_) page.reset();
}

bool LineMeasurer::Real(std::wstring_view text, const Gdiplus::RectF& box, Gdiplus::RectF* bounds) {
  ++realMeasures_;
  return MeasureText(graphics_, text, font_, box, format_, bounds);
}

float LineMeasurer::Advance(wchar_t c) {
  std::unique_ptr<Page>& page = pages_[static_cast<unsigned>(c) >> 8];
  if (!page) {
    page = std::make_unique<Page>();
    page->fill(kUnknown);
  }
  float& slot = (*page)[static_cast<unsigned>(c) & 0xFF];
  if (slot != kUnknown) return slot;
  slot = kUnsafe;
  if (!SimpleKind(c)) return slot;
  const Gdiplus::RectF unbounded(0, 0, 0, 0);
  const wchar_t twice[2] = {c, c};
  Gdiplus::RectF one, two;
  if (!MeasureText(graphics_, std::wstring_view(twice, 1), font_, unbounded, format_, &one) ||
      !MeasureText(graphics_, std::wstring_view(twice, 2), font_, unbounded, format_, &two))
    return slot;
  // The two widths are whole advances plus the same padding, each rounded
  // to a float once: their difference is the advance up to that rounding.
  const float difference = two.Width - one.Width;
  const float advance = std::nearbyint(difference);
  if (IsWhole(advance) && advance > 0 && std::fabs(difference - advance) < kRoundingSlack &&
      std::fabs(one.Width - advance - pad_) < kRoundingSlack && one.Height == rowHeight_ &&
      two.Height == rowHeight_)
    slot = advance;
  return slot;
}

void LineMeasurer::Probe(const Gdiplus::RectF& box) {
  if (!probed_) {
    probed_ = true;
    exact_ = false;
    const Gdiplus::RectF unbounded(0, 0, 0, 0);
    Gdiplus::RectF one, two;
    if (!MeasureText(graphics_, L"a", font_, unbounded, format_, &one) ||
        !MeasureText(graphics_, L"aa", font_, unbounded, format_, &two))
      return;
    pad_ = one.Width - std::nearbyint(two.Width - one.Width);
    rowHeight_ = one.Height;
    if (!std::isfinite(pad_) || rowHeight_ <= 0) return;
    exact_ = true;
  }
  if (box.Width == boxWidth_ && box.Height == boxHeight_) return;
  boxWidth_ = box.Width;
  boxHeight_ = box.Height;
  boxExact_ = false;
  emptyKnown_ = false;
  binades_.fill(kBinadeUnknown);
  if (!exact_) return;
  // In this box: the origin and height of a row, then the probes through
  // the summing path itself (an unequal probe ends all summing: the font
  // kerns, joins or shapes).
  Gdiplus::RectF row;
  if (!MeasureText(graphics_, kRowProbe, font_, box, format_, &row) || row.Height != rowHeight_) return;
  offsetX_ = row.X - box.X;
  offsetY_ = row.Y - box.Y;
  boxExact_ = true;
  for (std::wstring_view probe : kProbes) {
    Gdiplus::RectF summed, real;
    if (!Sum(probe, box, &summed)) continue;  // unsafe characters: such lines are measured anyway
    if (!MeasureText(graphics_, probe, font_, box, format_, &real) || !SameBounds(summed, real)) {
      boxExact_ = false;
      return;
    }
    binades_[Binade(summed.Width)] = kBinadeExact;
  }
}

int LineMeasurer::Binade(float width) {
  int exponent = 0;
  std::frexp(width, &exponent);
  return std::clamp(exponent, 0, kBinades - 1);
}

bool LineMeasurer::Sum(std::wstring_view text, const Gdiplus::RectF& box, Gdiplus::RectF* bounds) {
  // Whole advances add up exactly, in any order; the padding is added
  // once, as GDI+ adds it.
  float advances = 0;
  for (wchar_t c : text) {
    const float a = Advance(c);
    if (a < 0) return false;
    advances += a;
  }
  const float sum = advances + pad_;
  // Near the box edge GDI+ may wrap; such lines are measured.
  if (box.Width > 0 && sum > box.Width - 2) return false;
  *bounds = Gdiplus::RectF(box.X + offsetX_, box.Y + offsetY_, sum, rowHeight_);
  return true;
}

std::optional<float> LineMeasurer::PrefixAdvance(std::wstring_view text, const Gdiplus::RectF& box, int count) {
  std::vector<float> starts;
  if (count < 0 || count > static_cast<int>(text.size()) || !PrefixAdvances(text, box, &starts)) return std::nullopt;
  return starts[static_cast<std::size_t>(count)];
}

bool LineMeasurer::PrefixAdvances(std::wstring_view text, const Gdiplus::RectF& box, std::vector<float>* starts) {
  if (!summing_ || !probed_ || !exact_ || !boxExact_ || box.Width != boxWidth_ || box.Height != boxHeight_)
    return false;
  Gdiplus::RectF summed;
  if (text.empty() || !Sum(text, box, &summed) || binades_[Binade(summed.Width)] != kBinadeExact) return false;
  starts->assign(text.size() + 1, 0.0f);
  float advances = 0;
  for (std::size_t i = 0; i < text.size(); ++i) (*starts)[i + 1] = advances += Advance(text[i]);
  return true;
}

std::optional<float> LineMeasurer::SummedAdvance(wchar_t c) {
  if (!summing_ || !probed_ || !exact_) return std::nullopt;
  const float advance = Advance(c);
  if (advance < 0) return std::nullopt;
  return advance;
}

bool LineMeasurer::Measure(Gdiplus::GpGraphics* graphics, std::wstring_view text, Gdiplus::GpFont* font,
                           const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, Gdiplus::RectF* bounds) {
  if (graphics != graphics_ || font != font_ || format != format_) {
    Reset();
    graphics_ = graphics;
    font_ = font;
    format_ = format;
  }
  if (!summing_) return Real(text, box, bounds);
  if (!probed_ && linesBeforeProbing_ > 0) {
    --linesBeforeProbing_;
    return Real(text, box, bounds);
  }
  Probe(box);
  if (!exact_ || !boxExact_) return Real(text, box, bounds);
  if (text.empty()) {
    if (!emptyKnown_) {
      if (!Real(text, box, &empty_)) return false;
      empty_.X -= box.X;
      empty_.Y -= box.Y;
      emptyKnown_ = true;
    }
    *bounds = Gdiplus::RectF(box.X + empty_.X, box.Y + empty_.Y, empty_.Width, empty_.Height);
    return true;
  }
  Gdiplus::RectF summed;
  if (!Sum(text, box, &summed)) return Real(text, box, bounds);
  // GDI+ gives whole advances plus the padding rounded once to a float: in
  // one binade [2^k, 2^(k+1)) that rounding moves every width by the same
  // amount. The first line of each binade is measured as well; the sums of
  // that binade are used only when it matched.
  unsigned char& binade = binades_[Binade(summed.Width)];
  if (binade == kBinadeExact) {
    *bounds = summed;
    return true;
  }
  if (!Real(text, box, bounds)) return false;
  if (binade == kBinadeUnknown) binade = SameBounds(summed, *bounds) ? kBinadeExact : kBinadeInexact;
  return true;
}

}  // namespace ui
