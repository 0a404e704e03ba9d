// A window holding one control of each kind, drawn with the installer's
// artwork, for looking at the controls on a real screen. It stays open for
// the number of milliseconds given as its argument (default 8000).
//   controls_gallery.exe [ms] [hover]   "hover" shows the install button hovered
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/resources/resources.h"
#include "tests/support/test_images.h"
#include "ui/controls/progress_bar.h"
#include "ui/core/library.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"
#include "ui/host/window.h"

namespace res = app::resources;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  ui::LibraryInit init;
  init.glyphStrip = res::LibraryGlyphStrip();
  ui::InitLibrary(init);
  const DWORD lifeMs = commandLine && *commandLine ? std::strtoul(commandLine, nullptr, 10) : 8000;
  const bool hover = commandLine && std::strstr(commandLine, "hover");
  const DWORD lifetime = lifeMs ? lifeMs : 8000;

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"QwControlsGallery";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"controls", WS_POPUP, 20, 20, 588, 438, nullptr, nullptr,
                              instance, nullptr);

  ui::UiWindow host;
  ui::UiWindow::CreateOptions options;
  options.image = res::BackgroundImage();
  options.captionStyle = 0;
  options.imageLayout = 0;
  options.frameMode = 1;
  options.blurBehind = false;
  host.Create(hwnd, options);

  const ui::Argb white = ui::MakeArgb(RGB(255, 255, 255));
  ui::UiButton close;
  close.Create(hwnd, 554, 3, 30, 30, "", {.textColor = white});
  close.SetImages({.normal = res::CloseNormalImage(), .hover = res::CloseHoverImage(),
                   .pressed = res::CloseNormalImage(), .disabled = res::CloseNormalImage(), .layout = 1});

  ui::UiLabel panel;
  panel.Create(hwnd, 0, 270, 588, 168, "", {.gradientMode = 1, .backColor1 = white, .backColor2 = white});

  ui::UiLabel heading;
  heading.Create(hwnd, 20, 20, 300, 40, "青梧网游加速器",
                 {.textColor = white, .fontName = "宋体", .fontSize = 24, .textEffect = 3, .effectColor = 0xA0000000});
  ui::UiLabel note;
  note.Create(hwnd, 20, 64, 260, 56, "自动对比：这段文字会按背景的明暗选择黑色或白色，并自动换行。",
              {.wordWrap = true, .autoContrast = true, .borderStyle = 4});

  ui::UiButton install;
  install.Create(hwnd, 190, 360, 200, 50, "极速安装", {.textColor = white, .fontName = "宋体", .fontSize = 22});
  install.SetImages({.normal = res::BigButtonNormalImage(), .hover = res::BigButtonHoverImage(),
                     .pressed = res::BigButtonNormalImage(), .disabled = ui::ByteView(), .layout = 1});

  ui::UiButton browse;
  browse.Create(hwnd, 508, 305, 58, 28, "浏览", {.textColor = white});
  browse.SetImages({.normal = res::BrowseNormalImage(), .hover = res::BrowseHoverImage(),
                    .pressed = res::BrowseNormalImage(), .disabled = ui::ByteView(), .layout = 1});

  ui::UiButton disabled;
  disabled.Create(hwnd, 408, 360, 120, 50, "停用", {.textColor = white, .fontName = "宋体", .fontSize = 18});
  disabled.SetImages({.normal = res::BigButtonNormalImage(), .layout = 1});
  disabled.Disabled(true);

  ui::UiProgressBar progress;
  progress.Create(hwnd, 32, 330, 524, 18,
                  {.position = 50, .barColor1 = ui::MakeArgb(0xFF8800), .barColor2 = ui::MakeArgb(0, 150),
                   .frameColor = ui::MakeArgb(0x606060, 100), .rounded = false});
  ui::UiProgressBar rounded;
  rounded.Create(hwnd, 32, 300, 300, 16, {.position = 70, .rounded = true});
  ui::UiProgressBar vertical;
  vertical.Create(hwnd, 560, 60, 14, 200, {.position = 35, .vertical = true, .rounded = true});

  ui::UiPicture gif;
  gif.Create(hwnd, 340, 20, 48, 48, qwtest::ThreeFrameGif(),
             {.animate = true, .fixZeroDelays = true, .imageLayout = 1, .borderStyle = 3});
  ui::UiPicture icon;
  icon.CreateFromIcon(hwnd, 400, 20, 32, 32, LoadIconW(nullptr, MAKEINTRESOURCEW(32516)),
                      {.imageLayout = 1});
  ui::UiPicture thumb;
  thumb.Create(hwnd, 450, 20, 118, 57, res::BackgroundImage(), {.backColor = white, .imageLayout = 1, .borderStyle = 1});

  if (hover) install.SendEvent(ui::ev::kMouseEnter);
  host.Redraw();
  ShowWindow(hwnd, SW_SHOW);
  host.Present();
  SetTimer(hwnd, 1, lifetime, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == 1) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyWindow(hwnd);
  return 0;
}
