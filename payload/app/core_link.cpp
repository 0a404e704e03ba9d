#include "payload/app/core_link.h"

#include <windows.h>

#include "payload/core/qwcore.h"

namespace qingwu {

int ReadRouteCount(const std::wstring& programFolder) {
  HMODULE core = LoadLibraryExW((programFolder + L"qwcore.dll").c_str(), nullptr, 0);
  if (!core) return -1;
  int count = -1;
  auto routeCount = reinterpret_cast<QwCoreRouteCountFn>(
      reinterpret_cast<void*>(GetProcAddress(core, "QwCoreRouteCount")));
  if (routeCount) count = routeCount((programFolder + L"servers.ini").c_str());
  FreeLibrary(core);
  return count;
}

}  // namespace qingwu
