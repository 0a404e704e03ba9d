// a11ytool: an accessibility client for black-box tests, run in its own
// process beside the program under test the way a screen reader runs. It
// reads and operates windows through their client objects
// (AccessibleObjectFromWindow, OBJID_CLIENT). A <window> is a window class
// (QingwuSetupForm) or a program's file name (qingwu.exe: its unowned
// window); each command waits for a visible such window first.
//   a11ytool tree <window> [timeout-ms]
//       one line per node, depth first from the client object (depth 0):
//       depth TAB role TAB name TAB value TAB states TAB "x y w h" TAB action
//       (states comma-separated; the location in screen device pixels)
//   a11ytool do <window> <name> [timeout-ms]
//       waits for a node named exactly <name> that is neither invisible nor
//       unavailable and does its default action
//   a11ytool focus <window> [line]     the focused node's name (or its tree line)
//   a11ytool hit <window> <x> <y>      the name of the node at a screen point
//   a11ytool events <window> <out-file> <stop-marker> [timeout-ms]
//       records the window's process's WinEvents, see a11ytool_events.cpp
// Output is UTF-8. Exit codes: 0 done; 1 failure or time-out; 2 usage; 77
// the window hands out no client object (the line says the HRESULT), so a
// test on a platform that cannot marshal it can skip.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/tools/a11ytool_client.h"
#include "tests/tools/a11ytool_events.h"
#include "tests/tools/wait_limit.h"
#include "ui/platform/com_apartment.h"

using namespace a11y;

namespace {

constexpr int kNoObject = 77;

// Reads in device pixels whatever the program under test declares.
void ReadInDevicePixels() {
  using SetAwareness = BOOL(WINAPI*)(HANDLE);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const FARPROC found = user32 ? GetProcAddress(user32, "SetProcessDpiAwarenessContext") : nullptr;
  if (!found) return;
  reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(found))(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// The client object of the window `spec` names; `code` is the exit code
// when there is none.
Ref<IAccessible> Open(const std::wstring& spec, DWORD timeoutMs, int& code) {
  HWND hwnd = WaitForWindow(spec, timeoutMs);
  if (!hwnd) {
    PrintLine(L"no window " + spec);
    code = 1;
    return {};
  }
  std::wstring error;
  Ref<IAccessible> object = ClientObject(hwnd, error);
  if (!object) {
    PrintLine(error);
    code = kNoObject;
  }
  return object;
}

int Tree(const std::wstring& spec, DWORD timeoutMs) {
  int code = 0;
  Ref<IAccessible> client = Open(spec, timeoutMs, code);
  if (!client) return code;
  Walk(client.get(), 0, [](const Node& node, int depth) {
    PrintLine(FormatNode(depth, Describe(node)));
    return true;
  });
  return 0;
}

int Do(const std::wstring& spec, const std::wstring& name, DWORD timeoutMs) {
  WaitLimit limit(timeoutMs);
  int code = 0;
  Ref<IAccessible> client = Open(spec, timeoutMs, code);
  if (!client) return code;
  for (;;) {
    HRESULT result = S_FALSE;
    Walk(client.get(), 0, [&](const Node& node, int) {
      const NodeInfo info = Describe(node);
      if (info.name != name || (info.state & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE))) return true;
      result = node.object->accDoDefaultAction(ChildId(node.child));
      return false;
    });
    if (result == S_OK) {
      PrintLine(L"done " + name);
      return 0;
    }
    if (result != S_FALSE) {
      PrintLine(L"accDoDefaultAction on " + name + L" failed: " + Hex(result));
      return 1;
    }
    if (limit.Over()) {
      PrintLine(L"no element named " + name);
      return 1;
    }
    limit.Pause(100);
  }
}

// What a VARIANT from get_accFocus or accHitTest names: its name, or its
// whole line as the tree prints it (depth 0).
int PrintNamed(IAccessible* object, VARIANT& found, bool wholeLine) {
  auto print = [wholeLine](const NodeInfo& info) { PrintLine(wholeLine ? FormatNode(0, info) : info.name); };
  if (found.vt == VT_I4) {
    print(Describe(Node{object, found.lVal}));
    return 0;
  }
  if (found.vt == VT_DISPATCH && found.pdispVal) {
    Ref<IAccessible> sub;
    if (FAILED(found.pdispVal->QueryInterface(IID_IAccessible, sub.receive()))) return 1;
    print(Describe(Node{sub.get(), CHILDID_SELF}));
    return 0;
  }
  PrintLine(L"none");
  return 1;
}

int Focus(const std::wstring& spec, bool wholeLine) {
  int code = 0;
  Ref<IAccessible> client = Open(spec, 30000, code);
  if (!client) return code;
  Variant focus;
  const HRESULT hr = client->get_accFocus(&focus);
  if (FAILED(hr)) {
    PrintLine(L"get_accFocus failed: " + Hex(hr));
    return 1;
  }
  return PrintNamed(client.get(), focus.get(), wholeLine);
}

int Hit(const std::wstring& spec, long x, long y) {
  int code = 0;
  Ref<IAccessible> client = Open(spec, 30000, code);
  if (!client) return code;
  Variant hit;
  const HRESULT hr = client->accHitTest(x, y, &hit);
  if (FAILED(hr)) {
    PrintLine(L"accHitTest failed: " + Hex(hr));
    return 1;
  }
  return PrintNamed(client.get(), hit.get(), false);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ReadInDevicePixels();
  const ui::platform::ComApartment apartment;
  if (argc < 3) {
    std::fprintf(stderr, "usage: a11ytool tree|do|focus|hit|events <window> ...\n");
    return 2;
  }
  const std::wstring cmd = argv[1];
  const std::wstring window = argv[2];
  auto timeoutAt = [&](int i, DWORD fallback) {
    return argc > i ? static_cast<DWORD>(_wtoi(argv[i])) : fallback;
  };
  if (cmd == L"tree") return Tree(window, timeoutAt(3, 30000));
  if (cmd == L"do" && argc > 3) return Do(window, argv[3], timeoutAt(4, 30000));
  if (cmd == L"focus") return Focus(window, argc > 3 && std::wstring(argv[3]) == L"line");
  if (cmd == L"hit" && argc > 4) return Hit(window, _wtol(argv[3]), _wtol(argv[4]));
  if (cmd == L"events" && argc > 4) return RecordEvents(window, argv[3], argv[4], timeoutAt(5, 30000));
  std::fprintf(stderr, "unknown command\n");
  return 2;
}
