#include "ui/core/text.h"

#include <climits>

namespace ui {

std::wstring ToWide(std::string_view text, UINT codePage) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  // Like the zero-terminated conversion: stop at an embedded zero.
  const auto zero = out.find(L'\0');
  if (zero != std::wstring::npos) out.resize(zero);
  return out;
}

std::string FromWide(std::wstring_view wide, UINT codePage) {
  const auto zero = wide.find(L'\0');
  if (zero != std::wstring_view::npos) wide = wide.substr(0, zero);
  if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int m = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (m <= 0) return {};
  std::string out(static_cast<std::size_t>(m), ' ');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), m, nullptr,
                      nullptr);
  return out;
}

std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) ++n;
  return n;
}

std::size_t ByteOffsetOfColumn(std::string_view s, std::size_t column) {
  std::size_t i = 0;
  for (std::size_t c = 0; c < column && i < s.size(); ++c) i += CharLengthAt(s, i);
  return i;
}

std::size_t FindLastSingleByte(std::string_view s, char c) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) {
    if (s[i] == c) found = i;
  }
  return found;
}

}  // namespace ui
