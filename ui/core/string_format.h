#pragma once
// Owner (or borrower) of a GDI+ string format.
#include "ui/platform/gdiplus_api.h"

namespace ui {

class UiStringFormat {
 public:
  UiStringFormat() = default;
  // Copying shares the handle: the copy does not own it.
  UiStringFormat(const UiStringFormat& o) : handle_(o.handle_), ownsHandle_(false) {}
  UiStringFormat& operator=(const UiStringFormat&) = delete;
  ~UiStringFormat();

  // Deletes the handle (when owned) and forgets it.
  void Delete();
  // Creates a new format; true on success. With `ownsHandle` the previous
  // handle is released first and the new one is released by this object.
  bool Create(int formatFlags, LANGID language = 0, bool ownsHandle = true);

  // Each setter stores the value and returns it; each getter reads it back.
  int Align(int value);
  int Align() const;
  int Trimming(int value);
  int Trimming() const;
  int HotkeyPrefix(int value);
  int HotkeyPrefix() const;
  int Flags(int value);
  int Flags() const;

  Gdiplus::GpStringFormat* Handle() const { return handle_; }
  // Takes `handle` as is (owned when `owns`).
  void Attach(Gdiplus::GpStringFormat* handle, bool owns);

 private:
  Gdiplus::GpStringFormat* handle_ = nullptr;
  bool ownsHandle_ = false;
};

}  // namespace ui
