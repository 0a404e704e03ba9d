// wintool: a small helper for black-box tests, run under Wine beside the
// program under test. Commands (all print one line and exit 0 on success,
// 1 on failure or time-out):
//   wintool wait <class> [timeout-ms]     wait for a visible top-level window;
//                                         prints "x y width height"
//   wintool gone <class> [timeout-ms]     wait until no such window exists
//   wintool unseen <class> [timeout-ms]   wait until no such window is visible
//   wintool list <class>                  print each such window: handle, process
//                                         id, visible or hidden, whether its
//                                         thread answers within 2 s
//   wintool close <class>                 post WM_CLOSE to the window
//   wintool text <class>                  print the window's title
//   wintool body <class>                  print the texts of the window's static
//                                         controls (a message box's message)
//   wintool command <class> <id>          post WM_COMMAND <id> (a dialog button)
//   wintool altf4 <class> [timeout-ms]    print "ready", wait for the window to
//                                         become visible and press Alt+F4 on it at
//                                         once (posted key messages); prints
//                                         "during fade-in" when the window was
//                                         still layered for its opening effect
//                                         then, else "after fade-in"
//   wintool waitexe <file> [timeout-ms]   wait for a visible top-level window of
//                                         a process started from <file> (e.g.
//                                         qingwu.exe); prints "x y width height"
//   wintool hold <file> <marker> [timeout-ms]
//                                         open <file> (or folder) without sharing, create
//                                         <marker>, keep the file open until
//                                         <marker> is deleted; prints "released"
//   wintool dpi                           print the display's DPI (LogPixels)
//   wintool finish <program> <folder>     start "<program> /finish <handle> <event>
//                                         <folder>" with real inherited handles (to
//                                         wintool itself and an event), as the
//                                         uninstaller starts its copy; prints and
//                                         returns the program's exit code
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "tests/tools/wait_limit.h"
#include "tests/tools/window_program.h"

namespace {

// The topmost visible top-level window of the class; without visibleOnly,
// the topmost of any when none is visible (a hidden window of the same
// class, a dialog's for instance, must not take a command meant for the
// one on the screen).
HWND Find(const wchar_t* cls, bool visibleOnly) {
  HWND first = nullptr;
  for (HWND hwnd = FindWindowExW(nullptr, nullptr, cls, nullptr); hwnd;
       hwnd = FindWindowExW(nullptr, hwnd, cls, nullptr)) {
    if (IsWindowVisible(hwnd)) return hwnd;
    if (!first) first = hwnd;
  }
  return visibleOnly ? nullptr : first;
}

HWND WaitFor(const wchar_t* cls, DWORD timeoutMs) {
  WaitLimit limit(timeoutMs);
  for (;;) {
    if (HWND hwnd = Find(cls, true)) return hwnd;
    if (limit.Over()) return nullptr;
    limit.Pause(50);
  }
}

struct ProgramSearch {
  const wchar_t* program;
  HWND found = nullptr;
};

BOOL CALLBACK MatchProgram(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ProgramSearch*>(param);
  if (!IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER)) return TRUE;
  if (CompareStringOrdinal(ProgramOf(hwnd).c_str(), -1, search->program, -1, TRUE) != CSTR_EQUAL) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND WaitForProgram(const wchar_t* program, DWORD timeoutMs) {
  WaitLimit limit(timeoutMs);
  for (;;) {
    ProgramSearch search{program};
    EnumWindows(&MatchProgram, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (limit.Over()) return nullptr;
    limit.Pause(50);
  }
}

// A kernel handle, closed once.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (*this) CloseHandle(h_);
  }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// Holds a file open the way a running program does (no sharing at all, so
// it can be neither deleted nor renamed) until the test deletes the marker.
int Hold(const wchar_t* path, const wchar_t* marker, DWORD timeoutMs) {
  // Backup semantics let a folder be held the same way.
  OwnedHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    std::printf("cannot open\n");
    return 1;
  }
  {
    OwnedHandle made(CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (!made) {
      std::printf("cannot create the marker\n");
      return 1;
    }
  }
  WaitLimit limit(timeoutMs);
  while (GetFileAttributesW(marker) != INVALID_FILE_ATTRIBUTES) {
    if (limit.Over()) {
      std::printf("timeout\n");
      return 1;
    }
    limit.Pause(50);
  }
  std::printf("released\n");
  return 0;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (CompareStringOrdinal(cls, -1, L"Static", -1, TRUE) != CSTR_EQUAL) return TRUE;
  wchar_t text[4096] = {};
  GetWindowTextW(child, text, 4096);
  *reinterpret_cast<std::wstring*>(param) += text;
  return TRUE;
}

void PrintUtf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
}

// Starts the uninstaller's finishing mode from a parent that is not the
// uninstaller but hands over everything the real one does.
int StartFinishing(const wchar_t* program, const wchar_t* folder) {
  HANDLE selfRaw = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &selfRaw,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
    return 1;
  const OwnedHandle self(selfRaw);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE readyRaw = CreateEventW(&inherited, TRUE, FALSE, nullptr);
  if (!readyRaw) return 1;
  const OwnedHandle ready(readyRaw);
  wchar_t command[2048] = {};
  std::swprintf(command, 2048, L"\"%ls\" /finish %llu %llu \"%ls\"", program,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(selfRaw)),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(readyRaw)), folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    std::printf("cannot start\n");
    return 1;
  }
  const OwnedHandle process(started.hProcess);
  const OwnedHandle thread(started.hThread);
  if (WaitForSingleObject(started.hProcess, 120000) != WAIT_OBJECT_0) {
    std::printf("timeout\n");
    return 1;
  }
  DWORD code = 0;
  GetExitCodeProcess(started.hProcess, &code);
  std::printf("%lu\n", code);
  return static_cast<int>(code);
}

// Window places and sizes are read in device pixels, whatever the program
// under test declares: the system scales what a DPI-unaware caller reads
// to 96 DPI.
void ReadInDevicePixels() {
  using SetAwareness = BOOL(WINAPI*)(HANDLE);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  const FARPROC found = GetProcAddress(user32, "SetProcessDpiAwarenessContext");
  if (!found) return;  // a system without DPI awareness contexts scales nothing
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(found))(perMonitorV2);
}

// The DPI of the screen as this (DPI-aware) process sees it.
int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

void PrintGeometry(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ReadInDevicePixels();
  if (argc == 2 && std::wstring(argv[1]) == L"dpi") {
    std::printf("%d\n", ScreenDpi());
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: wintool wait|gone|unseen|list|close|text|body|command|waitexe|hold|finish|dpi ...\n");
    return 2;
  }
  const std::wstring cmd = argv[1];
  if (cmd == L"hold") {
    if (argc < 4) return 2;
    return Hold(argv[2], argv[3], argc > 4 ? static_cast<DWORD>(_wtoi(argv[4])) : 120000);
  }
  if (cmd == L"finish") {
    if (argc < 4) return 2;
    return StartFinishing(argv[2], argv[3]);
  }
  const wchar_t* cls = argv[2];
  const DWORD timeout = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 30000;
  if (cmd == L"altf4") {
    std::printf("ready\n");
    std::fflush(stdout);
    WaitLimit limit(timeout);
    HWND hwnd = nullptr;
    while (!(hwnd = Find(cls, true))) {
      if (limit.Over()) {
        std::printf("timeout\n");
        return 1;
      }
      limit.Pause(2);
    }
    const bool layered = (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    // Alt held (bit 29), the F4 key's scan code 0x3E.
    PostMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, 0x203E0001);
    PostMessageW(hwnd, WM_SYSKEYUP, VK_F4, static_cast<LPARAM>(0xE03E0001u));
    std::printf(layered ? "during fade-in\n" : "after fade-in\n");
    return 0;
  }
  if (cmd == L"wait" || cmd == L"waitexe") {
    HWND hwnd = cmd == L"wait" ? WaitFor(cls, timeout) : WaitForProgram(cls, timeout);
    if (!hwnd) {
      std::printf("timeout\n");
      return 1;
    }
    PrintGeometry(hwnd);
    return 0;
  }
  if (cmd == L"gone" || cmd == L"unseen") {
    WaitLimit limit(timeout);
    while (Find(cls, cmd == L"unseen")) {
      if (limit.Over()) {
        std::printf("still there\n");
        return 1;
      }
      limit.Pause(50);
    }
    std::printf("gone\n");
    return 0;
  }
  if (cmd == L"list") {
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, cls, nullptr); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, cls, nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      DWORD_PTR answer = 0;
      const bool responds = SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) != 0;
      std::printf("%p pid %lu %s, %s\n", static_cast<void*>(hwnd), static_cast<unsigned long>(pid),
                  IsWindowVisible(hwnd) ? "visible" : "hidden", responds ? "responding" : "not responding");
    }
    return 0;
  }
  HWND hwnd = Find(cls, false);
  if (!hwnd) {
    std::printf("no window\n");
    return 1;
  }
  if (cmd == L"close") {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    std::printf("closed\n");
    return 0;
  }
  if (cmd == L"text") {
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    char out[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, buf, -1, out, sizeof out, nullptr, nullptr);
    std::printf("%s\n", out);
    return 0;
  }
  if (cmd == L"body") {
    std::wstring text;
    EnumChildWindows(hwnd, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
    PrintUtf8(text);
    return 0;
  }
  if (cmd == L"command" && argc > 3) {
    PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[3])), 0);
    std::printf("posted\n");
    return 0;
  }
  std::fprintf(stderr, "unknown command\n");
  return 2;
}
