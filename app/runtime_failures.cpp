// What qingwu_setup.exe does when the C++ runtime meets a failure it would
// report by throwing: a failed allocation, a container asked beyond its
// size, an empty std::function called, a thread that cannot start. Nothing
// in the program catches an exception (failures are null, false or -1), so
// each of these would end in std::terminate and abort. Here they abort at
// once. Linked into the executable itself (not the library archive, which
// the tests share), so that the runtime's own versions are never pulled in,
// and with them the exception machinery: the throwing helpers, the standard
// exception classes, the copy-on-write string they carry, the unwinder's
// tables. That is about 90 KB of the 32-bit executable.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace std {
[[noreturn]] void __throw_bad_exception() { std::abort(); }
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_bad_cast() { std::abort(); }
[[noreturn]] void __throw_bad_typeid() { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::abort(); }
[[noreturn]] void __throw_range_error(const char*) { std::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_system_error(int) { std::abort(); }
[[noreturn]] void __throw_bad_function_call() { std::abort(); }
}  // namespace std

// Allocation: the runtime's operator new throws std::bad_alloc when the
// heap is exhausted and no new-handler frees memory.
void* operator new(std::size_t size) {
  for (;;) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) std::abort();
    handler();
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

// The runtime's default terminate handler prints the exception's type to
// standard error, which a GUI program does not have, and links in the C++
// name demangler (about 46 KB) to do it.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
