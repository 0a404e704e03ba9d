#pragma once
// Helpers shared by the tests: windows, message pumping with time limits,
// and pixel reading.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/core/color.h"
#include "ui/core/menu.h"
#include "ui/platform/gdiplus_api.h"

namespace qwtest {

// The menu handed to InitLibrary as the edit boxes' context menu.
ui::UiMenu& SharedEditMenu();

// A top-level test window (class "QwTestWindow"), destroyed with the object.
class TestWindow {
 public:
  TestWindow(int x, int y, int width, int height, DWORD style = WS_POPUP, DWORD exStyle = 0,
             const wchar_t* title = L"test");
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow();
  HWND hwnd() const { return hwnd_; }
  void Show();

 private:
  HWND hwnd_ = nullptr;
};

// Dispatches the thread's messages until `done` returns true or `timeoutMs`
// has passed; returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches whatever is pending now.
void PumpPending();
// Dispatches messages for `ms` milliseconds (for tests that must show that
// something does NOT happen within a time).
void PumpFor(DWORD ms);

// Pixel of a GDI+ bitmap as ARGB (0 when out of range).
ui::Argb BitmapPixel(Gdiplus::GpBitmap* bitmap, int x, int y);
// Pixel of the bitmap selected into a memory DC, as ARGB read from the DIB
// bits (alpha included).
ui::Argb DcPixel(HDC dc, int x, int y);

// True when |a - b| <= tolerance for every channel.
bool ColorNear(ui::Argb a, ui::Argb b, int tolerance = 2);
std::string ColorText(ui::Argb c);

}  // namespace qwtest
