#include "tests/install/install_env.h"

#include <objidl.h>
#include <shlobj.h>
#include <zlib.h>

#include <vector>

#include "app/install/product.h"
#include "app/system/file_system.h"
#include "app/system/owned_handles.h"
#include "ui/core/text.h"

namespace qwtest {

using app::install::kProductName;

void RemoveTree(const std::string& path) {
  std::string p = path;
  // Only a backslash of its own: "淺" ends in the byte 0x5C too.
  while (app::sys::EndsWithSeparator(p)) p.pop_back();
  const DWORD attributes = GetFileAttributesA(p.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(p.c_str());
    return;
  }
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((p + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") RemoveTree(p + "\\" + name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(p.c_str());
}

bool MakeFolder(const std::string& path) {
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  app::sys::FileHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  app::sys::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  return bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::uint32_t FileCrc32(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) return 0xFFFFFFFFu;
  return crc32(0, reinterpret_cast<const Bytef*>(bytes->data()), static_cast<uInt>(bytes->size()));
}

std::optional<std::string> UninstallValue(const char* name) {
  app::sys::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, app::install::kUninstallKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return std::nullopt;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  // Stored with its terminating zero: the last byte of the data must be it.
  if (size == 0 || data[size - 1] != '\0') return std::string("<no terminating zero>");
  return std::string(data.data(), size - 1);
}

bool UninstallKeyExists() {
  app::sys::RegKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, app::install::kUninstallKey, 0, KEY_READ, key.receive()) ==
         ERROR_SUCCESS;
}

void DeleteUninstallKey() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, app::install::kUninstallKey); }

namespace {
std::string ShellFolder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return {};
  std::string folder = buffer;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}
}  // namespace

std::string ProgramsFolder() { return ShellFolder(CSIDL_PROGRAMS); }
std::string DesktopFolder() { return ShellFolder(CSIDL_DESKTOPDIRECTORY); }
std::string GroupLink() {
  return ProgramsFolder() + kProductName + "\\" + kProductName + ".lnk";
}
std::string GroupUninstallLink() {
  return ProgramsFolder() + kProductName + "\\卸载" + kProductName + ".lnk";
}
std::string ProgramsLink() { return ProgramsFolder() + kProductName + ".lnk"; }
std::string DesktopLink() { return DesktopFolder() + kProductName + ".lnk"; }

std::string LinkTarget(const std::string& linkPath) {
  app::sys::ComApartment com;
  app::sys::ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.receive())))
    return {};
  app::sys::ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive()))) return {};
  if (FAILED(file->Load(ui::ToWide(linkPath).c_str(), STGM_READ))) return {};
  char target[MAX_PATH] = {};
  if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
  return target;
}

void InstallTraces::SetUp() { Clean(); }
void InstallTraces::TearDown() { Clean(); }

void InstallTraces::Clean() {
  DeleteUninstallKey();
  RemoveTree(ProgramsFolder() + kProductName);
  RemoveTree(ProgramsLink());
  RemoveTree(DesktopLink());
  RemoveTree(kTestRoot);
  RemoveTree(app::install::kDefaultFolder);
}

}  // namespace qwtest
