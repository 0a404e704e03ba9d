#pragma once
// Byte arrays: images, the archive and raw UTF-16 text travel as bytes.
#include <cstdint>
#include <span>
#include <vector>

namespace ui {
using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;
}  // namespace ui
