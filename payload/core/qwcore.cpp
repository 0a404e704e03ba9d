#define QWCORE_BUILDING
#include "payload/core/qwcore.h"

#include <windows.h>

#include <cwchar>

extern "C" const wchar_t* QwCoreVersion() { return L"201909999"; }

extern "C" int QwCoreRouteCount(const wchar_t* serversIniPath) {
  if (!serversIniPath || GetFileAttributesW(serversIniPath) == INVALID_FILE_ATTRIBUTES) return -1;
  wchar_t names[4096] = {};
  const DWORD length = GetPrivateProfileSectionNamesW(names, 4096, serversIniPath);
  int routes = 0;
  // The buffer holds zero-terminated names one after another.
  for (DWORD i = 0; i < length && names[i]; i += static_cast<DWORD>(std::wcslen(names + i)) + 1) {
    if (std::wcsncmp(names + i, L"route-", 6) == 0) ++routes;
  }
  return routes;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
