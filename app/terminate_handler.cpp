// What qingwu_setup.exe does when an exception leaves every handler: it
// ends at once (abort), as the runtime's own handler does after printing the
// exception's type to standard error. A GUI program has no standard error
// to print to, and the printing handler links in the runtime's C++ name
// demangler (about 46 KB of code and tables), so this one leaves it out.
// Linked into the executable itself (not the library archive), so that the
// runtime's handler is never pulled in.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
