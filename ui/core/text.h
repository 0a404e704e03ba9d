#pragma once
// Text: code page 936 (GBK) byte strings throughout; UTF-16 only at calls
// into "W" functions and GDI+.
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace ui {

// Code-page text to UTF-16 (no terminator in the result; .c_str() has one).
std::wstring ToWide(std::string_view text, UINT codePage = CP_ACP);
// UTF-16 to code-page text, up to the first zero unit.
std::string FromWide(std::wstring_view wide, UINT codePage = CP_ACP);

// GBK character stepping. A byte above 0x80 (0x81..0xFE) leads a two-byte
// character; a lead byte at the very end of the text (cut or corrupt input)
// counts as a one-byte character so that no caller reads past the text.
inline bool IsLeadByte(unsigned char b) { return b > 0x80 && b < 0xFF; }
inline std::size_t CharLengthAt(std::string_view s, std::size_t i) {
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}
// Number of characters in `s`.
std::size_t CharCount(std::string_view s);
// Byte offset of character `column` (clamped to the end of `s`).
std::size_t ByteOffsetOfColumn(std::string_view s, std::size_t column);
// Byte index of the last occurrence of byte `c` that is a character of its
// own (not the trail byte of a two-byte character); npos when absent.
std::size_t FindLastSingleByte(std::string_view s, char c);

}  // namespace ui
