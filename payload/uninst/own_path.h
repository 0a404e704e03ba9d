#pragma once
// The running program's own file.
#include <string>

namespace uninst {

// The full path of this process's executable.
std::wstring OwnPath();
// Its folder, with a trailing backslash.
std::wstring OwnFolder();

}  // namespace uninst
