#pragma once
// What an installation can change on the machine, read back for
// before-and-after comparisons: every file and folder below the test root
// (with content and attributes), the uninstall key's values, the program
// group and the four links.
#include <map>
#include <string>

namespace qwtest {

struct MachineState {
  std::map<std::string, std::string> entries;  // path -> "dir" or attributes + content
  std::map<std::string, std::string> values;   // uninstall key value -> data
  bool keyExists = false;
  std::map<std::string, std::string> shellItems;  // program group and links -> "dir", content or 
  bool operator==(const MachineState&) const = default;
};

MachineState ReadMachineState();
// The differences, one a line, for a failure message.
std::string Differences(const MachineState& before, const MachineState& after);

}  // namespace qwtest
