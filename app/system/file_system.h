#pragma once
// File-system steps of the installer. Paths are code page 936 text and go
// to the "A" functions; a backslash that is the second byte of a two-byte
// character never counts as a separator.
#include <string>
#include <string_view>

#include "ui/core/bytes.h"

namespace app::sys {

// True when `path` ends with a backslash or slash of its own.
bool EndsWithSeparator(std::string_view path);
// `path` with a backslash appended when it does not end with a separator
// (the empty text stays empty).
std::string WithTrailingBackslash(std::string path);

// "X:\..." (or "X:/...") and "\\server\share..." are absolute; "folder",
// "\folder" and "X:folder" depend on the current drive or folder.
bool IsAbsolutePath(std::string_view path);
// An absolute path as a plain folder: "." and ".." resolved, slashes made
// backslashes, with a trailing backslash (the normal form of folder_check.h).
// Empty when `path` is not absolute or names no usable folder.
std::string NormalizedFolder(const std::string& path);

// A find-first-file probe: a file or folder of that name exists. A trailing
// separator is ignored, so "C:\x\" finds the folder C:\x.
bool PathExists(const std::string& path);
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);

// Makes sure the folder exists, creating every missing level; true when it
// exists afterwards.
bool EnsureFolder(const std::string& folder);

// Creates or overwrites the file with exactly these bytes; its attributes
// are reset to normal first, so a read-only file is overwritten too.
bool WriteWholeFile(const std::string& path, ui::ByteView bytes);
bool WriteWholeFile(const std::string& path, std::string_view text);

// A shell folder (CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, ...) with a
// trailing backslash; empty when the system has none.
std::string SpecialFolder(int csidl);

}  // namespace app::sys
