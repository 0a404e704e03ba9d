#include "app/form/transparent_label.h"

#include "ui/core/color.h"
#include "ui/core/font.h"
#include "ui/core/text.h"
#include "ui/platform/gdiplus_handles.h"

namespace app::form {

namespace {
constexpr char kFontFamily[] = "宋体";
constexpr float kFontPixels = 12.0f;

ui::RectF ToRectF(const RECT& r) {
  return ui::RectF{static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right - r.left),
                   static_cast<float>(r.bottom - r.top)};
}
}  // namespace

bool TransparentLabel::Create(HWND parent, const Spec& spec) {
  if (created_ || !parent || !IsWindow(parent)) return false;
  parent_ = parent;
  spec_ = spec;
  created_ = true;
  Repaint(Box());
  return true;
}

RECT TransparentLabel::Box() const {
  return RECT{spec_.left, spec_.top, spec_.left + spec_.width, spec_.top + spec_.height};
}

void TransparentLabel::SetCaption(const std::string& caption) {
  if (caption == spec_.caption) return;
  spec_.caption = caption;
  if (proxy_) proxy_->SetCaption(caption);
  if (spec_.visible) Repaint(Box());
}

void TransparentLabel::SetVisible(bool visible) {
  if (visible == spec_.visible) return;
  spec_.visible = visible;
  if (proxy_) proxy_->Visible(visible);
  Repaint(Box());
}

bool TransparentLabel::Expose() {
  if (!created_) return false;
  if (proxy_) return true;
  auto proxy = std::make_unique<AccessibleLabelProxy>();
  if (!proxy->Create(parent_, Box(), spec_.caption, spec_.visible)) return false;
  proxy_ = std::move(proxy);
  return true;
}

void TransparentLabel::SetTop(int top) {
  if (top == spec_.top) return;
  const RECT before = Box();
  spec_.top = top;
  if (proxy_) proxy_->SetBox(Box());
  if (!spec_.visible) return;
  Repaint(before);  // the old place shows what is behind it again
  Repaint(Box());
}

void TransparentLabel::SetRepaintRequest(RepaintRequest request) {
  repaint_ = std::move(request);
  if (spec_.visible) Repaint(Box());
}

void TransparentLabel::Repaint(const RECT& area) const {
  if (created_ && repaint_) repaint_(area);
}

void TransparentLabel::Draw(Gdiplus::GpGraphics* g, const ui::RectF& area) const {
  if (!g || !created_ || !spec_.visible || spec_.caption.empty()) return;
  const ui::RectF box = ToRectF(Box());
  if (!ui::RectsOverlap(box, area)) return;
  // Font, format and brush live for this one drawing.
  ui::gp::Font font(ui::CreateFontByName(kFontFamily, kFontPixels, 0));
  ui::gp::StringFormat format;
  ui::gp::SolidBrush brush;
  if (!font || !ui::gp::Ok(ui::gp::GdipCreateStringFormat(Gdiplus::StringFormatFlagsNoWrap, 0, format.put())) ||
      !ui::gp::Ok(ui::gp::GdipCreateSolidFill(ui::MakeArgb(spec_.textColor), brush.put())))
    return;
  ui::gp::GdipSetStringFormatAlign(
      format.get(), spec_.align == Align::Center ? Gdiplus::StringAlignmentCenter : Gdiplus::StringAlignmentNear);
  ui::gp::GdipSetStringFormatLineAlign(format.get(), Gdiplus::StringAlignmentCenter);
  ui::gp::GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingNone);
  // Clipped to the label, as a window of this size would be.
  Gdiplus::GraphicsState state = 0;
  ui::gp::GdipSaveGraphics(g, &state);
  ui::gp::GdipSetClipRect(g, box.x, box.y, box.width, box.height, Gdiplus::CombineModeIntersect);
  const std::wstring text = ui::ToWide(spec_.caption);
  // The layout box has room to spare on the sides the text may grow to
  // (GDI+ drops a last character that does not fit with its padding); the
  // clip above still ends the text at the label's edge.
  Gdiplus::RectF layout = box.ToGdiplus();
  const float spare = 2 * kFontPixels;
  layout.Width += spare;
  if (spec_.align == Align::Center) layout.X -= spare / 2;
  ui::gp::GdipDrawString(g, text.c_str(), static_cast<INT>(text.size()), font.get(), &layout, format.get(),
                         reinterpret_cast<Gdiplus::GpBrush*>(brush.get()));
  ui::gp::GdipRestoreGraphics(g, state);
}

}  // namespace app::form
