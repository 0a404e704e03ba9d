// UiWindow: mouse routing, edge resizing, activation.
#include <windows.h>

#include "ui/element/element.h"
#include "ui/host/window.h"

namespace ui {

void UiWindow::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {}

bool UiWindow::ResizeHitTest(UINT msg, LPARAM lp) { return false; }

void UiWindow::OnActivate(WPARAM wp, LPARAM lp) {}

void UiWindow::OnMouseLeave(WPARAM wp, LPARAM lp) { mouseTracked_ = false; }

}  // namespace ui
