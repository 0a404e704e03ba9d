#pragma once
// The link to qwcore.dll, the accelerator's core library beside the
// program. It is loaded at run time, so the window still opens (without
// route data) when the library or its data is missing.
#include <string>

namespace qingwu {

// Number of routes listed in servers.ini of `programFolder` (ends with '\'),
// as counted by qwcore.dll; -1 when the library or the file is missing.
int ReadRouteCount(const std::wstring& programFolder);

}  // namespace qingwu
