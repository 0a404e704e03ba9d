#pragma once
// The cause of a failed write as the user reads it, told apart by the
// system's error code (code page 936).
#include <windows.h>

#include <string>

namespace app::install {

// A sentence naming the cause and what to do: a full disk, a refusal, a
// path too long, a file in use; for any other code a sentence with the
// code. Empty for 0 (no code known).
std::string CauseText(DWORD error);

}  // namespace app::install
