#pragma once
// The installed product's constant names and texts (code page 936).
namespace app::install {

inline constexpr char kProductName[] = "青梧网游加速器";
inline constexpr char kExecutableName[] = "qingwu.exe";
inline constexpr char kUninstallerName[] = "uninst.exe";
inline constexpr char kTemporaryArchiveName[] = "sj.zip";
inline constexpr char kUninstallDataName[] = "Uninstall.dat";
inline constexpr char kDefaultFolder[] = "C:\\青梧网游加速器\\";
inline constexpr char kWindowsFolder[] = "C:\\Windows";

inline constexpr char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\青梧网游加速器";
inline constexpr char kDisplayVersion[] = "201909999";
inline constexpr char kPublisher[] = "青梧网络科技";
inline constexpr char kPublisherUrl[] = "https://www.example.com/qingwu/";

}  // namespace app::install
