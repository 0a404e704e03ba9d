#include "tests/install/machine_state.h"

#include <windows.h>

#include "app/install/product.h"
#include "app/system/owned_handles.h"
#include "tests/install/install_env.h"

namespace qwtest {

namespace {
void ReadTree(const std::string& folder, std::map<std::string, std::string>& entries) {
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries[path] = "dir";
      ReadTree(path + "\\", entries);
    } else {
      entries[path] = std::to_string(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) + ":" +
                      ReadFileBytes(path).value_or("<unreadable>");
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

std::map<std::string, std::string> ReadValues() {
  std::map<std::string, std::string> values;
  app::sys::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, app::install::kUninstallKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
    return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameSize = sizeof name;
    BYTE data[2048];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    values[name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  return values;
}
}  // namespace

MachineState ReadMachineState() {
  MachineState state;
  ReadTree(kTestRoot, state.entries);
  if (Exists(kTestRoot)) state.entries[kTestRoot] = "dir";
  state.values = ReadValues();
  state.keyExists = UninstallKeyExists();
  for (const std::string& item : {ProgramsFolder() + app::install::kProductName, GroupLink(), GroupUninstallLink(),
                                  ProgramsLink(), DesktopLink()})
    state.shellItems[item] = !Exists(item) ? "" : ReadFileBytes(item).value_or("dir");
  return state;
}

std::string Differences(const MachineState& before, const MachineState& after) {
  std::string text;
  auto compare = [&](const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
    for (const auto& [k, v] : a) {
      auto it = b.find(k);
      if (it == b.end()) {
        text += "gone: " + k + "\n";
      } else if (it->second != v) {
        text += "changed: " + k + "\n";
      }
    }
    for (const auto& [k, v] : b) {
      if (!a.count(k)) text += "left behind: " + k + "\n";
    }
  };
  compare(before.entries, after.entries);
  compare(before.values, after.values);
  if (before.keyExists != after.keyExists) text += "uninstall key\n";
  for (const auto& [k, v] : before.shellItems) {
    if (after.shellItems.at(k) != v) text += "shell item: " + k + "\n";
  }
  return text;
}

}  // namespace qwtest
