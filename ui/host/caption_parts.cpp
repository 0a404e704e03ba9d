// The caption parts' factory in use. The built-in parts are made by the
// control layer (ui/controls/default_caption_parts.cpp).
#include "ui/host/caption_parts.h"

namespace ui {

namespace {

CaptionPartFactory& Current() {
  static auto* factory = new CaptionPartFactory(DefaultCaptionParts());
  return *factory;
}

}  // namespace

const CaptionPartFactory& CaptionParts() { return Current(); }

void SetCaptionParts(CaptionPartFactory factory) { Current() = std::move(factory); }

}  // namespace ui
