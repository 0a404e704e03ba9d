#include "app/install/failure_cause.h"

namespace app::install {

std::string CauseText(DWORD error) {
  switch (error) {
    case 0:
      return {};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "磁盘空间不足，请清理磁盘或选择其他位置。";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return "没有写入权限（拒绝访问），请选择其他位置。";
    case ERROR_FILENAME_EXCED_RANGE:
      return "路径太长，请选择较短的路径。";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return "文件正在被其他程序使用，请关闭该程序后重试。";
    default:
      return "（错误代码 " + std::to_string(error) + "）";
  }
}

}  // namespace app::install
