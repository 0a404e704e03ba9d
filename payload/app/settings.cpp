#include "payload/app/settings.h"

#include <windows.h>

#include <string_view>

namespace qingwu {
namespace {
constexpr wchar_t kSection[] = L"settings";

bool ReadFlag(const std::wstring& path, const wchar_t* key, bool fallback) {
  // Anything but "0" or "1" (a damaged file) keeps the default.
  wchar_t value[8] = {};
  GetPrivateProfileStringW(kSection, key, L"", value, 8, path.c_str());
  const std::wstring_view text(value);
  return text == L"1" ? true : text == L"0" ? false : fallback;
}

bool WriteFlag(const std::wstring& path, const wchar_t* key, bool value) {
  return WritePrivateProfileStringW(kSection, key, value ? L"1" : L"0", path.c_str()) != FALSE;
}
}  // namespace

Settings LoadSettings(const std::wstring& iniPath) {
  const Settings defaults;
  Settings s;
  s.alwaysOnTop = ReadFlag(iniPath, L"always_on_top", defaults.alwaysOnTop);
  s.logActions = ReadFlag(iniPath, L"log_actions", defaults.logActions);
  return s;
}

bool SaveSettings(const std::wstring& iniPath, const Settings& settings) {
  const bool ok = WriteFlag(iniPath, L"always_on_top", settings.alwaysOnTop) &&
                  WriteFlag(iniPath, L"log_actions", settings.logActions);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, iniPath.c_str());  // flush the cache
  return ok;
}

}  // namespace qingwu
