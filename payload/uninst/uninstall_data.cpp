#include "payload/uninst/uninstall_data.h"

#include <windows.h>

#include <vector>

namespace uninst {
namespace {

std::optional<std::wstring> FromCodePage936(std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                    nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return wide;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  for (;;) {
    const std::size_t end = bytes.find("\r\n");
    if (end == std::string_view::npos) {
      lines.push_back(bytes);
      return lines;
    }
    lines.push_back(bytes.substr(0, end));
    bytes.remove_prefix(end + 2);
  }
}

std::wstring_view LastComponent(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

bool ValidComponent(std::wstring_view part) {
  if (part.empty() || part == L"." || part == L"..") return false;
  if (part.back() == L'.' || part.back() == L' ') return false;  // the system would strip them
  for (wchar_t c : part) {
    if (c < 0x20 || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
        c == L'>' || c == L'|')
      return false;
  }
  return true;
}

}  // namespace

bool IsPlainAbsolutePath(std::wstring_view path) {
  if (path.size() < 3 || path.size() >= MAX_PATH) return false;
  std::wstring_view rest;
  std::size_t minimumParts = 0;
  const bool drive = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                     path[1] == L':' && path[2] == L'\\';
  if (drive) {
    rest = path.substr(3);
  } else if (path.substr(0, 2) == L"\\\\") {
    rest = path.substr(2);  // "\\?\" and "\\.\" fail the component check below
    minimumParts = 2;       // server and share
  } else {
    return false;
  }
  if (!rest.empty() && rest.back() == L'\\') rest.remove_suffix(1);
  if (rest.empty()) return minimumParts == 0;  // a drive root
  std::size_t parts = 0;
  for (;;) {
    const std::size_t slash = rest.find(L'\\');
    if (!ValidComponent(rest.substr(0, slash))) return false;
    ++parts;
    if (slash == std::wstring_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return parts >= minimumParts;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  auto full = [](const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
    std::wstring result = (n > 0 && n < MAX_PATH * 2) ? std::wstring(buffer, n) : path;
    if (result.empty() || result.back() != L'\\') result += L'\\';
    return result;
  };
  const std::wstring fa = full(a), fb = full(b);
  return CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(), static_cast<int>(fb.size()),
                              TRUE) == CSTR_EQUAL;
}

std::optional<UninstallData> ParseUninstallData(std::string_view bytes, std::wstring* problem) {
  auto fail = [&](const wchar_t* why) {
    if (problem) *problem = why;
    return std::nullopt;
  };
  const std::vector<std::string_view> raw = SplitLines(bytes);
  if (raw.size() != 4) return fail(L"卸载信息文件的行数不对。");
  std::wstring lines[4];
  for (std::size_t i = 0; i < 4; ++i) {
    auto line = FromCodePage936(raw[i]);
    if (!line) return fail(L"卸载信息文件含有无法识别的字符。");
    lines[i] = std::move(*line);
  }
  UninstallData data{lines[0], lines[1], lines[2]};
  if (data.installFolder.empty() || data.installFolder.back() != L'\\' || !IsPlainAbsolutePath(data.installFolder))
    return fail(L"卸载信息文件中的安装文件夹无效。");
  const std::wstring groupName = kProductName;
  if (!IsPlainAbsolutePath(data.groupFolder) || data.groupFolder.back() == L'\\' ||
      LastComponent(data.groupFolder) != groupName || data.groupFolder.size() == groupName.size())
    return fail(L"卸载信息文件中的开始菜单文件夹无效。");
  if (!IsPlainAbsolutePath(data.desktopLink) || LastComponent(data.desktopLink) != groupName + L".lnk" ||
      data.desktopLink.size() == groupName.size() + 4)
    return fail(L"卸载信息文件中的桌面快捷方式无效。");
  if (lines[3] != kApplicationName) return fail(L"卸载信息文件中的程序名称无效。");
  return data;
}

}  // namespace uninst
