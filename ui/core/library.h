#pragma once
// Library start-up and the process-wide values every window and control
// reads. They are created once by InitLibrary and live until the process
// ends (never released: GDI+ is not shut down, the class not unregistered).
#include <windows.h>

#include <string>

#include "ui/core/bytes.h"
#include "ui/platform/gdiplus_api.h"

namespace ui {

class UiMenu;

struct LibraryState {
  ULONG_PTR gdiplusToken = 0;
  int osMajorVersion = 0;                   // blur-behind is used only when this is 6
  Gdiplus::GpFont* defaultFont = nullptr;   // process-wide, never released; may be null
  HCURSOR defaultCursor = nullptr;
  HICON defaultIcon = nullptr;
  Gdiplus::GpImage* glyphImage = nullptr;   // caption-button glyph strip; may be null
  bool classRegistered = false;
  UiMenu* editMenu = nullptr;               // the edit boxes' shared context menu; not owned
};

// The process-wide values (zero until InitLibrary).
LibraryState& Library();

inline constexpr wchar_t kWindowClassName[] = L"Zq_DirectUI";
inline constexpr wchar_t kHostProperty[] = L"Zq_Wnd_Control";
// The display scale (quarters) a host last sized the window for, so that a
// host attaching again does not scale it twice.
inline constexpr wchar_t kScaleProperty[] = L"Zq_Wnd_Scale";

struct LibraryInit {
  // The caption-glyph strip as PNG bytes without the 8-byte signature.
  ByteView glyphStrip;
  // The edit boxes' context menu; InitLibrary appends its five items.
  UiMenu* editMenu = nullptr;
};

// GDI+ start-up, OS version, default font, arrow cursor, glyph image, the
// window class "Zq_DirectUI" and the edit menu's items, in that order.
// Failures leave the corresponding value null; nothing is reported.
void InitLibrary(const LibraryInit& init = {});

struct WindowClassOptions {
  const wchar_t* name = nullptr;  // default "Zq_DirectUI"
  bool hasStyle = false;
  UINT style = 0;                 // default CS_DBLCLKS
  HICON icon = nullptr;           // default LoadIconW(module, 129)
  HCURSOR cursor = nullptr;       // default DefaultCursor
  WNDPROC windowProc = nullptr;   // default: forwards to DefWindowProcW
};
// True when RegisterClassExW succeeded. A failed registration changes no
// process-wide value.
bool RegisterWindowClass(const WindowClassOptions& options = {});

// DefaultCursor := `handle` when given, else LoadCursorW(NULL, id).
void SetDefaultCursor(UINT_PTR id, HCURSOR handle = nullptr);

// Face name of the system's menu (1), caption (2) or message (3) font;
// "宋体" where that font is "Tahoma", cannot be read or cannot be created.
std::string SystemFontFace(int which = 2);

// "宋体" at 12 pixels, else the system caption font's face; null when neither exists.
Gdiplus::GpFont* CreateDefaultFont();

}  // namespace ui
