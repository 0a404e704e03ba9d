// The installer process object in a test process: its UI thread enters a
// single-threaded COM apartment once the first frame is on the screen (or
// a screen reader asks before that) and leaves it at teardown, as the
// folder dialog with the new dialog style and the shell links require; its
// first frame is the window as a complete recomposition draws it.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <vector>

#include "app/installer_app.h"
#include "app/resources/resources.h"
#include "tests/support/test_env.h"

namespace {

enum class Apartment { kNone, kSingleThreaded, kOther };

// Asks COM which apartment this thread is in without changing it.
Apartment CurrentApartment() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (hr == RPC_E_CHANGED_MODE) return Apartment::kSingleThreaded;
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_OK ? Apartment::kNone : Apartment::kOther;
}

}  // namespace

TEST(InstallerApp, UiThreadIsASingleThreadedApartmentFromTheFirstFrameToTeardown) {
  ASSERT_EQ(CurrentApartment(), Apartment::kNone);
  {
    app::InstallerApp installer;
    EXPECT_EQ(CurrentApartment(), Apartment::kNone);  // nothing before Start
    ASSERT_TRUE(installer.Start(app::resources::LibraryGlyphStrip()));
    EXPECT_NE(installer.texts().startWindowHandle, nullptr);
    ASSERT_TRUE(qwtest::PumpUntil([&] { return installer.lateSystemDlls().Loaded(); }, 30000));
    EXPECT_EQ(CurrentApartment(), Apartment::kSingleThreaded);
    installer.Teardown();
    EXPECT_EQ(CurrentApartment(), Apartment::kNone);
    installer.Teardown();  // a second teardown leaves it alone
    EXPECT_EQ(CurrentApartment(), Apartment::kNone);
  }
  EXPECT_EQ(CurrentApartment(), Apartment::kNone);
}

// A screen reader asking before the first frame is shown gets its answer:
// the apartment and the accessibility DLL are there for it at once.
TEST(InstallerApp, AScreenReadersFirstQuestionEntersTheApartment) {
  app::InstallerApp installer;
  ASSERT_TRUE(installer.Start(app::resources::LibraryGlyphStrip()));
  const HWND hwnd = installer.texts().startWindowHandle;
  ASSERT_FALSE(installer.lateSystemDlls().Loaded()) << "nothing pumped yet";
  EXPECT_EQ(CurrentApartment(), Apartment::kNone);
  const LRESULT answer = SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  EXPECT_GT(answer, 0) << "the element tree was handed out";
  EXPECT_EQ(CurrentApartment(), Apartment::kSingleThreaded);
  installer.Teardown();
  EXPECT_EQ(CurrentApartment(), Apartment::kNone);
}

namespace {

// The host's canvas, row by row (BGRA).
std::vector<std::uint32_t> CanvasPixels(ui::UiWindow& host) {
  const SIZE size = host.ClientSize();
  std::vector<std::uint32_t> pixels(static_cast<size_t>(size.cx) * size.cy);
  HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(host.CanvasDc(), OBJ_BITMAP));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (GetDIBits(host.CanvasDc(), bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS) != size.cy)
    pixels.clear();
  return pixels;
}

bool FirstFrameShown(HWND hwnd, ui::UiWindow& host) {
  return IsWindowVisible(hwnd) && !GetUpdateRect(hwnd, nullptr, FALSE) && !host.RedrawsHeld() &&
         host.PendingRedraws() == 0 && host.PresentCountForTest() > 0;
}

}  // namespace

// The window's first paint, during Start, already shows the complete frame:
// nothing drawn later (pending repaints of controls) changes it.
TEST(InstallerApp, WindowIsCompleteWhenStartShowsIt) {
  SetCursorPos(0, 0);  // no button under the pointer: nothing fades in
  app::InstallerApp installer;
  ASSERT_TRUE(installer.Start(app::resources::LibraryGlyphStrip()));
  const HWND hwnd = installer.texts().startWindowHandle;
  ui::UiWindow& host = *installer.objects().mainHost;
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  EXPECT_EQ(host.PendingRedraws(), 0u);
  const std::vector<std::uint32_t> shown = CanvasPixels(host);
  ASSERT_FALSE(shown.empty());

  host.Redraw();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return FirstFrameShown(hwnd, host); }, 30000));
  const std::vector<std::uint32_t> recomposed = CanvasPixels(host);
  ASSERT_EQ(shown.size(), recomposed.size());
  size_t differing = 0;
  for (size_t i = 0; i < shown.size(); ++i)
    if (shown[i] != recomposed[i]) ++differing;
  EXPECT_EQ(differing, 0u);
  installer.Teardown();
}

// Start-up draws the window in its own order (images decoded as they are
// first drawn, the hidden 立即运行 button never drawn, held repaints
// flushed in one frame): its first frame must be exactly what a complete
// recomposition of the same window draws, every element rendered afresh.
TEST(InstallerApp, FirstFrameIsExactlyTheFullyRecomposedWindow) {
  SetCursorPos(0, 0);  // no button under the pointer: nothing fades in
  app::InstallerApp installer;
  ASSERT_TRUE(installer.Start(app::resources::LibraryGlyphStrip()));
  const HWND hwnd = installer.texts().startWindowHandle;
  ui::UiWindow& host = *installer.objects().mainHost;
  ASSERT_TRUE(qwtest::PumpUntil([&] { return FirstFrameShown(hwnd, host); }, 30000));
  const std::vector<std::uint32_t> first = CanvasPixels(host);
  ASSERT_FALSE(first.empty());

  host.Redraw();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return FirstFrameShown(hwnd, host); }, 30000));
  const std::vector<std::uint32_t> recomposed = CanvasPixels(host);
  ASSERT_EQ(first.size(), recomposed.size());
  size_t differing = 0, firstAt = first.size();
  for (size_t i = 0; i < first.size(); ++i) {
    if (first[i] == recomposed[i]) continue;
    if (!differing) firstAt = i;
    ++differing;
  }
  const LONG width = host.ClientSize().cx;
  EXPECT_EQ(differing, 0u) << "first differing pixel at (" << (firstAt % width) << ", " << (firstAt / width) << ")";
  installer.Teardown();
}
