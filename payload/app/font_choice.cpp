#include "payload/app/font_choice.h"

#include <initializer_list>

namespace qingwu {
namespace {
int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const wchar_t* face) {
  LOGFONTW query = {};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}
}  // namespace

const wchar_t* UiFaceName() {
  static const wchar_t* chosen = [] {
    for (const wchar_t* face : {L"Microsoft YaHei", L"微软雅黑"}) {
      if (FaceInstalled(face)) return face;
    }
    return L"宋体";
  }();
  return chosen;
}

HFONT CreateUiFont(int pixelHeight, int weight) {
  return CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, UiFaceName());
}
}  // namespace qingwu
