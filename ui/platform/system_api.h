#pragma once
// Win32 functions bound at run time: those outside the system's known DLLs
// (DWM, dbghelp, ntdll, the common controls) and the layered-window,
// alpha-blend, input-method and folder-dialog functions. Each is looked up
// at its first call, so a DLL that only later work needs is not loaded while
// a window comes up. A missing function makes the call return the listed
// fallback (FALSE, null, E_NOTIMPL), never crash.
#include <windows.h>
#include <commctrl.h>
#include <dwmapi.h>
#include <imm.h>
#include <oleacc.h>
#include <shlobj.h>

#include <type_traits>
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
  X(L"oleaut32.dll", SysAllocStringLen, decltype(&::SysAllocStringLen), nullptr) \
  X(L"comctl32.dll", InitCommonControlsEx, decltype(&::InitCommonControlsEx), FALSE)

struct Table {
#define UI_SYS_FIELD(dll, name, type, fallback) type name = nullptr;
  UI_SYSTEM_FUNCTIONS(UI_SYS_FIELD)
#undef UI_SYS_FIELD
};

// Which function of the table.
enum class Fn {
#define UI_SYS_ID(dll, name, type, fallback) name,
  UI_SYSTEM_FUNCTIONS(UI_SYS_ID)
#undef UI_SYS_ID
};

// The table as bound so far; each function is looked up at its first call.
Table& storage();
// Test seam: the same table with every function looked up, writable, so a
// test can remove or replace a function.
Table& mutableTableForTest();

// Whether `id` was looked up; once true it stays true (any thread).
bool IsBound(Fn id);
// Looks `name` up in `dll` and hands it to `store`, once for each `id`,
// whichever threads call (the extraction worker creates folders too).
void BindOnce(Fn id, const wchar_t* dll, const char* name, void (*store)(Table&, FARPROC));

template <auto Field>
void StoreIn(Table& t, FARPROC fn) {
  using F = std::remove_reference_t<decltype(t.*Field)>;
  t.*Field = reinterpret_cast<F>(fn);
}

template <class R, class... A, class F, class... T>
inline R CallOr(F fallback, R(WINAPI* fn)(A...), T&&... args) {
  return fn ? fn(std::forward<T>(args)...) : static_cast<R>(fallback);
}

#define UI_SYS_WRAP(dll, name, type, fallback)                                 \
  template <class... T>                                                        \
  inline auto name(T&&... args) {                                              \
    if (!IsBound(Fn::name)) BindOnce(Fn::name, dll, #name, &StoreIn<&Table::name>); \
    return CallOr(fallback, storage().name, std::forward<T>(args)...);         \
  }
UI_SYSTEM_FUNCTIONS(UI_SYS_WRAP)
#undef UI_SYS_WRAP

}  // namespace ui::sys
