#pragma once
// Library start-up and the process-wide values every window and control
// reads. They are created once by InitLibrary and live until the process
// ends (never released: GDI+ is not shut down, the class not unregistered).
#include <windows.h>

#include <string>
#include <vector>

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
  // The caption-button glyph strip, decoded from glyphStripBytes by the
  // first GlyphImageFor; may be null.
  Gdiplus::GpImage* glyphImage = nullptr;
  bool glyphImageTried = false;
  // The strip's bytes (without the PNG signature) and its larger drawings,
  // decoded on first use at 150 % and 200 %; never released.
  std::vector<std::uint8_t> glyphStripBytes;
  Gdiplus::GpImage* largerGlyphImages[2] = {nullptr, nullptr};
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
  // The caption-glyph strip as PNG bytes without the 8-byte signature,
  // and the same strip drawn at 150 % and 200 % (also without signature;
  // either may be empty). The larger drawings must stay valid for the life
  // of the process (embedded data); the strip itself is copied.
  ByteView glyphStrip;
  ByteView glyphStrip150;
  ByteView glyphStrip200;
  // The edit boxes' context menu; InitLibrary appends its five items.
  UiMenu* editMenu = nullptr;
};

// GDI+ start-up, OS version, default font, arrow cursor, glyph strip (kept
// for its first use), the window class "Zq_DirectUI" and the edit menu's
// items, in that order.
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

// The caption glyph strip for a display at `scaleQuarters` (4 = 100 %):
// glyphImage at 100 % or when no larger drawing of the strip exists, else
// the larger drawing picked for the scale (source rectangles then count
// ImagePixelsPerLogical times the 100 % cell coordinates). May be null.
Gdiplus::GpImage* GlyphImageFor(int scaleQuarters);

// DefaultCursor := `handle` when given, else LoadCursorW(NULL, id).
void SetDefaultCursor(UINT_PTR id, HCURSOR handle = nullptr);

// Face name of the system's menu (1), caption (2) or message (3) font;
// "宋体" where that font is "Tahoma", cannot be read or cannot be created.
std::string SystemFontFace(int which = 2);

// "宋体" at 12 pixels, else the system caption font's face; null when neither exists.
Gdiplus::GpFont* CreateDefaultFont();

}  // namespace ui
