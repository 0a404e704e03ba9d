#pragma once
// Win32 functions bound at run time: those outside the system's known DLLs
// (DWM, dbghelp, ntdll) and the layered-window, alpha-blend, input-method and
// folder-dialog functions. A missing function makes the call return the
// listed fallback (FALSE, null, E_NOTIMPL), never crash.
#include <windows.h>
#include <dwmapi.h>
#include <imm.h>
#include <oleacc.h>
#include <shlobj.h>

#include <utility>

namespace ui::sys {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
using MakeSureDirectoryPathExistsFn = BOOL(WINAPI*)(PCSTR);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// X(dll, name, type, fallback)
#define UI_SYSTEM_FUNCTIONS(X)                                                     \
  X(L"dwmapi.dll", DwmIsCompositionEnabled, decltype(&::DwmIsCompositionEnabled), E_NOTIMPL) \
  X(L"dwmapi.dll", DwmEnableBlurBehindWindow, decltype(&::DwmEnableBlurBehindWindow), E_NOTIMPL) \
  X(L"dbghelp.dll", MakeSureDirectoryPathExists, MakeSureDirectoryPathExistsFn, FALSE) \
  X(L"ntdll.dll", RtlGetVersion, RtlGetVersionFn, -1)                              \
  X(L"user32.dll", UpdateLayeredWindow, decltype(&::UpdateLayeredWindow), FALSE)   \
  X(L"user32.dll", SetLayeredWindowAttributes, decltype(&::SetLayeredWindowAttributes), FALSE) \
  X(L"user32.dll", TrackMouseEvent, decltype(&::TrackMouseEvent), FALSE)           \
  X(L"user32.dll", GetDpiForWindow, GetDpiForWindowFn, 0)                          \
  X(L"gdi32.dll", GdiAlphaBlend, decltype(&::GdiAlphaBlend), FALSE)                \
  X(L"imm32.dll", ImmGetContext, decltype(&::ImmGetContext), nullptr)              \
  X(L"imm32.dll", ImmReleaseContext, decltype(&::ImmReleaseContext), FALSE)        \
  X(L"imm32.dll", ImmAssociateContext, decltype(&::ImmAssociateContext), nullptr)  \
  X(L"imm32.dll", ImmGetCompositionStringA, decltype(&::ImmGetCompositionStringA), 0) \
  X(L"shell32.dll", SHBrowseForFolderA, decltype(&::SHBrowseForFolderA), nullptr)  \
  X(L"shell32.dll", SHGetPathFromIDListA, decltype(&::SHGetPathFromIDListA), FALSE) \
  X(L"oleacc.dll", LresultFromObject, decltype(&::LresultFromObject), 0)          \
  X(L"oleaut32.dll", SysAllocStringLen, decltype(&::SysAllocStringLen), nullptr)

struct Table {
#define UI_SYS_FIELD(dll, name, type, fallback) type name = nullptr;
  UI_SYSTEM_FUNCTIONS(UI_SYS_FIELD)
#undef UI_SYS_FIELD
};

const Table& table();
// Test seam: the same table, writable, so a test can remove or replace a function.
Table& mutableTableForTest();

template <class R, class... A, class F, class... T>
inline R CallOr(F fallback, R(WINAPI* fn)(A...), T&&... args) {
  return fn ? fn(std::forward<T>(args)...) : static_cast<R>(fallback);
}

#define UI_SYS_WRAP(dll, name, type, fallback)                          \
  template <class... T>                                                 \
  inline auto name(T&&... args) {                                       \
    return CallOr(fallback, table().name, std::forward<T>(args)...);    \
  }
UI_SYSTEM_FUNCTIONS(UI_SYS_WRAP)
#undef UI_SYS_WRAP

}  // namespace ui::sys
