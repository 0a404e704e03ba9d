#pragma once
// The classic path limit of the "A" file functions and of the system's
// folder helper. Paths are code page 936 text; the system counts UTF-16
// units, the helpers that copy a path into a buffer of their own count bytes.
#include <windows.h>

#include <cstddef>
#include <string_view>

namespace app::sys {

// Characters a file path may have: MAX_PATH with its terminating zero.
inline constexpr std::size_t kMaxPathChars = MAX_PATH - 1;
// A folder leaves room for an 8.3 name behind it (CreateDirectory's rule).
inline constexpr std::size_t kMaxFolderChars = MAX_PATH - 12 - 1;

// The UTF-16 units the system sees in `path`.
std::size_t PathChars(std::string_view path);

// True when every "A" function and the folder helper can take `path` as a
// file path (or, for FitsFolderLimit, as a folder to create): both its
// UTF-16 length and its byte length are within the limit.
bool FitsPathLimit(std::string_view path);
bool FitsFolderLimit(std::string_view folder);

}  // namespace app::sys
