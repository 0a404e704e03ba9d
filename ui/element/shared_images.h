#pragma once
// Decoded images shared by their bytes: elements that draw the same image
// at the same display scale (a button's normal and pressed states, two
// buttons with the same artwork) hold one decoded copy instead of decoding
// the bytes again. For the window's thread: each thread has its own table.
#include <cstddef>
#include <memory>

#include "ui/core/bytes.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// The image of `bytes` decoded for `scaleQuarters` (as ImageFromMemory
// decodes it), shared with every other holder of equal bytes at that
// scale. It lives while any holder keeps it; the table itself keeps none.
// Null for empty or undecodable bytes.
std::shared_ptr<const gp::Image> SharedDecodedImage(ByteView bytes, int scaleQuarters);

// How many decoded images the calling thread's table knows alive.
std::size_t LiveSharedImageCount();

}  // namespace ui
