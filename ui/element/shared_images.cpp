#include "ui/element/shared_images.h"

#include <algorithm>
#include <vector>

#include "ui/core/image.h"

namespace ui {

namespace {
struct SharedEntry {
  Bytes bytes;  // compared in full: equal bytes, not merely the same address
  int quarters = 0;
  std::weak_ptr<const gp::Image> image;
};

std::vector<SharedEntry>& Table() {
  thread_local std::vector<SharedEntry> table;
  return table;
}

void DropExpired(std::vector<SharedEntry>& table) {
  std::erase_if(table, [](const SharedEntry& e) { return e.image.expired(); });
}
}  // namespace

std::shared_ptr<const gp::Image> SharedDecodedImage(ByteView bytes, int scaleQuarters) {
  if (bytes.empty()) return nullptr;
  std::vector<SharedEntry>& table = Table();
  DropExpired(table);
  for (const SharedEntry& e : table) {
    if (e.quarters != scaleQuarters || !std::ranges::equal(e.bytes, bytes)) continue;
    if (auto live = e.image.lock()) return live;
  }
  gp::Image decoded = ImageFromMemory(bytes, false, scaleQuarters);
  if (!decoded) return nullptr;
  auto shared = std::make_shared<const gp::Image>(std::move(decoded));
  table.push_back(SharedEntry{Bytes(bytes.begin(), bytes.end()), scaleQuarters, shared});
  return shared;
}

std::size_t LiveSharedImageCount() {
  std::vector<SharedEntry>& table = Table();
  DropExpired(table);
  return table.size();
}

}  // namespace ui
