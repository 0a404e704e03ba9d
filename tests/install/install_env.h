#pragma once
// What the install tests read back from the system (files, registry values,
// shell links) and the clean-up that gives every test a clean prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace qwtest {

// Every test folder lives below this one (code page 936 text).
inline constexpr char kTestRoot[] = "C:\\qw_install_test\\";

// Deletes a file or a folder with everything in it (read-only files too).
void RemoveTree(const std::string& path);
bool MakeFolder(const std::string& path);  // every missing level
bool WriteTextFile(const std::string& path, const std::string& text);
std::optional<std::string> ReadFileBytes(const std::string& path);
bool Exists(const std::string& path);
std::uint32_t FileCrc32(const std::string& path);

// The uninstall key's REG_SZ value (without its terminating zero).
std::optional<std::string> UninstallValue(const char* name);
bool UninstallKeyExists();
void DeleteUninstallKey();

// Shell folders as the shell reports them, with a trailing backslash.
std::string ProgramsFolder();
std::string DesktopFolder();
// The four shortcuts the installer creates, in creation order.
std::string GroupLink();
std::string GroupUninstallLink();
std::string ProgramsLink();
std::string DesktopLink();
// A link's target path; empty when it cannot be read.
std::string LinkTarget(const std::string& linkPath);

// Registry key, shortcuts, program group and test folders removed before
// and after each test.
class InstallTraces : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  static void Clean();
};

}  // namespace qwtest
