#include "payload/uninst/uninstall_data.h"

#include <windows.h>

#include <vector>

#include "app/system/install_folder.h"

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

// The installer's folder text as it writes it: its own normal form. A part
// ending in a dot or a space (which earlier installers let through) is still
// one folder the uninstaller can remove.
bool IsRecordedFolder(const std::wstring& folder) {
  const common::FolderCheck check = common::NormalizeFolder(folder);
  const bool usable =
      check.problem == common::FolderProblem::None || check.problem == common::FolderProblem::EndsInDotOrSpace;
  return usable && check.folder == folder;
}

// `path` is exactly `folder` (a shell folder, trailing backslash) + `name`.
bool IsIn(const std::wstring& path, const std::wstring& folder, const std::wstring& name) {
  return !folder.empty() && common::SamePath(path, folder + name);
}

}  // namespace

std::optional<UninstallData> ParseUninstallData(std::string_view bytes, const ShellFolders& shell,
                                                std::wstring* problem) {
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
  if (!IsRecordedFolder(data.installFolder)) return fail(L"卸载信息文件中的安装文件夹无效。");
  const std::wstring product = kProductName;
  if (!IsIn(data.groupFolder, shell.programs, product))
    return fail(L"卸载信息文件中的开始菜单文件夹不在本机的开始菜单程序文件夹中。");
  if (!IsIn(data.desktopLink, shell.desktop, product + L".lnk"))
    return fail(L"卸载信息文件中的桌面快捷方式不在本机的桌面文件夹中。");
  if (lines[3] != kApplicationName) return fail(L"卸载信息文件中的程序名称无效。");
  return data;
}

}  // namespace uninst
