#pragma once
// Private messages of the host window. Elements send and post them to
// their host's window so that notifications raised inside the library run
// in order inside the window procedure; numbers come from the same base as
// the element messages (ui/element/element_types.h).
#include <windows.h>

namespace ui {

namespace hostmsg {
inline constexpr UINT kSetFocus = 10240;        // lParam: element handle
inline constexpr UINT kAccelerator = 10251;     // wParam: element handle, lParam: key
inline constexpr UINT kPresentCanvas = 10253;   // push the whole canvas of a layered window
inline constexpr UINT kInvalidate = 10256;      // wParam: mode, lParam: rectangle ticket
inline constexpr UINT kElementMoved = 10257;    // wParam: element handle, lParam: 1 = redraw
inline constexpr UINT kDeliverEvent = 10258;    // wParam: element handle, lParam: event ticket
inline constexpr UINT kPresentHeld = 10259;     // repair and present what a hold collected
inline constexpr UINT kActivate = 10266;        // wParam: element handle; do what a click does
}  // namespace hostmsg

}  // namespace ui
