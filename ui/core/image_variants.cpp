#include "ui/core/image_variants.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ui {

namespace {

struct Registration {
  ByteView base;
  std::uint32_t sampleHash = 0;
  ImageVariant larger[2];  // 150 % and 200 %, in that order; empty bytes: missing
};

// The registry is read and written on the window's thread only.
std::vector<Registration>& Registry() {
  static std::vector<Registration>* registry = new std::vector<Registration>();
  return *registry;
}

// FNV-1a over at most 64 bytes at each end: images of equal size rarely
// share both ends (a PNG's header holds its dimensions, its end the last
// compressed rows and checksums), and the bytes are compared in full anyway.
std::uint32_t SampleHash(ByteView bytes) {
  constexpr std::size_t kSample = 64;
  std::uint32_t h = 2166136261u;
  auto mixIn = [&h](const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  };
  const std::size_t head = std::min(kSample, bytes.size());
  mixIn(bytes.data(), head);
  const std::size_t tail = std::min(kSample, bytes.size() - head);
  mixIn(bytes.data() + bytes.size() - tail, tail);
  return h;
}

bool SameBytes(ByteView a, ByteView b) {
  if (a.size() != b.size()) return false;
  return a.data() == b.data() || std::memcmp(a.data(), b.data(), a.size()) == 0;
}

Registration* Find(ByteView image, std::uint32_t hash) {
  for (Registration& r : Registry())
    if (r.base.size() == image.size() && r.sampleHash == hash && SameBytes(r.base, image)) return &r;
  return nullptr;
}

}  // namespace

void RegisterImageVariants(ByteView base, ByteView x150, ByteView x200) {
  if (base.empty()) return;
  const std::uint32_t hash = SampleHash(base);
  Registration* r = Find(base, hash);
  if (!r) {
    Registry().push_back(Registration{base, hash, {}});
    r = &Registry().back();
  }
  r->larger[0] = ImageVariant{x150, 6};
  r->larger[1] = ImageVariant{x200, 8};
}

ImageVariant PickImageVariant(ByteView image, int scaleQuarters) {
  const ImageVariant own{image, kUnitScaleQuarters};
  if (image.empty() || scaleQuarters <= kUnitScaleQuarters) return own;
  const Registration* r = Find(image, SampleHash(image));
  if (!r) return own;
  const ImageVariant* largest = nullptr;
  for (const ImageVariant& v : r->larger) {  // ascending scales
    if (v.bytes.empty()) continue;
    if (v.quarters >= scaleQuarters) return v;
    largest = &v;
  }
  return largest ? *largest : own;
}

void ClearImageVariants() { Registry().clear(); }

}  // namespace ui
