#include "app/system/shell_links.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "app/system/owned_handles.h"
#include "app/system/path_length.h"
#include "ui/core/text.h"

namespace app::sys {

namespace {
// The system error code inside a failed COM result, or 0.
DWORD ErrorOf(HRESULT hr) { return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : 0; }
}  // namespace

bool CreateShellLink(const std::string& linkPath, const std::string& target, DWORD* error) {
  DWORD ignored = 0;
  DWORD& code = error ? *error : ignored;
  code = 0;
  // The link keeps its target in a buffer of MAX_PATH characters.
  if (!FitsPathLimit(linkPath) || !FitsPathLimit(target)) {
    code = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  ComRef<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.receive());
  if (FAILED(hr)) return code = ErrorOf(hr), false;
  if (FAILED(hr = link->SetPath(target.c_str())) || FAILED(hr = link->SetShowCmd(SW_SHOW)))
    return code = ErrorOf(hr), false;
  ComRef<IPersistFile> file;
  if (FAILED(hr = link->QueryInterface(IID_IPersistFile, file.receive()))) return code = ErrorOf(hr), false;
  // IPersistFile takes UTF-16; the path is text of the same code page the "A" calls use.
  const std::wstring widePath = ui::ToWide(linkPath);
  if (widePath.empty()) return false;
  if (FAILED(hr = file->Save(widePath.c_str(), TRUE))) return code = ErrorOf(hr), false;
  return true;
}

}  // namespace app::sys
