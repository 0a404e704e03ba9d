// The caption parts' factory and the minimal built-in parts: an icon, a
// one-line title and caption buttons that draw a plain glyph and send their
// window command on a click.
#include "ui/host/caption_parts.h"

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

class CaptionButton : public UiElement {
 public:
  explicit CaptionButton(int kind) : kind_(kind) {}
  int HandleEvent(UINT message, WPARAM, LPARAM) override {
    switch (message) {
      case ev::kPaint:
        Draw();
        return 0;
      case ev::kMouseEnter:
      case ev::kMouseLeave:
        hot_ = message == ev::kMouseEnter;
        Draw();
        return -1;
      case ev::kPressQuery:
        return 0;
      case ev::kClick:
        if (!Disabled()) Command();
        return -1;
      default:
        return -1;
    }
  }

 private:
  void Draw() {
    Paint([&](const PaintContext& pc) {
      const RectF a = pc.area;
      if (hot_) {
        gp::SolidBrush back;
        gp::GdipCreateSolidFill(kind_ == 4 ? 0xC0E04040 : 0x40FFFFFF, back.put());
        gp::GdipFillRectangle(pc.graphics, reinterpret_cast<Gdiplus::GpBrush*>(back.get()), a.x, a.y,
                              a.width, a.height);
      }
      gp::Pen pen;
      gp::GdipCreatePen1(0xF0FFFFFF, 1.0f, Gdiplus::UnitPixel, pen.put());
      const float cx = a.x + a.width / 2, cy = a.y + a.height / 2;
      if (kind_ == 4) {
        gp::GdipDrawLine(pc.graphics, pen.get(), cx - 4, cy - 4, cx + 4, cy + 4);
        gp::GdipDrawLine(pc.graphics, pen.get(), cx - 4, cy + 4, cx + 4, cy - 4);
      } else if (kind_ == 8) {
        gp::GdipDrawRectangle(pc.graphics, pen.get(), cx - 4, cy - 4, 8, 8);
      } else if (kind_ == 16) {
        gp::GdipDrawLine(pc.graphics, pen.get(), cx - 4, cy + 3, cx + 4, cy + 3);
      }
    });
  }
  void Command() {
    const HWND w = GetWindow();
    if (kind_ == 4) PostMessageW(w, WM_CLOSE, 0, 0);
    if (kind_ == 8) PostMessageW(w, WM_SYSCOMMAND, IsZoomed(w) ? SC_RESTORE : SC_MAXIMIZE, 0);
    if (kind_ == 16 && !IsIconic(w)) PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  }
  int kind_;
  bool hot_ = false;
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
    auto e = std::make_unique<CaptionButton>(kind);
    if (!e->Create(host, r, kind::kCaptionButton, true, false, std::nullopt, 60)) return nullptr;
    return e;
  };
  return f;
}

const CaptionPartFactory& CaptionParts() { return Current(); }

void SetCaptionParts(CaptionPartFactory factory) { Current() = std::move(factory); }

}  // namespace ui
