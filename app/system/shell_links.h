#pragma once
// Shell links (.lnk files) created through IShellLinkA and IPersistFile.
// COM must be initialised on the calling thread (see ComApartment).
#include <windows.h>

#include <string>

namespace app::sys {

// Creates or replaces the link file at `linkPath` pointing at `target`,
// with show command 5 and nothing else set. True when it was saved; on
// failure `error` (when given) receives the system's error code, or 0.
bool CreateShellLink(const std::string& linkPath, const std::string& target, DWORD* error = nullptr);

}  // namespace app::sys
