#pragma once
// The caption parts a host creates: the icon picture, the title label and
// the caption buttons. The host creates them through this factory so that
// tests can watch or replace them; the defaults are UiPicture, UiLabel and
// UiCaptionButton.
#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>

#include "ui/core/color.h"
#include "ui/element/element.h"

namespace ui {

struct CaptionPartFactory {
  // An element of `host` at `bounds` showing `icon`; not focusable.
  std::function<std::unique_ptr<UiElement>(HWND host, const RectF& bounds, HICON icon)> icon;
  // A label of `host` showing `text` (code page 936) in `colour`.
  std::function<std::unique_ptr<UiElement>(HWND host, const RectF& bounds, std::string_view text,
                                           Argb colour)>
      title;
  // Changes the text of an element made by `title`.
  std::function<void(UiElement& title, std::string_view text)> setTitleText;
  // A caption button of `host` for caption bit `kind` (4 close, 8 maximise, ...).
  std::function<std::unique_ptr<UiElement>(HWND host, const RectF& bounds, int kind)> button;
};

// The factory in use (the defaults until replaced).
const CaptionPartFactory& CaptionParts();
void SetCaptionParts(CaptionPartFactory factory);
// The built-in parts (made by the control layer, ui/controls/default_caption_parts.cpp).
CaptionPartFactory DefaultCaptionParts();

}  // namespace ui
