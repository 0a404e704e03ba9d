#pragma once
// The caption parts a host creates: the icon picture, the title label and
// the caption buttons. The host creates them through this factory so that
// the picture, label and caption-button classes can be plugged in; the
// defaults are minimal elements owned by the host module.
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
// The built-in minimal parts.
CaptionPartFactory DefaultCaptionParts();

}  // namespace ui
