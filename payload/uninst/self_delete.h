#pragma once
// A running program cannot delete its own file. The uninstaller therefore
// copies itself into the temporary folder and starts the copy with
//   /finish <process handle> <ready event> "<installation folder>"
// where both handles are inherited from it. The copy checks that the
// process handle is its own parent and that this parent runs the folder's
// uninst.exe (finish_check.h), signals the event, waits until the original
// has ended, deletes the original "uninst.exe", removes the installation
// folder when it is empty (trying again for a while when another program
// holds either, then marking what is left for the next restart) and marks
// its own file for deletion at the next restart. The original waits for that signal before it ends, so the copy
// always checks a running parent. (Under Wine and Windows alike the copy's
// file is the only thing left behind, in the temporary folder, until then.)
#include <string>

namespace uninst {

// Starts the finishing copy and waits until it has accepted its parent.
// When that is impossible, marks the uninstaller and the folder for
// deletion at the next restart instead. False when neither could be
// arranged.
bool ScheduleSelfRemoval(const std::wstring& installFolder);

}  // namespace uninst
