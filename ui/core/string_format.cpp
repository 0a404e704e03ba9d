#include "ui/core/string_format.h"

namespace ui {

UiStringFormat::~UiStringFormat() {
  if (ownsHandle_) Delete();
}

void UiStringFormat::Delete() {
  if (handle_ && ownsHandle_) gp::GdipDeleteStringFormat(handle_);
  handle_ = nullptr;
}

bool UiStringFormat::Create(int formatFlags, LANGID language, bool ownsHandle) {
  if (ownsHandle_) Delete();
  handle_ = nullptr;
  ownsHandle_ = ownsHandle;
  return gp::Ok(gp::GdipCreateStringFormat(formatFlags, language, &handle_));
}

void UiStringFormat::Attach(Gdiplus::GpStringFormat* handle, bool owns) {
  if (handle == handle_) {
    ownsHandle_ = owns;
    return;
  }
  Delete();
  handle_ = handle;
  ownsHandle_ = owns;
}

int UiStringFormat::Align(int value) {
  gp::GdipSetStringFormatAlign(handle_, static_cast<Gdiplus::StringAlignment>(value));
  return value;
}
int UiStringFormat::Align() const {
  Gdiplus::StringAlignment v = Gdiplus::StringAlignmentNear;
  gp::GdipGetStringFormatAlign(handle_, &v);
  return v;
}
int UiStringFormat::Trimming(int value) {
  gp::GdipSetStringFormatTrimming(handle_, static_cast<Gdiplus::StringTrimming>(value));
  return value;
}
int UiStringFormat::Trimming() const {
  Gdiplus::StringTrimming v = Gdiplus::StringTrimmingNone;
  gp::GdipGetStringFormatTrimming(handle_, &v);
  return v;
}
int UiStringFormat::HotkeyPrefix(int value) {
  gp::GdipSetStringFormatHotkeyPrefix(handle_, value);
  return value;
}
int UiStringFormat::HotkeyPrefix() const {
  INT v = 0;
  gp::GdipGetStringFormatHotkeyPrefix(handle_, &v);
  return v;
}
int UiStringFormat::Flags(int value) {
  gp::GdipSetStringFormatFlags(handle_, value);
  return value;
}
int UiStringFormat::Flags() const {
  INT v = 0;
  gp::GdipGetStringFormatFlags(handle_, &v);
  return v;
}

}  // namespace ui
