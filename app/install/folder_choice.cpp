#include "app/install/folder_choice.h"

#include <shlobj.h>

#include <cstring>

#include "app/install/product.h"
#include "ui/platform/system_api.h"

namespace app::install {

namespace {
constexpr char kDefaultTitle[] = "请选择一个文件夹";
constexpr std::size_t kPathBufferSize = 512;

// Pre-selects the initial folder (lpData points at its text) once the
// dialog is up. A folder that does not exist leaves the dialog's own choice.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
  return 1;
}

std::string Trimmed(const char* buffer, std::size_t size) {
  std::size_t end = 0;
  while (end < size && buffer[end] != '\0') ++end;
  std::size_t begin = 0;
  while (begin < end && buffer[begin] == ' ') ++begin;
  while (end > begin && buffer[end - 1] == ' ') --end;
  return std::string(buffer + begin, end - begin);
}
}  // namespace

UINT BrowseFlags(const BrowseOptions& options) {
  UINT flags = 0;
  if (options.editBox.value_or(false)) flags |= BIF_EDITBOX;
  if (options.newStyle.value_or(true)) flags |= BIF_NEWDIALOGSTYLE;
  if (options.includeFiles.value_or(false)) flags |= BIF_BROWSEINCLUDEFILES;
  return flags;
}

std::string BrowseForFolder(const BrowseOptions& options) {
  const std::string title = options.title.value_or(kDefaultTitle);
  // Lives for the whole modal dialog; the callback reads it through lpData.
  const std::string initialFolder = options.initialFolder.value_or(std::string());
  BROWSEINFOA info{};
  info.hwndOwner = options.owner.value_or(nullptr);
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = BrowseFlags(options);
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());

  PIDLIST_ABSOLUTE chosen = ui::sys::SHBrowseForFolderA(&info);
  char path[kPathBufferSize];
  std::memset(path, ' ', sizeof path);
  if (chosen) {
    ui::sys::SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
  }
  return Trimmed(path, sizeof path);
}

std::string TextAfterLast(std::string_view text, std::string_view separator) {
  if (separator.empty()) return {};
  const std::size_t at = text.rfind(separator);
  if (at == std::string_view::npos) return {};
  return std::string(text.substr(at + separator.size()));
}

std::string InstallFolderFor(const std::string& chosen) {
  if (TextAfterLast(chosen, ":") == "\\") return chosen + kProductName + "\\";
  return chosen + "\\" + kProductName + "\\";
}

}  // namespace app::install
