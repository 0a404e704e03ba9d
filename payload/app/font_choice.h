#pragma once
// Picks an installed face for the application's Chinese text.
#include <windows.h>

namespace qingwu {
// The first installed face of "Microsoft YaHei", "微软雅黑", "宋体".
const wchar_t* UiFaceName();
// A font of the chosen face; pixel height, weight (FW_...).
HFONT CreateUiFont(int pixelHeight, int weight);
}  // namespace qingwu
