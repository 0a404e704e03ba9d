#pragma once
// The finishing copy's work (self_delete.h): the arguments after "/finish".
#include <string>

namespace uninst {

// Exit codes: 0 done; 2 refused, nothing deleted (wrong arguments, or not
// started by the uninstaller of that folder, or that uninstallation is not
// complete); 3 the original could not be deleted (marked for the restart).
int FinishSelfRemoval(const std::wstring& processText, const std::wstring& readyText,
                      const std::wstring& folderArgument);

}  // namespace uninst
