#pragma once
// qwcore.dll: the accelerator's core library. The application loads it at
// run time, so the program still starts (without route data) when it is gone.

extern "C" {
// The version of the core, "201909999".
typedef const wchar_t* (*QwCoreVersionFn)();
// Number of acceleration routes ([route-...] sections) in the given
// servers.ini; -1 when the file cannot be read.
typedef int (*QwCoreRouteCountFn)(const wchar_t* serversIniPath);
}
