#include "app/system/registry.h"

#include <windows.h>

#include <climits>

#include "app/system/owned_handles.h"
#include "ui/core/text.h"

namespace app::sys {

bool WriteMachineString(const std::string& valuePath, const std::string& data) {
  const std::size_t split = ui::FindLastSingleByte(valuePath, '\\');
  if (split == std::string::npos || data.size() >= static_cast<std::size_t>(UINT_MAX)) return false;
  const std::string keyPath = valuePath.substr(0, split);
  const std::string valueName = valuePath.substr(split + 1);
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_WRITE, key.receive()) != ERROR_SUCCESS) {
    *key.receive() = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), key.receive()) != ERROR_SUCCESS) return false;
  }
  return RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace app::sys
