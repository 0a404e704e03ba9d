#include "ui/core/menu.h"

#include "ui/core/text.h"

namespace ui {

UiMenu::UiMenu(const UiMenu& other)
    : items_(other.items_),
      width_(other.width_),
      popupHandler_(other.popupHandler_),
      paintHandler_(other.paintHandler_) {
  life_.Begin(this);
}

UiMenu& UiMenu::operator=(const UiMenu& other) {
  if (this == &other) return *this;
  items_ = other.items_;
  width_ = other.width_;
  popupHandler_ = other.popupHandler_;
  paintHandler_ = other.paintHandler_;
  return *this;
}

UiMenu::OpenGuard::OpenGuard(UiMenu& menu) {
  if (menu.open_) return;
  menu.open_ = true;
  menu_ = WeakRef<UiMenu>(&menu);
  acquired_ = true;
}

UiMenu::OpenGuard::~OpenGuard() {
  if (UiMenu* menu = menu_.get()) menu->open_ = false;
}

void UiMenu::Destroy() {
  width_ = 0;
  popupHandler_ = nullptr;
  paintHandler_ = nullptr;
  items_.clear();
  items_.shrink_to_fit();
}

void UiMenu::AddItem(std::string_view text, ByteView image, int state, int kind, int notify,
                     int identifier, Argb textColour, int extra1, int extra2, Argb hotColour) {
  UiMenuItemRecord item;
  item.text = ToWide(text);
  item.image.assign(image.begin(), image.end());
  item.state = state;
  item.kind = kind;
  item.notify = notify;
  item.identifier = identifier;
  item.textColour = textColour;
  item.extra1 = extra1;
  item.extra2 = extra2;
  item.hotColour = hotColour;
  items_.push_back(std::move(item));
}

void UiMenu::AddRoutineItem(std::string_view text, std::function<void()> routine, int state) {
  AddItem(text, {}, state, kCommand, 0, 0);
  items_.back().routine = std::move(routine);
}

void UiMenu::AddSubmenuItem(std::string_view text, UiMenu* submenu, int state) {
  AddItem(text, {}, state, kSubmenu, 0, 0);
  items_.back().submenu = submenu;
}

bool UiMenu::IsValidIndex(int index) const {
  return index >= 1 && index <= static_cast<int>(items_.size());
}

UiMenuItemRecord* UiMenu::At(int index) {
  return IsValidIndex(index) ? &items_[static_cast<std::size_t>(index - 1)] : nullptr;
}

const UiMenuItemRecord* UiMenu::Item(int index) const {
  return IsValidIndex(index) ? &items_[static_cast<std::size_t>(index - 1)] : nullptr;
}

bool UiMenu::RemoveItem(int index) {
  if (!IsValidIndex(index)) return false;
  items_.erase(items_.begin() + (index - 1));
  return true;
}

void UiMenu::Clear() { items_.clear(); }

int UiMenu::ItemState(int index) const {
  const auto* item = Item(index);
  return item ? item->state : 0;
}

int UiMenu::ItemState(int index, int value) {
  auto* item = At(index);
  if (!item) return 0;
  item->state = value;
  return item->state;
}

std::string UiMenu::ItemText(int index) const {
  const auto* item = Item(index);
  return item ? FromWide(item->text) : std::string();
}

std::string UiMenu::ItemText(int index, std::string_view text) {
  auto* item = At(index);
  if (!item) return {};
  item->text = ToWide(text);
  return FromWide(item->text);
}

std::wstring UiMenu::ItemTextBytes(int index) const {
  const auto* item = Item(index);
  return item ? item->text : std::wstring();
}

std::wstring UiMenu::ItemTextBytes(int index, std::wstring_view text) {
  auto* item = At(index);
  if (!item) return {};
  item->text.assign(text);
  return item->text;
}

Bytes UiMenu::ItemImage(int index) const {
  const auto* item = Item(index);
  return item ? item->image : Bytes();
}

Bytes UiMenu::ItemImage(int index, ByteView image) {
  auto* item = At(index);
  if (!item) return {};
  item->image.assign(image.begin(), image.end());
  return item->image;
}

}  // namespace ui
