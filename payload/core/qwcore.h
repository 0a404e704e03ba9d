#pragma once
// qwcore.dll: the accelerator's core library. The application loads it at
// run time, so the program still starts (without route data) when it is gone.
//
// The exports are declared here and the application's pointer types are
// taken from these declarations, so the library's definitions (which must
// match a C declaration exactly) and the application's calls cannot drift
// apart: a change to either side is a compile error.

#ifdef QWCORE_BUILDING
#define QWCORE_EXPORT __declspec(dllexport)
#else
#define QWCORE_EXPORT
#endif

extern "C" {
// The version of the core, "201909999".
QWCORE_EXPORT const wchar_t* QwCoreVersion();
// Number of acceleration routes ([route-...] sections) in the given
// servers.ini; -1 when the file cannot be read.
QWCORE_EXPORT int QwCoreRouteCount(const wchar_t* serversIniPath);
}

// The types of the pointers GetProcAddress gives for the exports above.
using QwCoreVersionFn = decltype(&QwCoreVersion);
using QwCoreRouteCountFn = decltype(&QwCoreRouteCount);
