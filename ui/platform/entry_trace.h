#pragma once
// When the programs' entry point (process_entry.cpp) finished its steps
// before the C runtime started: the start-up benchmark prints them as the
// first part of its breakdown.
#include <windows.h>

namespace ui::platform {

struct EntryTrace {
  FILETIME entered{};    // the entry point was reached: the loader's part is done
  FILETIME preloaded{};  // the search was restricted and the system DLLs loaded
  FILETIME bound{};      // the deferred imports were bound
};

EntryTrace& ProcessEntryTrace();

}  // namespace ui::platform
