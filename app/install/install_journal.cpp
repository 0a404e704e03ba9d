#include "app/install/install_journal.h"

#include <climits>

#include "app/system/file_system.h"
#include "app/system/owned_handles.h"
#include "app/system/path_length.h"
#include "app/system/shell_links.h"
#include "app/system/write_faults.h"
#include "ui/core/text.h"

namespace app::install {

namespace {
// The folder part of a file path (with its backslash); empty when none.
std::string FolderOf(const std::string& path) {
  const std::size_t split = ui::FindLastSingleByte(path, '\\');
  return split == std::string::npos ? std::string() : path.substr(0, split + 1);
}

bool KeyExists(const std::string& keyPath) {
  sys::RegKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}
}  // namespace

std::string KeptCopyName(int n) { return "~qw" + std::to_string(n) + ".bak"; }

bool InstallJournal::CreateFolders(const std::string& folder) {
  const std::lock_guard<std::mutex> hold(lock_);
  const std::string withSlash = sys::WithTrailingBackslash(folder);
  bool afterName = false;  // the previous character belongs to a folder name
  for (std::size_t i = 0; i < withSlash.size(); i += ui::CharLengthAt(withSlash, i)) {
    const bool single = ui::CharLengthAt(withSlash, i) == 1;
    const bool separator = single && withSlash[i] == '\\';
    if (separator && afterName) {
      const std::string level = withSlash.substr(0, i);
      if (!sys::FolderExists(level)) {
        if (!sys::FitsFolderLimit(level)) {
          SetLastError(ERROR_FILENAME_EXCED_RANGE);
          return false;
        }
        if (sys::InjectedWriteFault() || !CreateDirectoryA(level.c_str(), nullptr)) {
          // A file in the way reports "already exists": it is no folder.
          if (GetLastError() == ERROR_ALREADY_EXISTS) SetLastError(ERROR_ACCESS_DENIED);
          return false;
        }
        steps_.push_back({Step::Kind::Folder, level});
      }
    }
    // "C:" is a drive, "\\server\share" a share: not folders to create.
    afterName = !separator && !(single && withSlash[i] == ':');
    if (i == 1 && withSlash[0] == '\\' && withSlash[1] == '\\') afterName = false;
  }
  return true;
}

bool InstallJournal::PrepareFileLocked(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    // A folder stands where the file goes: it is not ours to touch.
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // Kept under a free name beside it until the installation stands.
    const std::string folder = FolderOf(path);
    for (int tries = 0; tries < 100; ++tries) {
      const std::string backup = folder + KeptCopyName(++backups_);
      if (sys::InjectedWriteFault()) return false;
      if (MoveFileExA(path.c_str(), backup.c_str(), 0)) {
        steps_.push_back({Step::Kind::ReplacedFile, path, backup});
        return true;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
  }
  // New: recorded before it is written, so that a half-written file goes too.
  steps_.push_back({Step::Kind::NewFile, path});
  return true;
}

bool InstallJournal::BeforeFile(const std::string& path) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (!sys::FitsPathLimit(path)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (sys::InjectedWriteFault()) return false;
  return PrepareFileLocked(path);
}

void InstallJournal::FolderCreated(const std::string& path) {
  const std::lock_guard<std::mutex> hold(lock_);
  steps_.push_back({Step::Kind::Folder, path});
}

bool InstallJournal::WriteFile(const std::string& path, ui::ByteView bytes) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (!sys::FitsPathLimit(path)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (!PrepareFileLocked(path)) return false;
  if (sys::InjectedWriteFault()) return false;
  return sys::WriteWholeFile(path, bytes);
}

bool InstallJournal::WriteFile(const std::string& path, std::string_view text) {
  return WriteFile(path, ui::ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool InstallJournal::CreateLink(const std::string& linkPath, const std::string& target) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (!sys::FitsPathLimit(linkPath) || !sys::FitsPathLimit(target)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (!PrepareFileLocked(linkPath)) return false;
  if (sys::InjectedWriteFault()) return false;
  DWORD error = 0;
  if (sys::CreateShellLink(linkPath, target, &error)) return true;
  SetLastError(error ? error : ERROR_WRITE_FAULT);
  return false;
}

bool InstallJournal::WriteMachineString(const std::string& valuePath, const std::string& data) {
  const std::lock_guard<std::mutex> hold(lock_);
  const std::size_t split = ui::FindLastSingleByte(valuePath, '\\');
  if (split == std::string::npos || data.size() >= static_cast<std::size_t>(UINT_MAX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::string keyPath = valuePath.substr(0, split);
  Step value{Step::Kind::Value, keyPath};
  value.name = valuePath.substr(split + 1);
  // The keys that do not exist yet, outermost first.
  std::vector<std::string> missing;
  for (std::size_t end = keyPath.size(); end != std::string::npos && end > 0;) {
    const std::string level = keyPath.substr(0, end);
    if (KeyExists(level)) break;
    missing.insert(missing.begin(), level);
    end = ui::FindLastSingleByte(level, '\\');
  }
  sys::RegKey key;
  if (missing.empty()) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | KEY_WRITE, key.receive()) !=
        ERROR_SUCCESS)
      *key.receive() = nullptr;
  }
  if (sys::InjectedWriteFault()) return false;
  if (!key) {
    const LONG created = RegCreateKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), key.receive());
    if (created != ERROR_SUCCESS) {
      SetLastError(static_cast<DWORD>(created));
      return false;
    }
    for (const std::string& level : missing) steps_.push_back({Step::Kind::Key, level});
  }
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), value.name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.resize(size);
    value.hadValue = RegQueryValueExA(key.get(), value.name.c_str(), nullptr, &value.type, value.data.data(),
                                      &size) == ERROR_SUCCESS;
    value.data.resize(size);
  }
  const LONG set = RegSetValueExA(key.get(), value.name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
  steps_.push_back(std::move(value));  // also on failure: whatever happened is undone
  if (set != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(set));
    return false;
  }
  return true;
}

void InstallJournal::RemoveTemporary(const std::string& path) {
  const std::lock_guard<std::mutex> hold(lock_);
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
    if ((it->kind == Step::Kind::NewFile || it->kind == Step::Kind::ReplacedFile) && it->path == path) {
      UndoLocked(*it);
      steps_.erase(std::next(it).base());
      return;
    }
  }
}

void InstallJournal::UndoLocked(const Step& step) {
  switch (step.kind) {
    case Step::Kind::NewFile:
      SetFileAttributesA(step.path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(step.path.c_str());
      break;
    case Step::Kind::ReplacedFile:
      SetFileAttributesA(step.path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(step.path.c_str());
      MoveFileExA(step.backup.c_str(), step.path.c_str(), MOVEFILE_REPLACE_EXISTING);
      break;
    case Step::Kind::Folder:
      RemoveDirectoryA(step.path.c_str());  // fails, as it should, when not empty
      break;
    case Step::Kind::Value: {
      sys::RegKey key;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, step.path.c_str(), 0, KEY_WRITE, key.receive()) != ERROR_SUCCESS)
        break;
      if (step.hadValue) {
        RegSetValueExA(key.get(), step.name.c_str(), 0, step.type, step.data.data(),
                       static_cast<DWORD>(step.data.size()));
      } else {
        RegDeleteValueA(key.get(), step.name.c_str());
      }
      break;
    }
    case Step::Kind::Key:
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, step.path.c_str());  // fails when others put keys below
      break;
  }
}

void InstallJournal::Rollback() {
  const std::lock_guard<std::mutex> hold(lock_);
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) UndoLocked(*it);
  steps_.clear();
}

void InstallJournal::Commit() {
  const std::lock_guard<std::mutex> hold(lock_);
  for (const Step& step : steps_) {
    if (step.kind != Step::Kind::ReplacedFile) continue;
    // A read-only file refuses to be deleted.
    SetFileAttributesA(step.backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(step.backup.c_str());
  }
  steps_.clear();
}

}  // namespace app::install
