#pragma once
// The installation check: looks at the application's files in its folder
// one at a time (so the window can show the progress) and reports which
// are present and how large they are. It reads file attributes only.
#include <string>
#include <vector>

namespace qingwu {

struct CheckedFile {
  std::wstring name;
  bool present = false;
  unsigned long long size = 0;  // bytes; 0 when missing
};

class FileCheck {
 public:
  // `folder` ends with a backslash; `names` are file names inside it.
  FileCheck(std::wstring folder, std::vector<std::wstring> names);

  bool Done() const { return next_ >= names_.size(); }
  int Total() const { return static_cast<int>(names_.size()); }
  int Checked() const { return static_cast<int>(results_.size()); }
  // 0..100; 100 once everything is checked (also for an empty list).
  int Percent() const;
  // The file Step will check next; empty when done.
  std::wstring NextName() const { return Done() ? std::wstring() : names_[next_]; }
  // Checks the next file. Does nothing once done.
  void Step();
  const std::vector<CheckedFile>& Results() const { return results_; }
  int MissingCount() const;

 private:
  std::wstring folder_;
  std::vector<std::wstring> names_;
  std::size_t next_ = 0;
  std::vector<CheckedFile> results_;
};

// The files the installer puts into the installation folder.
std::vector<std::wstring> InstalledFileNames();

}  // namespace qingwu
