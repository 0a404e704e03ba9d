#pragma once
// A running program cannot delete its own file. The uninstaller therefore
// copies itself into the temporary folder and starts the copy with
// "/finish <process handle> <installation folder>"; the copy waits until the
// original has ended, deletes the original "uninst.exe", removes the
// installation folder when it is empty and marks its own file for deletion
// at the next restart. (Under Wine and Windows alike the copy's file is the
// only thing left behind, in the temporary folder, until then.)
#include <string>

namespace uninst {

// Starts the finishing copy. When that is impossible, marks the uninstaller
// and the folder for deletion at the next restart instead. False when
// neither could be arranged.
bool ScheduleSelfRemoval(const std::wstring& installFolder);

// The copy's work: arguments after "/finish". Returns the exit code.
// `folder` is the installation folder without its trailing backslash.
int FinishSelfRemoval(const std::wstring& handleText, const std::wstring& folder);

}  // namespace uninst
