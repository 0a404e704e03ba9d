#include "app/system/shell_links.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "app/system/owned_handles.h"
#include "app/system/path_length.h"
#include "ui/core/text.h"

namespace app::sys {

bool CreateShellLink(const std::string& linkPath, const std::string& target) {
  // The link keeps its target in a buffer of MAX_PATH characters.
  if (!FitsPathLimit(linkPath) || !FitsPathLimit(target)) return false;
  ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.receive())))
    return false;
  if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetShowCmd(SW_SHOW))) return false;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive()))) return false;
  // IPersistFile takes UTF-16; the path is text of the same code page the "A" calls use.
  const std::wstring widePath = ui::ToWide(linkPath);
  return !widePath.empty() && SUCCEEDED(file->Save(widePath.c_str(), TRUE));
}

}  // namespace app::sys
