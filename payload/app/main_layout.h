#pragma once
// Where everything of the main window goes, for a window of a given size.
// One pure function, so the window, its background painter and the tests
// share the same numbers.
//
// Coordinates: client pixels of the window, which is layered with a 5-pixel
// shadow margin on every side; the body is (5, 5) .. (width - 5, height - 5).
#include <windows.h>

namespace qingwu {

// The smallest window; the layout is designed for it and grows from it.
inline constexpr int kMinWindowWidth = 780;
inline constexpr int kMinWindowHeight = 540;
inline constexpr int kBodyMargin = 5;
inline constexpr int kHeaderHeight = 96;  // dark band under the caption
// Where the animated logo sits: its GIF carries the header pixels behind it
// (payload/app/art/draw_app_art.py, LOGO_AT), so it must not move.
inline constexpr int kLogoX = 22;
inline constexpr int kLogoY = 18;
inline constexpr int kLogoSize = 60;

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const Box&) const = default;
};

struct MainLayout {
  Box body;          // the window's body (inside the shadow margin)
  Box header;        // the dark band at the top of the body
  Box logo, productName, version, settingsButton;
  Box leftCard, rightCard;  // white panels drawn on the background
  // Left card: the installation check.
  Box checkTitle, checkText, checkButton, checkProgress, checkStatus;
  Box infoTitle, routesInfo, folderInfo, dataInfo, offlineNote;
  // Right card: notes and the action log.
  Box notesTitle, saveButton, notesEdit, notesHint, logTitle, clearButton, logEdit;
};

// Sizes below the minimum are laid out as the minimum.
MainLayout ComputeLayout(int windowWidth, int windowHeight);

}  // namespace qingwu
