/* A Linux preload library for the walkthrough: writes into one folder
 * (QW_SLOW_WRITES_UNDER, a Linux path) proceed at QW_SLOW_WRITES_RATE bytes
 * a second (default 2 MB/s). The installer unpacks its archive in a fraction
 * of a second; slowed down like this its installing phase lasts long enough
 * to be seen, photographed and interrupted. Nothing else changes: the bytes
 * written are the same, and writes elsewhere (Wine's own, X, the registry)
 * are not touched.
 *
 *   cc [-m32] -shared -fPIC -O2 -o slow_writes.so walkthrough_slow_writes.c -ldl
 *   LD_PRELOAD=slow_writes.so QW_SLOW_WRITES_UNDER=/path/ wine64 setup.exe
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static int IsUnderSlowFolder(int fd) {
  const char* folder = getenv("QW_SLOW_WRITES_UNDER");
  struct stat st;
  if (!folder || !*folder || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return 0;
  path[n] = '\0';
  return strncmp(path, folder, strlen(folder)) == 0;
}

static void Pace(int fd, size_t bytes) {
  if (!IsUnderSlowFolder(fd)) return;
  const char* rateText = getenv("QW_SLOW_WRITES_RATE");
  const double rate = rateText ? atof(rateText) : 2.0e6;
  if (rate <= 0) return;
  const double seconds = (double)bytes / rate;
  struct timespec pause = {(time_t)seconds, (long)((seconds - (double)(time_t)seconds) * 1e9)};
  nanosleep(&pause, NULL);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  static ssize_t (*real)(int, const void*, size_t);
  if (!real) real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
  Pace(fd, count);
  return real(fd, buffer, count);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off_t);
  if (!real) real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
  Pace(fd, count);
  return real(fd, buffer, count, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off64_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off64_t);
  if (!real) real = (ssize_t(*)(int, const void*, size_t, off64_t))dlsym(RTLD_NEXT, "pwrite64");
  Pace(fd, count);
  return real(fd, buffer, count, offset);
}
