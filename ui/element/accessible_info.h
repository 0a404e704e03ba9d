#pragma once
// What an element tells assistive technology about itself: a role, a name,
// a value, state bits and a default action. Elements describe themselves
// (UiElement::Accessible); the host's accessibility objects only translate
// this description, so another accessibility interface can be added later
// without touching the controls. Texts are in the library's code page (936).
#include <optional>
#include <string>
#include <string_view>

namespace ui {

enum class AccessibleRole {
  kNone,            // a plain element: grouping only
  kStaticText,
  kPushButton,
  kGraphic,
  kEditableText,
  kProgressBar,
  kScrollBar,
  kMenuItem,
  kSeparator,       // a menu's dividing line
  kTitleBarButton,
};

namespace accessible_state {
inline constexpr unsigned kFocused = 1u << 0;
inline constexpr unsigned kFocusable = 1u << 1;
inline constexpr unsigned kUnavailable = 1u << 2;  // disabled
inline constexpr unsigned kInvisible = 1u << 3;
inline constexpr unsigned kPressed = 1u << 4;
inline constexpr unsigned kChecked = 1u << 5;
inline constexpr unsigned kReadOnly = 1u << 6;
inline constexpr unsigned kProtected = 1u << 7;     // a password
}  // namespace accessible_state

struct AccessibleInfo {
  AccessibleRole role = AccessibleRole::kNone;
  std::string name;
  std::optional<std::string> value;
  unsigned state = 0;
  std::string defaultAction;  // empty: none
};

// A caption as it is read out: a single "&" (the access-key marker) goes,
// "&&" stands for one "&".
std::string WithoutAccessKey(std::string_view caption);

}  // namespace ui
