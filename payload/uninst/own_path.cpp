#include "payload/uninst/own_path.h"

#include <windows.h>

namespace uninst {

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

std::wstring OwnFolder() {
  const std::wstring path = OwnPath();
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace uninst
