#include "ui/controls/edit_clipboard.h"

#include <cstring>

#include "ui/core/text.h"

namespace ui::clipboard {

namespace {

// Holds the clipboard open for the life of the object.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// Global memory owned until the clipboard takes it over.
class GlobalBlock {
 public:
  GlobalBlock() = default;
  explicit GlobalBlock(std::size_t bytes) : h_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
  GlobalBlock(GlobalBlock&& other) noexcept : h_(other.release()) {}
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  ~GlobalBlock() {
    if (h_) GlobalFree(h_);
  }
  HGLOBAL get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  HGLOBAL release() {
    HGLOBAL h = h_;
    h_ = nullptr;
    return h;
  }

 private:
  HGLOBAL h_ = nullptr;
};

// Locks a global memory block for reading or writing.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  ~LockedBlock() {
    if (p_) GlobalUnlock(h_);
  }
  void* data() const { return p_; }
  // Bytes in the block (0 when it could not be locked).
  std::size_t size() const { return p_ ? GlobalSize(h_) : 0; }

 private:
  HGLOBAL h_;
  void* p_;
};

// A copy of `size` bytes followed by `terminator` zero bytes in a new
// block; an empty block on failure.
GlobalBlock NewBlock(const void* bytes, std::size_t size, std::size_t terminator) {
  GlobalBlock block(size + terminator);
  LockedBlock lock(block.get());
  if (!lock.data()) return {};
  std::memcpy(lock.data(), bytes, size);
  std::memset(static_cast<char*>(lock.data()) + size, 0, terminator);
  return block;
}

}  // namespace

bool HasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT); }

std::string ReadText(HWND owner) {
  OpenClipboardScope scope(owner);
  if (!scope) return {};
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    LockedBlock lock(h);
    // The text ends at its terminator or at the end of the block, whichever
    // comes first: a block without a terminator is never read past.
    const std::size_t units = lock.size() / sizeof(wchar_t);
    if (lock.data()) return FromWide(std::wstring_view(static_cast<const wchar_t*>(lock.data()), units));
  }
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    LockedBlock lock(h);
    if (!lock.data()) return {};
    const char* bytes = static_cast<const char*>(lock.data());
    const std::size_t length = strnlen(bytes, lock.size());
    return std::string(bytes, length);
  }
  return {};
}

bool WriteText(HWND owner, std::string_view text) {
  const std::wstring wide = ToWide(text);
  GlobalBlock unicode = NewBlock(wide.c_str(), wide.size() * sizeof(wchar_t), sizeof(wchar_t));
  GlobalBlock ansi = NewBlock(text.data(), text.size(), 1);
  if (!unicode || !ansi) return false;

  OpenClipboardScope scope(owner);
  if (!scope || !EmptyClipboard()) return false;
  // The clipboard owns a block once SetClipboardData accepted it.
  if (!SetClipboardData(CF_UNICODETEXT, unicode.get())) return false;
  unicode.release();
  if (SetClipboardData(CF_TEXT, ansi.get())) ansi.release();
  return true;
}

}  // namespace ui::clipboard
