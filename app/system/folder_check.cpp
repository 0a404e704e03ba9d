#include "app/system/folder_check.h"

#include <windows.h>

#include <optional>

namespace app::sys {
namespace {

constexpr UINT kCodePage = 936;

std::optional<std::wstring> Widened(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::optional<std::string> Narrowed(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(kCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    &lossy);
  if (n <= 0 || lossy) return std::nullopt;
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
  return text;
}

}  // namespace

FolderCheck CheckFolder(const std::string& typed) {
  FolderCheck result;
  const std::optional<std::wstring> wide = Widened(typed);
  if (!wide) {
    result.problem = common::FolderProblem::BadName;
    result.part = typed;
    return result;
  }
  const common::FolderCheck check = common::NormalizeFolder(*wide);
  const std::optional<std::string> folder = Narrowed(check.folder);
  const std::optional<std::string> part = Narrowed(check.part);
  if (!folder || !part) {
    result.problem = common::FolderProblem::BadName;
    result.part = typed;
    return result;
  }
  result.folder = *folder;
  result.problem = check.problem;
  result.part = *part;
  return result;
}

}  // namespace app::sys
