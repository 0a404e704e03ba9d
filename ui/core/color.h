#pragma once
// 32-bit ARGB colours (alpha in the top byte, the layout GDI+ expects).
#include <windows.h>

#include <cstdint>

namespace ui {

using Argb = std::uint32_t;

// Builds an ARGB colour from a platform colour value (0x00BBGGRR). An alpha
// of 255 (the default) becomes 254, so every "opaque" library colour has
// alpha 0xFE; this is what stored colours and callers compare against.
Argb MakeArgb(COLORREF rgb, int alpha = 255);

inline constexpr std::uint8_t AlphaOf(Argb c) { return static_cast<std::uint8_t>(c >> 24); }
inline constexpr std::uint8_t RedOf(Argb c) { return static_cast<std::uint8_t>(c >> 16); }
inline constexpr std::uint8_t GreenOf(Argb c) { return static_cast<std::uint8_t>(c >> 8); }
inline constexpr std::uint8_t BlueOf(Argb c) { return static_cast<std::uint8_t>(c); }
inline constexpr Argb ArgbOf(int a, int r, int g, int b) {
  return (Argb(a & 0xFF) << 24) | (Argb(r & 0xFF) << 16) | (Argb(g & 0xFF) << 8) | Argb(b & 0xFF);
}

}  // namespace ui
