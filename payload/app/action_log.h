#pragma once
// The action log: one line per thing the user did, with the time of day,
// shown in the window and appended to a file in the user's data folder.
// Text is code page 936 (GBK); lines end with CR LF in the file and are
// joined by CR LF in Text() (the edit box's line separator).
#include <windows.h>

#include <deque>
#include <string>
#include <string_view>

namespace qingwu {

class ActionLog {
 public:
  explicit ActionLog(std::size_t maxLines = 200) : maxLines_(maxLines ? maxLines : 1) {}

  // Also append every recorded line to this file (UTF-16 path); empty: none.
  void SetFile(std::wstring path) { file_ = std::move(path); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }

  // Records "[HH:MM:SS] text" unless the log is switched off; returns
  // whether a line was recorded.
  bool Add(std::string_view text, const SYSTEMTIME& at);
  bool Add(std::string_view text);  // at the local time now
  // Records even while the log is switched off (for the switch itself).
  void AddAlways(std::string_view text, const SYSTEMTIME& at);

  // The kept lines (the newest maxLines), joined by CR LF.
  std::string Text() const;
  std::size_t LineCount() const { return lines_.size(); }
  const std::deque<std::string>& Lines() const { return lines_; }
  // Forgets the kept lines; the file keeps its history.
  void Clear() { lines_.clear(); }

  static std::string FormatLine(std::string_view text, const SYSTEMTIME& at);

 private:
  void Record(std::string line);

  std::size_t maxLines_;
  bool enabled_ = true;
  std::deque<std::string> lines_;
  std::wstring file_;
};

}  // namespace qingwu
