#include "payload/app/action_log.h"

#include <cstdio>

#include "payload/app/file_io.h"

namespace qingwu {

std::string ActionLog::FormatLine(std::string_view text, const SYSTEMTIME& at) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "[%02u:%02u:%02u] ", static_cast<unsigned>(at.wHour) % 100,
                static_cast<unsigned>(at.wMinute) % 100, static_cast<unsigned>(at.wSecond) % 100);
  std::string line = stamp;
  // One entry is one line: line breaks inside the text become spaces.
  for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

bool ActionLog::Add(std::string_view text, const SYSTEMTIME& at) {
  if (!enabled_) return false;
  Record(FormatLine(text, at));
  return true;
}

bool ActionLog::Add(std::string_view text) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Add(text, now);
}

void ActionLog::AddAlways(std::string_view text, const SYSTEMTIME& at) { Record(FormatLine(text, at)); }

void ActionLog::Record(std::string line) {
  // The window keeps working when the file cannot be written.
  if (!file_.empty()) AppendFileBytes(file_, line + "\r\n");
  lines_.push_back(std::move(line));
  while (lines_.size() > maxLines_) lines_.pop_front();
}

std::string ActionLog::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace qingwu
