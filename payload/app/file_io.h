#pragma once
// Whole-file reads and writes for the application's small data files
// (notes, the action log). Paths are UTF-16; contents are raw bytes.
#include <optional>
#include <string>
#include <string_view>

namespace qingwu {

// The file's bytes; nothing when it cannot be opened or is larger than `limit`.
std::optional<std::string> ReadFileBytes(const std::wstring& path, std::size_t limit = 4u << 20);
// Replaces the file: writes a temporary file beside it, then moves it over
// the old one, so a failed write never leaves half a file. False on failure.
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
// Appends to the file (created when missing). False on failure.
bool AppendFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace qingwu
