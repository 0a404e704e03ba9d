#pragma once
// The finishing copy deletes another program's file: it acts only for the
// uninstaller that started it. Anyone can type "/finish ..." with numbers
// that happen to be handles; what a stranger cannot arrange is that the
// handle names this process's parent and that the parent, still running,
// is the uninst.exe of the folder to be finished.
#include <windows.h>

#include <string>

namespace uninst {

// A handle value as the original writes it: decimal digits only, not zero.
// Null for anything else (signs, pseudo handles, garbage).
HANDLE HandleFromText(const std::wstring& text);

// True when `process` is a handle to this process's parent, that parent is
// still running, and its program is `installFolder` (trailing backslash)
// + "uninst.exe".
bool IsStartedByUninstallerOf(HANDLE process, const std::wstring& installFolder);

}  // namespace uninst
