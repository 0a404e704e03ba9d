// The built-in caption parts: the icon is a picture, the title a label and
// the buttons draw the library's glyph strip. They live with the controls
// because the caption button is one; the host only knows the factory.
#include "ui/controls/caption_button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"
#include "ui/host/caption_parts.h"

namespace ui {

CaptionPartFactory DefaultCaptionParts() {
  CaptionPartFactory f;
  f.icon = [](HWND host, const RectF& r, HICON icon) -> std::unique_ptr<UiElement> {
    auto e = std::make_unique<UiPicture>();
    if (!e->CreateFromIcon(host, static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width),
                           static_cast<int>(r.height), icon))
      return nullptr;
    return e;
  };
  f.title = [](HWND host, const RectF& r, std::string_view text, Argb colour) -> std::unique_ptr<UiElement> {
    auto e = std::make_unique<UiLabel>();
    LabelOptions options;
    options.textColor = colour;
    if (!e->Create(host, static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width),
                   static_cast<int>(r.height), text, options))
      return nullptr;
    return e;
  };
  f.setTitleText = [](UiElement& title, std::string_view text) {
    if (auto* label = dynamic_cast<UiLabel*>(&title)) label->Text(text);
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

}  // namespace ui
