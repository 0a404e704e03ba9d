#pragma once
// The start window's archive operation: unpacks a ZIP archive (a file, or
// bytes already in memory) into a folder entry by entry, reporting progress
// after every entry.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/bytes.h"

namespace app::form {

enum class UnpackError {
  None,
  CannotOpen,          // the archive is missing, truncated or not a ZIP archive
  UnsafeName,          // an entry would land outside the folder (absolute, drive, "..")
  CannotCreateFolder,  // a folder inside the target could not be made
  CannotWrite,         // a target file could not be created or written
  Corrupt,             // an entry's data is damaged (bad deflate stream or checksum)
  Stopped,             // the progress handler asked to stop
};

struct UnpackResult {
  UnpackError error = UnpackError::None;
  // What the failure concerns: the archive path (or the name given for
  // bytes in memory), the entry name or the target file path (code page
  // 936). Empty on success.
  std::string subject;
  int entries = 0;  // entries in the archive (0 when it could not be opened)
  DWORD systemError = 0;  // the system's error code of a failed write or folder
  bool ok() const { return error == UnpackError::None; }
};

// Raised after each entry with its percentage; returning false stops the
// unpacking (the operation then fails with UnpackError::Stopped).
using UnpackProgress = std::function<bool(int percent)>;

// True when an entry name stays inside the target folder: not empty, not
// absolute, no drive or stream colon, no ".." part between slashes or
// backslashes.
bool IsSafeEntryName(std::string_view name);

// The entry names of an archive in memory, in archive order; empty when
// it cannot be read.
std::vector<std::string> EntryNames(ui::ByteView archive);

// Told of every file and folder the unpacking is about to write or has
// created, so that they can be taken back.
class UnpackListener {
 public:
  virtual ~UnpackListener() = default;
  // Before `path` is created or overwritten; false fails the entry with
  // CannotWrite and the last error as its cause.
  virtual bool BeforeFile(const std::string& path) = 0;
  // A folder the unpacking created.
  virtual void FolderCreated(const std::string& path) = 0;
};

class ZipArchive {
 public:
  // Not owned; null: nobody is told.
  void SetListener(UnpackListener* listener) { listener_ = listener; }
  // The progress event (may be empty).
  void OnProgress(UnpackProgress handler) { onProgress_ = std::move(handler); }

  // Unpacks `archivePath` into `folder` (which must exist). Every entry name
  // is checked before anything is written; then each entry is written in
  // archive order, overwriting existing files (one that refuses, being
  // read-only, hidden or system, has its attributes reset to normal first;
  // every written file is left normal), and after the entry with 0-based
  // index i of n the event reports i * 100 / n. After the last entry it
  // reports 100. A failure stops at once and reports no 100.
  UnpackResult Unpack(const std::string& archivePath, const std::string& folder) const;

  // The same operation on an archive held in memory (read in place, never
  // copied). `archiveName` stands where the archive path would in a result.
  UnpackResult Unpack(ui::ByteView archive, const std::string& folder, const std::string& archiveName) const;

 private:
  UnpackProgress onProgress_;
  UnpackListener* listener_ = nullptr;
};

}  // namespace app::form
