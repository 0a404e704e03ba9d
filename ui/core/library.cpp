#include "ui/core/library.h"
#include "ui/core/startup_trace.h"

#include "ui/core/color.h"
#include "ui/core/font.h"
#include "ui/core/image.h"
#include "ui/core/menu.h"
#include "ui/core/text.h"
#include "ui/platform/gdiplus_handles.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {
constexpr char kSongTi[] = "宋体";

LRESULT CALLBACK ForwardToDefault(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int ReadOsMajorVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (sys::RtlGetVersion(&info) == 0) return static_cast<int>(info.dwMajorVersion);
  return 0;
}

void AddEditMenuItems(UiMenu& menu) {
  menu.AddItem("剪切(&T)", {}, 0, UiMenu::kCommand, 1, 'X');
  menu.AddItem("复制(&C)", {}, 0, UiMenu::kCommand, 1, 'C');
  menu.AddItem("粘贴(&P)", {}, 0, UiMenu::kCommand, 1, 'V');
  menu.AddItem("", {}, 0, UiMenu::kSeparator, 0, 0);
  menu.AddItem("全部选择(&A)", {}, 0, UiMenu::kCommand, 1, 'A');
}
}  // namespace

LibraryState& Library() {
  static LibraryState state;
  return state;
}

void InitLibrary(const LibraryInit& init) {
  LibraryState& lib = Library();
  Gdiplus::GdiplusStartupInput input;  // version 1, no callback, thread not suppressed
  TraceStage("init:begin");
  gp::GdiplusStartup(&lib.gdiplusToken, &input, nullptr);
  TraceStage("init:gdiplus");
  lib.osMajorVersion = ReadOsMajorVersion();
  lib.defaultFont = CreateDefaultFont();
  TraceStage("init:font");
  SetDefaultCursor(reinterpret_cast<UINT_PTR>(IDC_ARROW));
  if (!init.glyphStrip.empty()) {
    // Decoded at its first use (GlyphImageFor): a window without caption
    // buttons never needs it. The library's own copy is the registered
    // 100 % drawing: the caller's view of the strip need not outlive start-up.
    lib.glyphStripBytes.assign(init.glyphStrip.begin(), init.glyphStrip.end());
    RegisterImageVariants(lib.glyphStripBytes, init.glyphStrip150, init.glyphStrip200);
  }
  TraceStage("init:glyphs");
  WindowClassOptions cls;
  cls.windowProc = ForwardToDefault;
  RegisterWindowClass(cls);
  lib.editMenu = init.editMenu;
  if (init.editMenu) AddEditMenuItems(*init.editMenu);
}

bool RegisterWindowClass(const WindowClassOptions& options) {
  LibraryState& lib = Library();
  HINSTANCE module = GetModuleHandleW(nullptr);
  HICON icon = options.icon ? options.icon : LoadIconW(module, MAKEINTRESOURCEW(129));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = options.hasStyle ? options.style : CS_DBLCLKS;
  wc.lpfnWndProc = options.windowProc ? options.windowProc : ForwardToDefault;
  wc.hInstance = module;
  wc.hIcon = icon;
  wc.hCursor = options.cursor ? options.cursor : lib.defaultCursor;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = options.name ? options.name : kWindowClassName;
  if (!RegisterClassExW(&wc)) return false;
  lib.defaultIcon = icon;
  if (!options.name || lstrcmpW(options.name, kWindowClassName) == 0) lib.classRegistered = true;
  return true;
}

Gdiplus::GpImage* GlyphImageFor(int scaleQuarters) {
  LibraryState& lib = Library();
  if (lib.glyphStripBytes.empty()) return lib.glyphImage;
  if (!lib.glyphImage && !lib.glyphImageTried) {
    lib.glyphImageTried = true;  // a strip that does not decode is not tried again
    lib.glyphImage = ImageFromMemory(lib.glyphStripBytes, true).release();
  }
  const int drawnAt = PickImageVariant(lib.glyphStripBytes, scaleQuarters).quarters;
  if (drawnAt <= kUnitScaleQuarters) return lib.glyphImage;
  Gdiplus::GpImage*& larger = lib.largerGlyphImages[drawnAt >= 8 ? 1 : 0];
  if (!larger) larger = ImageFromMemory(lib.glyphStripBytes, true, drawnAt).release();
  return larger ? larger : lib.glyphImage;
}

void SetDefaultCursor(UINT_PTR id, HCURSOR handle) {
  Library().defaultCursor = handle ? handle : LoadCursorW(nullptr, MAKEINTRESOURCEW(id));
}

std::string SystemFontFace(int which) {
  if (which < 1 || which > 3) which = 2;
  NONCLIENTMETRICSA metrics{};
  // The size without iPaddedBorderWidth: accepted by every system version.
  metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return kSongTi;
  const LOGFONTA& lf = which == 1 ? metrics.lfMenuFont
                       : which == 2 ? metrics.lfCaptionFont
                                    : metrics.lfMessageFont;
  std::string face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  if (face == "Tahoma") face = kSongTi;
  // Only a face that really makes a font is returned.
  return !face.empty() && FontFamilyExists(face) ? face : std::string(kSongTi);
}

Gdiplus::GpFont* CreateDefaultFont() {
  // 宋体, else the system's caption face (asked for only then).
  std::string name = kSongTi;
  if (!FontFamilyExists(name)) name = SystemFontFace();
  if (!FontFamilyExists(name)) return nullptr;
  return CreateFontByName(name, 12.0f, Gdiplus::FontStyleRegular);
}

}  // namespace ui
