#pragma once
// What one installation changed on the machine, so that a failed or
// abandoned installation can be taken back completely: the folders it
// created, the files it wrote (a file that was there before is first moved
// aside to a kept copy), the registry values it set (with their previous
// data) and the registry keys it created.
//
// Every write step of the installation goes through here. Steps come from
// the UI thread and from the extraction worker, never at the same time
// (the worker waits for the UI thread); a lock keeps the record whole
// anyway. A failed step leaves the system's error code as the last error.
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/form/zip_archive.h"
#include "ui/core/bytes.h"

namespace app::install {

class InstallJournal : public form::UnpackListener {
 public:
  InstallJournal() = default;
  InstallJournal(const InstallJournal&) = delete;
  InstallJournal& operator=(const InstallJournal&) = delete;

  // Creates every missing level of `folder` (trailing backslash optional).
  bool CreateFolders(const std::string& folder);
  // Creates or overwrites the file with exactly these bytes.
  bool WriteFile(const std::string& path, ui::ByteView bytes);
  bool WriteFile(const std::string& path, std::string_view text);
  // Creates or replaces a shell link (COM must be initialised).
  bool CreateLink(const std::string& linkPath, const std::string& target);
  // Sets a REG_SZ value under HKEY_LOCAL_MACHINE ("key\value name").
  bool WriteMachineString(const std::string& valuePath, const std::string& data);
  // Deletes a file this installation wrote and only needed for a while;
  // a file it replaced is put back at once.
  void RemoveTemporary(const std::string& path);

  // form::UnpackListener: a member about to be written, a folder created.
  bool BeforeFile(const std::string& path) override;
  void FolderCreated(const std::string& path) override;

  // Takes everything back, newest first: files deleted and kept copies put
  // back, values restored or deleted, created keys and folders removed
  // (a folder only when empty, so what others put there stays).
  void Rollback();
  // The installation stands: the kept copies are deleted.
  void Commit();

 private:
  struct Step {
    enum class Kind { Folder, NewFile, ReplacedFile, Value, Key } kind;
    std::string path;    // folder, file, registry key path
    std::string backup;  // ReplacedFile: the kept copy
    std::string name;    // Value: the value name
    bool hadValue = false;
    DWORD type = 0;              // Value: the previous type
    std::vector<BYTE> data;      // Value: the previous data
  };
  // Moves a file at `path` aside or records a new one; false on failure.
  bool PrepareFileLocked(const std::string& path);
  void UndoLocked(const Step& step);

  std::mutex lock_;
  std::vector<Step> steps_;
  int backups_ = 0;  // numbers the kept copies
};

// The name of the kept copy number `n` of a file in `folder`: shorter than
// any file the installation writes there.
std::string KeptCopyName(int n);

}  // namespace app::install
