#pragma once
// UiTooltipAccelerators: the host's tooltip window (one tool: the
// element under the mouse, with its text) and its accelerator records
// (Alt + key clicks an element). Owned by the UiWindow it serves and
// released with it.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/element/element_types.h"

namespace ui {

class UiWindow;

class UiTooltipAccelerators {
 public:
  explicit UiTooltipAccelerators(UiWindow& host) : host_(host) {}
  UiTooltipAccelerators(const UiTooltipAccelerators&) = delete;
  UiTooltipAccelerators& operator=(const UiTooltipAccelerators&) = delete;

  // Creates the tooltip window (again: an earlier one is destroyed).
  // SetTooltip calls it when the first tip is shown.
  void CreateTooltip();
  // Removes the tool from the hosted window and destroys the tooltip
  // window. The tool subclasses the window (TTF_SUBCLASS), so this runs
  // before the host takes its own procedure out of the window.
  void DestroyTooltip();
  // Tooltip for the element's rectangle; no text: the element's TipText.
  // Any element not of this host (or null) only removes the tool.
  void SetTooltip(UiElement* element, std::optional<std::string_view> text);
  // Gives the tool its element's rectangle at the host's current scale
  // (after a DPI change the old device rectangle no longer covers it).
  void UpdateToolRect();
  // Null until a tip has been shown.
  HWND TooltipWindow() const { return tooltip_; }

  // Adds, changes or (key 0) removes the element's accelerator. Returns 1.
  int SetAccelerator(UiElement* element, int key);
  // Accelerator records {element handle, key}.
  const std::vector<std::pair<ElementHandle, int>>& Accelerators() const { return accelerators_; }
  // Drops the accelerator of an element that is being destroyed.
  void ForgetElement(ElementHandle element);
  void ClearAccelerators() { accelerators_.clear(); }

 private:
  UiWindow& host_;
  HWND tooltip_ = nullptr;  // owned: destroyed by DestroyTooltip (the host's Detach)
  std::string tipText_;     // text of the tooltip tool
  ElementHandle toolElement_ = 0;  // the element the tool stands for (0: no tool)
  std::vector<std::pair<ElementHandle, int>> accelerators_;
};

}  // namespace ui
