#include "ui/host/tooltip_accelerators.h"

#include <commctrl.h>

#include "ui/core/text.h"
#include "ui/element/element.h"
#include "ui/host/window.h"
#include "ui/platform/system_api.h"

namespace ui {

void UiTooltipAccelerators::CreateTooltip() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    return sys::InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)initialised;
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0,
                             0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return;
  SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 1024);
}

void UiTooltipAccelerators::DestroyTooltip() {
  if (tooltip_) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = host_.Window();
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    DestroyWindow(tooltip_);
    tooltip_ = nullptr;
  }
  tipText_.clear();
  toolElement_ = 0;
}

void UiTooltipAccelerators::SetTooltip(UiElement* element, std::optional<std::string_view> text) {
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = host_.Window();
  ti.hinst = GetModuleHandleW(nullptr);
  if (tooltip_) SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  toolElement_ = 0;
  if (!host_.Owns(element)) return;
  const std::string chosen = text ? std::string(*text) : element->TipText();
  if (chosen.empty()) return;
  // The tooltip window is made when a tip is first shown: making it (and
  // the common controls' classes) is a large part of attaching a host,
  // and many windows never show a tip.
  if (!tooltip_) CreateTooltip();
  if (!tooltip_) return;
  std::wstring wide = ToWide(chosen);
  // The tool's rectangle is where the element shows: device pixels.
  ti.rect = host_.Scale().ToDevice(element->Bounds());
  ti.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  tipText_ = chosen;
  toolElement_ = element->Self();
}

void UiTooltipAccelerators::UpdateToolRect() {
  UiElement* element = UiElement::FromHandle(toolElement_);
  if (!tooltip_ || !host_.Owns(element)) return;
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = host_.Window();
  ti.rect = host_.Scale().ToDevice(element->Bounds());
  SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

int UiTooltipAccelerators::SetAccelerator(UiElement* element, int key) {
  if (!host_.Owns(element)) return 1;
  const ElementHandle h = element->Self();
  for (auto it = accelerators_.begin(); it != accelerators_.end(); ++it) {
    if (it->first != h) continue;
    if (key == 0)
      accelerators_.erase(it);
    else
      it->second = key;
    return 1;
  }
  if (key != 0) accelerators_.emplace_back(h, key);
  return 1;
}

void UiTooltipAccelerators::ForgetElement(ElementHandle element) {
  std::erase_if(accelerators_, [element](const auto& a) { return a.first == element; });
}

}  // namespace ui
