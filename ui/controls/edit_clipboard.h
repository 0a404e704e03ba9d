#pragma once
// The edit box's clipboard text. The edit holds code-page text; the
// clipboard gets the same characters twice: as UTF-16 (CF_UNICODETEXT, what
// Unicode programs read) and as the edit's own bytes (CF_TEXT), so that
// neither depends on the system converting one into the other with a
// keyboard locale that may not match the text. Reading prefers the UTF-16
// form and converts it with the code page the edit draws with.
#include <windows.h>

#include <string>
#include <string_view>

namespace ui::clipboard {

// True when the clipboard offers text in either form.
bool HasText();
// The clipboard text as code-page bytes; "" when there is none or the
// clipboard cannot be opened.
std::string ReadText(HWND owner);
// Replaces the clipboard content by `text`; false when the clipboard could
// not be opened or written (nothing is leaked either way).
bool WriteText(HWND owner, std::string_view text);

}  // namespace ui::clipboard
