// The caption parts' factory and the built-in parts: a minimal icon, a
// minimal one-line title and the glyph-strip caption buttons.
#include "ui/host/caption_parts.h"

#include "ui/controls/caption_button.h"
#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/host/window.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {

class CaptionIcon : public UiElement {
 public:
  explicit CaptionIcon(HICON icon) : icon_(icon) {}
  int HandleEvent(UINT message, WPARAM, LPARAM) override {
    if (message != ev::kPaint) return -1;
    Paint([&](const PaintContext& pc) {
      gp::Bitmap image;
      if (icon_) gp::GdipCreateBitmapFromHICON(icon_, image.put());
      if (image)
        gp::GdipDrawImageRect(pc.graphics, image.get(), pc.area.x, pc.area.y, pc.area.width,
                              pc.area.height);
    });
    return 0;
  }

 private:
  HICON icon_;  // the window's icon; not owned
};

class CaptionTitle : public UiElement {
 public:
  CaptionTitle(std::string_view text, Argb colour) : text_(ToWide(text)), colour_(colour) {}
  void SetText(std::string_view text) {
    std::wstring wide = ToWide(text);
    if (wide == text_) return;
    text_ = std::move(wide);
    Repaint();
  }
  int HandleEvent(UINT message, WPARAM, LPARAM) override {
    if (message != ev::kPaint) return -1;
    Paint([&](const PaintContext& pc) {
      if (text_.empty() || !Library().defaultFont) return;
      gp::SolidBrush brush;
      gp::GdipCreateSolidFill(colour_, brush.put());
      gp::StringFormat format;
      gp::GdipCreateStringFormat(Gdiplus::StringFormatFlagsNoWrap, LANG_NEUTRAL, format.put());
      if (format) gp::GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingEllipsisCharacter);
      const Gdiplus::RectF layout = pc.area.ToGdiplus();
      gp::GdipDrawString(pc.graphics, text_.c_str(), static_cast<INT>(text_.size()),
                         Library().defaultFont, &layout, format.get(),
                         reinterpret_cast<Gdiplus::GpBrush*>(brush.get()));
    });
    return 0;
  }

 private:
  std::wstring text_;
  Argb colour_;
};

CaptionPartFactory& Current() {
  static auto* factory = new CaptionPartFactory(DefaultCaptionParts());
  return *factory;
}

}  // namespace

CaptionPartFactory DefaultCaptionParts() {
  CaptionPartFactory f;
  f.icon = [](HWND host, const RectF& r, HICON icon) -> std::unique_ptr<UiElement> {
    auto e = std::make_unique<CaptionIcon>(icon);
    if (!e->Create(host, r, kind::kPicture, true, false)) return nullptr;
    return e;
  };
  f.title = [](HWND host, const RectF& r, std::string_view text, Argb colour) -> std::unique_ptr<UiElement> {
    auto e = std::make_unique<CaptionTitle>(text, colour);
    if (!e->Create(host, r, kind::kLabel, true, false)) return nullptr;
    return e;
  };
  f.setTitleText = [](UiElement& title, std::string_view text) {
    if (auto* t = dynamic_cast<CaptionTitle*>(&title)) t->SetText(text);
  };
  f.button = [](HWND host, const RectF& r, int kind) -> std::unique_ptr<UiElement> {
    auto e = std::make_unique<UiCaptionButton>();
    if (!e->Create(host, static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width),
                   static_cast<int>(r.height), kind))
      return nullptr;
    return e;
  };
  return f;
}

const CaptionPartFactory& CaptionParts() { return Current(); }

void SetCaptionParts(CaptionPartFactory factory) { Current() = std::move(factory); }

}  // namespace ui
