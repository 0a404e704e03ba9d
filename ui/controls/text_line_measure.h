#pragma once
// Measuring whole lines of an edit box fast: a line's width is its
// characters' advance widths added up, where that gives exactly what
// GdipMeasureString gives, and a real measurement otherwise.
//
// The sum is used only when all of these hold:
// - for the graphics, font and format, a set of probe lines (CJK, ASCII,
//   mixed, pairs that kern or form ligatures in many fonts) measures
//   exactly the sum of their characters' advances plus the padding GDI+
//   adds once per line, every probe row is equally high, and the probe
//   repeats for each new layout box;
// - every character of the line is of a known-simple kind (ASCII letters,
//   digits, punctuation and the space; CJK ideographs, CJK punctuation,
//   fullwidth forms) and its advance, found as width("cc") - width("c"), is
//   a whole number with the same padding as every other character (whole
//   numbers add up exactly in a float, whatever the order);
// - the summed width stays clear of the box width (no wrapping);
// - GDI+ adds the padding as one float rounding, which moves all widths of
//   one binade [2^k, 2^(k+1)) alike: the first line of each binade is
//   measured too, and the binade is summed only when it matched.
// TABs (tab stops), combining marks, surrogates and everything else send
// the line to GDI+.
#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "ui/platform/gdiplus_api.h"

namespace ui {

class LineMeasurer {
 public:
  // Probing takes a few hundred GDI+ measurements of one or two characters,
  // more than a short text costs measured line by line (a one-line field
  // would pay it for its first line). So the first lines for new settings
  // are measured by GDI+, and the probes run once this many have been; a
  // long text pays for these few lines in full.
  static constexpr int kLinesBeforeProbing = 4;
  // Bounds of `text` laid out in `box`, as MeasureText gives them (only the
  // size is exact from the sum; x and y are those of the probe row). False
  // when GDI+ fails. All handles are borrowed.
  bool Measure(Gdiplus::GpGraphics* graphics, std::wstring_view text, Gdiplus::GpFont* font,
               const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, Gdiplus::RectF* bounds);

  // The summed advances of the first `count` characters of `text`, when
  // the latest settings and `box` sum exactly and `text` as a whole is a
  // summed row in `box` (so GDI+ places its glyphs where the sums put
  // them); nothing otherwise. Never measures with GDI+ beyond advances.
  std::optional<float> PrefixAdvance(std::wstring_view text, const Gdiplus::RectF& box, int count);
  // The same for every character at once: `starts` gets text.size() + 1
  // summed advances, where each character and the end of `text` start.
  bool PrefixAdvances(std::wstring_view text, const Gdiplus::RectF& box, std::vector<float>* starts);
  // The whole advance `c` adds to a summed row under the latest settings;
  // nothing where sums are not exact or `c` has no proven advance.
  std::optional<float> SummedAdvance(wchar_t c);

  // Off: every line is measured by GDI+ (the sums are never used).
  void SetSumming(bool on) { summing_ = on; }
  // Forgets every advance and probe.
  void Reset();
  // GDI+ line measurements (not counting probes and advances) since the
  // last ResetCount.
  int RealMeasures() const { return realMeasures_; }
  void ResetCount() { realMeasures_ = 0; }
  // Whether the probes showed sums to be exact for the latest settings
  // (false until they have run).
  bool SumsExact() const { return exact_ && boxExact_; }

 private:
  static constexpr float kUnknown = -1.0f;  // advance not measured yet
  static constexpr float kUnsafe = -2.0f;   // the character is always measured by GDI+
  using Page = std::array<float, 256>;
  static constexpr int kBinades = 40;  // float exponents of widths up to 2^39
  static constexpr unsigned char kBinadeUnknown = 0, kBinadeExact = 1, kBinadeInexact = 2;
  static int Binade(float width);

  bool Real(std::wstring_view text, const Gdiplus::RectF& box, Gdiplus::RectF* bounds);
  // Sets up padding and row height for new settings and checks the probes.
  void Probe(const Gdiplus::RectF& box);
  // Advance of `c`, or kUnsafe.
  float Advance(wchar_t c);
  // The summed bounds of `text`; false when some character is unsafe or
  // the line might wrap in `box`.
  bool Sum(std::wstring_view text, const Gdiplus::RectF& box, Gdiplus::RectF* bounds);

  Gdiplus::GpGraphics* graphics_ = nullptr;
  Gdiplus::GpFont* font_ = nullptr;
  Gdiplus::GpStringFormat* format_ = nullptr;
  bool summing_ = true;
  int linesBeforeProbing_ = kLinesBeforeProbing;  // counts down after a reset
  bool probed_ = false;   // padding and row height known for graphics_, font_, format_
  bool exact_ = false;    // the probes matched their sums
  float boxWidth_ = -1, boxHeight_ = -1;  // box the probes last checked
  bool boxExact_ = false;
  float pad_ = 0;         // width of a one-character line minus its advance
  float rowHeight_ = 0;   // height of a one-row line
  float offsetX_ = 0, offsetY_ = 0;  // bounds origin of a row relative to the box
  std::array<unsigned char, kBinades> binades_{};  // sums verified per binade of the width
  bool emptyKnown_ = false;
  Gdiplus::RectF empty_{};           // bounds of the empty text, relative to the box
  std::array<std::unique_ptr<Page>, 256> pages_{};
  int realMeasures_ = 0;
};

}  // namespace ui
