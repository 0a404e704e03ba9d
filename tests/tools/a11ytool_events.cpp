#include "tests/tools/a11ytool_events.h"

#include <oleacc.h>

#include <vector>

#include "tests/tools/a11ytool_client.h"

namespace a11y {

namespace {

struct Heard {
  DWORD event;
  HWND hwnd;
  LONG object;
  LONG child;
};

// Events are queued by the hook and read out between messages: reading an
// object sends messages to its process, and events that arrive meanwhile
// must not overtake the one being read.
std::vector<Heard>* g_queue = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (g_queue) g_queue->push_back({event, hwnd, object, child});
}

const wchar_t* EventName(DWORD event) {
  switch (event) {
    case EVENT_OBJECT_FOCUS: return L"focus";
    case EVENT_OBJECT_NAMECHANGE: return L"namechange";
    case EVENT_OBJECT_VALUECHANGE: return L"valuechange";
    case EVENT_OBJECT_SHOW: return L"show";
    case EVENT_OBJECT_HIDE: return L"hide";
    case EVENT_OBJECT_STATECHANGE: return L"statechange";
    case EVENT_SYSTEM_MENUPOPUPSTART: return L"menupopupstart";
    case EVENT_SYSTEM_MENUPOPUPEND: return L"menupopupend";
    default: return nullptr;
  }
}

// A file that every line is written through to at once.
class OutFile {
 public:
  explicit OutFile(const std::wstring& path)
      : h_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                       FILE_FLAG_WRITE_THROUGH, nullptr)) {}
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile() {
    if (ok()) CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  void Line(const std::wstring& text) {
    const std::string bytes = Utf8(text) + "\n";
    DWORD written = 0;
    WriteFile(h_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(h_);
  }

 private:
  HANDLE h_;
};

class Hook {
 public:
  Hook(DWORD first, DWORD last, DWORD pid)
      : h_(SetWinEventHook(first, last, nullptr, &OnWinEvent, pid, 0, WINEVENT_OUTOFCONTEXT)) {}
  Hook(const Hook&) = delete;
  Hook& operator=(const Hook&) = delete;
  ~Hook() {
    if (h_) UnhookWinEvent(h_);
  }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HWINEVENTHOOK h_;
};

class Process {
 public:
  explicit Process(DWORD pid) : h_(OpenProcess(SYNCHRONIZE, FALSE, pid)) {}
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (h_) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

void Write(OutFile& out, const Heard& heard) {
  const wchar_t* name = EventName(heard.event);
  if (!name) return;
  std::wstring line = name;
  Ref<IAccessible> object;
  Variant child;
  if (SUCCEEDED(AccessibleObjectFromEvent(heard.hwnd, static_cast<DWORD>(heard.object),
                                          static_cast<DWORD>(heard.child),
                                          reinterpret_cast<IAccessible**>(object.receive()), &child)) &&
      object && child.get().vt == VT_I4) {
    const NodeInfo info = Describe(Node{object.get(), child.get().lVal});
    line += L'\t' + info.name + L'\t' + info.value + L'\t' + info.role;
  } else {
    line += L"\t\t\t";
  }
  out.Line(line);
}

}  // namespace

int RecordEvents(const std::wstring& spec, const std::wstring& outPath, const std::wstring& stopMarker,
                 DWORD timeoutMs) {
  HWND hwnd = WaitForWindow(spec, timeoutMs);
  if (!hwnd) {
    PrintLine(L"no window " + spec);
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  const Process process(pid);
  OutFile out(outPath);
  if (!out.ok() || !process.get()) {
    PrintLine(L"cannot open the out file or the process");
    return 1;
  }
  std::vector<Heard> queue;
  g_queue = &queue;
  {
    // One range from the popup menus' start to the value changes.
    const Hook hook(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_OBJECT_VALUECHANGE, pid);
    if (!hook) {
      g_queue = nullptr;
      PrintLine(L"SetWinEventHook failed");
      return 1;
    }
    out.Line(L"ready");
    for (;;) {
      HANDLE ended = process.get();
      const DWORD woke = MsgWaitForMultipleObjects(1, &ended, FALSE, 100, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      // Taken out before reading: reading pumps messages, which may add more.
      while (!queue.empty()) {
        const Heard heard = queue.front();
        queue.erase(queue.begin());
        Write(out, heard);
      }
      if (woke == WAIT_OBJECT_0) break;  // the process ended
      if (GetFileAttributesW(stopMarker.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    }
  }
  g_queue = nullptr;
  out.Line(L"end");
  return 0;
}

}  // namespace a11y
