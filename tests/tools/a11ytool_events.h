#pragma once
// a11ytool events: the WinEvents of one program, as a screen reader hears them.
#include <string>

#include <windows.h>

namespace a11y {

// Hooks (out of context) the focus, name, value, show, hide and state
// changes and the popup menus' start and end of the process that owns the
// window `spec` names (waited for up to `timeoutMs`). Writes "ready" as the
// out file's first line once the hook is in place, then one line per event:
//   event TAB name TAB value TAB role
// read from the event's object (AccessibleObjectFromEvent), each line written
// through at once. Runs until `stopMarker` is deleted or the process ends.
int RecordEvents(const std::wstring& spec, const std::wstring& outPath, const std::wstring& stopMarker,
                 DWORD timeoutMs);

}  // namespace a11y
