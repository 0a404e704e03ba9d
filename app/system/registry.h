#pragma once
// Registry values of the uninstall list, under HKEY_LOCAL_MACHINE.
#include <string>

namespace app::sys {

// Writes a REG_SZ value (with its terminating zero) under HKEY_LOCAL_MACHINE.
// `valuePath` is "key\value name", split at its last backslash (one that is
// the second byte of a two-byte character does not count). The key is
// opened for writing, or created when it cannot be opened. True on success.
bool WriteMachineString(const std::string& valuePath, const std::string& data);

}  // namespace app::sys
