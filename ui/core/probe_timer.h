#pragma once
#include <windows.h>
#include <cstdio>
namespace probe {
inline double g_acc[16];
inline long g_cnt[16];
inline double Now() { LARGE_INTEGER f, c; QueryPerformanceFrequency(&f); QueryPerformanceCounter(&c); return c.QuadPart * 1000.0 / f.QuadPart; }
struct Scope { int i; double t; explicit Scope(int i) : i(i), t(Now()) {} ~Scope() { g_acc[i] += Now() - t; g_cnt[i]++; } };
inline void Dump(long keys) { for (int i = 0; i < 16; ++i) if (g_cnt[i]) std::printf("phase %2d: %.3f ms/key (%ld calls)\n", i, g_acc[i] / keys, g_cnt[i]); }
inline void Clear() { for (int i = 0; i < 16; ++i) { g_acc[i] = 0; g_cnt[i] = 0; } }
}
#define PROBE(i) probe::Scope probe_scope_##i(i)
