// Library start-up and its process-wide values.
#include <gtest/gtest.h>

#include "tests/support/test_env.h"
#include "ui/core/image.h"
#include "ui/core/library.h"
#include "ui/platform/system_api.h"

using namespace ui;

TEST(Library, StartUpFillsTheProcessWideValues) {
  const LibraryState& lib = Library();
  EXPECT_NE(lib.gdiplusToken, 0u);
  EXPECT_GT(lib.osMajorVersion, 0);
  EXPECT_NE(lib.defaultFont, nullptr);
  EXPECT_EQ(lib.defaultCursor, LoadCursorW(nullptr, IDC_ARROW));
  // The test strip, decoded at its first use with the signature added.
  Gdiplus::GpImage* strip = GlyphImageFor(4);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip, lib.glyphImage);
  EXPECT_EQ(ImageWidth(strip), 4u);
  EXPECT_EQ(GlyphImageFor(4), strip) << "decoded once";
  EXPECT_TRUE(lib.classRegistered);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClassName, &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(wc.hCursor, lib.defaultCursor);
  EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

TEST(Library, ClassWindowsForwardToDefaultProcedure) {
  HWND hwnd = CreateWindowExW(0, kWindowClassName, L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(hwnd, nullptr);
  SetWindowTextW(hwnd, L"forwarded");
  wchar_t buf[32] = {};
  GetWindowTextW(hwnd, buf, 32);
  EXPECT_STREQ(buf, L"forwarded");
  DestroyWindow(hwnd);
}

TEST(Library, SecondRegistrationFailsAndKeepsGlobals) {
  const LibraryState before = Library();
  HICON otherIcon = LoadIconW(nullptr, IDI_WARNING);
  WindowClassOptions again;
  again.icon = otherIcon;
  EXPECT_FALSE(RegisterWindowClass(again));
  EXPECT_EQ(Library().defaultIcon, before.defaultIcon);
  EXPECT_EQ(Library().defaultCursor, before.defaultCursor);
  EXPECT_EQ(Library().classRegistered, before.classRegistered);

  // A class of another name registers and records its icon.
  WindowClassOptions other;
  other.name = L"QwLibraryTestClass";
  other.icon = otherIcon;
  EXPECT_TRUE(RegisterWindowClass(other));
  EXPECT_EQ(Library().defaultIcon, otherIcon);
  Library().defaultIcon = before.defaultIcon;
}

TEST(Library, DefaultCursorByIdOrHandle) {
  const HCURSOR saved = Library().defaultCursor;
  SetDefaultCursor(reinterpret_cast<UINT_PTR>(IDC_HAND));
  EXPECT_EQ(Library().defaultCursor, LoadCursorW(nullptr, IDC_HAND));
  HCURSOR ibeam = LoadCursorW(nullptr, IDC_IBEAM);
  SetDefaultCursor(0, ibeam);
  EXPECT_EQ(Library().defaultCursor, ibeam);
  Library().defaultCursor = saved;
}

TEST(Library, SystemFontFaceReplacesTahomaAndValidates) {
  NONCLIENTMETRICSA m{};
  m.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0));
  const std::string caption = m.lfCaptionFont.lfFaceName;
  const std::string face = SystemFontFace();
  EXPECT_FALSE(face.empty());
  if (caption == "Tahoma") {
    EXPECT_EQ(face, "宋体");
  }
  // Out-of-range values read the caption font as well.
  EXPECT_EQ(SystemFontFace(9), face);
  EXPECT_FALSE(SystemFontFace(1).empty());
  EXPECT_FALSE(SystemFontFace(3).empty());
}

TEST(Library, OsVersionComesFromTheSystem) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(sys::RtlGetVersion(&info), 0);
  EXPECT_EQ(Library().osMajorVersion, static_cast<int>(info.dwMajorVersion));
}
