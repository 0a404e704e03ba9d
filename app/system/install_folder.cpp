#include "app/system/install_folder.h"

#include <windows.h>

#include <vector>

namespace common {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Names the system takes for devices in any folder, also with an extension.
bool IsDeviceName(std::wstring_view part) {
  const std::wstring_view stem = part.substr(0, part.find(L'.'));
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (SamePath(stem, device)) return true;
  }
  if (stem.size() == 4 && stem[3] >= L'1' && stem[3] <= L'9' &&
      (SamePath(stem.substr(0, 3), L"COM") || SamePath(stem.substr(0, 3), L"LPT")))
    return true;
  return false;
}

bool HasBadCharacter(std::wstring_view part) {
  for (wchar_t c : part) {
    if (c < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|')
      return true;
  }
  return false;
}

FolderCheck Problem(FolderProblem problem, std::wstring_view part = {}) {
  FolderCheck check;
  check.problem = problem;
  check.part = part;
  return check;
}

}  // namespace

bool SamePath(std::wstring_view a, std::wstring_view b) {
  if (a.empty() || b.empty()) return a.empty() && b.empty();
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

FolderCheck NormalizeFolder(std::wstring_view path) {
  // The root: "X:\" or "\\server\share\"; both stay as they are.
  std::wstring root;
  std::wstring_view rest;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
    root = std::wstring(path.substr(0, 2)) + L"\\";
    rest = path.substr(3);
  } else if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
    // Server and share are names of their own; "\\?\" and "\\.\" (device
    // paths that skip the system's checks) fail as names.
    rest = path.substr(2);
    root = L"\\\\";
    for (int i = 0; i < 2; ++i) {
      const std::size_t end = rest.find_first_of(L"\\/");
      const std::wstring_view name = rest.substr(0, end);
      if (name.empty()) return Problem(FolderProblem::NotAbsolute);
      if (name == L"." || name == L".." || HasBadCharacter(name)) return Problem(FolderProblem::BadName, name);
      root += std::wstring(name) + L"\\";
      rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
    }
  } else {
    return Problem(FolderProblem::NotAbsolute);
  }

  std::vector<std::wstring_view> parts;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of(L"\\/");
    const std::wstring_view part = rest.substr(0, end);
    rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
    if (part.empty() || part == L".") continue;
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  FolderCheck check;
  check.folder = root;
  for (std::wstring_view part : parts) {
    if (HasBadCharacter(part) || IsDeviceName(part)) return Problem(FolderProblem::BadName, part);
    if (check.problem == FolderProblem::None && (part.back() == L'.' || part.back() == L' ')) {
      check.problem = FolderProblem::EndsInDotOrSpace;
      check.part = part;
    }
    check.folder.append(part).push_back(L'\\');
  }
  if (check.folder.size() > kMaxFolderLength) return Problem(FolderProblem::TooLong);
  return check;
}

}  // namespace common
