#include "ui/controls/text_metrics.h"

#include <climits>
#include <optional>

#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {

// GDI+ takes an INT length; texts longer than that are not measured.
bool FitsInt(std::wstring_view text) { return text.size() <= static_cast<std::size_t>(INT_MAX); }

// The region of [first, first + length); null when GDI+ fails or the range
// is not inside the text.
gp::Region MeasureRangeRegion(Gdiplus::GpGraphics* graphics, std::wstring_view text,
                              Gdiplus::GpFont* font, const Gdiplus::RectF& box,
                              Gdiplus::GpStringFormat* format, int first, int length) {
  if (!FitsInt(text) || first < 0 || length <= 0 || first + static_cast<long long>(length) >
                                                         static_cast<long long>(text.size()))
    return {};
  const Gdiplus::CharacterRange range(first, length);
  if (!gp::Ok(gp::GdipSetStringFormatMeasurableCharacterRanges(format, 1, &range))) return {};
  gp::Region region;
  if (!gp::Ok(gp::GdipCreateRegion(region.put()))) return {};
  Gdiplus::GpRegion* regions[1] = {region.get()};
  if (!gp::Ok(gp::GdipMeasureCharacterRanges(graphics, text.data(), static_cast<INT>(text.size()), font,
                                             box, format, 1, regions)))
    return {};
  return region;
}

}  // namespace

bool MeasureText(Gdiplus::GpGraphics* graphics, std::wstring_view text, Gdiplus::GpFont* font,
                 const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, Gdiplus::RectF* bounds) {
  *bounds = Gdiplus::RectF();
  if (!FitsInt(text)) return false;
  INT fitted = 0, lines = 0;
  const WCHAR empty[1] = {0};
  return gp::Ok(gp::GdipMeasureString(graphics, text.empty() ? empty : text.data(),
                                      static_cast<INT>(text.size()), font, &box, format, bounds, &fitted,
                                      &lines));
}

std::vector<Gdiplus::RectF> MeasureRangeRows(Gdiplus::GpGraphics* graphics, std::wstring_view text,
                                             Gdiplus::GpFont* font, const Gdiplus::RectF& box,
                                             Gdiplus::GpStringFormat* format, int first, int length) {
  std::vector<Gdiplus::RectF> rows;
  gp::Region region = MeasureRangeRegion(graphics, text, font, box, format, first, length);
  if (!region) return rows;
  gp::Matrix identity;
  if (!gp::Ok(gp::GdipCreateMatrix(identity.put()))) return rows;
  UINT count = 0;
  if (!gp::Ok(gp::GdipGetRegionScansCount(region.get(), &count, identity.get())) || count == 0) return rows;
  rows.resize(count);
  INT got = static_cast<INT>(count);
  if (!gp::Ok(gp::GdipGetRegionScans(region.get(), rows.data(), &got, identity.get()))) return {};
  rows.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return rows;
}

bool MeasureRangeBounds(Gdiplus::GpGraphics* graphics, std::wstring_view text, Gdiplus::GpFont* font,
                        const Gdiplus::RectF& box, Gdiplus::GpStringFormat* format, int first, int length,
                        Gdiplus::RectF* bounds) {
  *bounds = Gdiplus::RectF();
  gp::Region region = MeasureRangeRegion(graphics, text, font, box, format, first, length);
  if (!region) return false;
  return gp::Ok(gp::GdipGetRegionBounds(region.get(), graphics, bounds));
}

bool TabsAdvance(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format) {
  static std::optional<bool> known;  // window thread only
  if (known) return *known;
  Gdiplus::RectF withTab, without;
  const Gdiplus::RectF unbounded(0, 0, 0, 0);
  if (!MeasureText(graphics, L"a\t\t\tb", font, unbounded, format, &withTab) ||
      !MeasureText(graphics, L"ab", font, unbounded, format, &without) || without.Width <= 0)
    return true;
  // Three TABs pass at least two whole 8-pixel stops.
  known = withTab.Width >= without.Width + 8;
  return *known;
}

}  // namespace ui
