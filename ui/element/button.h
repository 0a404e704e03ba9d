#pragma once
// UiButton: the push button. One image per state (normal, hover, pressed,
// disabled), an optional icon and a caption with an optional glow or
// outline. Entering and leaving fade over four 60 ms steps; presses show at
// once. "&" in the caption marks the access key registered with the host.
//
// Coordinates: the rectangles handed to AfterLayout are relative to the
// button's own bitmap ((0, 0) = its top-left corner).
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/core/bytes.h"
#include "ui/core/color.h"
#include "ui/core/string_format.h"
#include "ui/element/control_font.h"
#include "ui/element/element.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

// Looks a button shows; kFocused is drawn like kHover.
namespace button_state {
inline constexpr int kDisabled = -1;
inline constexpr int kNormal = 0;
inline constexpr int kHover = 1;
inline constexpr int kPressed = 2;
inline constexpr int kFocused = 3;
}  // namespace button_state

// The optional creation arguments that follow the caption, in their order.
struct ButtonOptions {
  std::optional<Argb> textColor;        // default: black at alpha 210
  std::optional<std::string> fontName;  // code page 936; all three absent: the library font
  std::optional<float> fontSize;        // pixels, default 12
  std::optional<int> fontStyle;         // GDI+ style bits
  int textEffect = 0;                   // 3 soft glow, 4 sharp outline
  Argb effectColor = 0;                 // 0 = chosen from the text colour
  std::optional<int> cornerSetting;     // default: the host window's frame mode
  bool visible = true;
};

// Images for SetImages; absent members stay as they are, an empty view
// removes that image.
struct ButtonImages {
  std::optional<ByteView> normal;
  std::optional<ByteView> hover;
  std::optional<ByteView> pressed;
  std::optional<ByteView> disabled;
  std::optional<int> layout;            // 0 own size at (0, 0), 1 stretched, 3 nine-grid
  std::optional<RECT> margins;          // nine-grid centre rectangle, image pixels
};

class UiButton : public UiElement {
 public:
  static constexpr Argb kDefaultTextColor = 0xD2000000;  // black at alpha 210
  static constexpr int kFadeSteps = 4;
  static constexpr int kFadeInterval = 60;

  UiButton() = default;

  // `caption` is code page 936. Returns the element handle, or 0.
  ElementHandle Create(UiParent parent, int x, int y, int width, int height, std::string_view caption,
                       const ButtonOptions& options = {});

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

  // ---- caption (a change also re-registers the access key) ----------------------
  std::string Text() const;
  std::string Text(std::string_view caption);
  Bytes TextBytes() const;          // UTF-16 little-endian
  Bytes TextBytes(ByteView utf16);  // an odd last byte is ignored
  const std::wstring& WideText() const { return text_; }
  // The character after the first "&" of the caption; 0 when there is none.
  static int AccessKeyOf(std::wstring_view caption);

  // ---- look (setters repaint on a change and return the stored value) ---------
  Argb TextColor() const { return textColor_; }
  Argb TextColor(Argb value);
  int TextEffect() const { return textEffect_; }
  int TextEffect(int value);
  Argb EffectColor() const { return effectColor_; }
  Argb EffectColor(Argb value);
  int CornerSetting() const { return cornerSetting_; }
  int CornerSetting(int value);  // stored only
  bool AutoContrast() const { return autoContrast_; }
  bool AutoContrast(bool value);

  // ---- font and format ------------------------------------------------------------
  std::string FontName() const { return font_.Family(); }
  std::string FontName(std::string_view family);
  int FontStyle() const { return font_.Style(); }
  int FontStyle(int style);
  int FontSize() const { return static_cast<int>(font_.Size()); }
  int FontSize(float size);  // returns the size truncated
  Gdiplus::GpFont* Font() const { return font_.get(); }
  // Takes `font` (deleted by the button unless it is the library's default font).
  Gdiplus::GpFont* Font(Gdiplus::GpFont* font);
  void ReleaseFont() { font_.Release(); }
  Gdiplus::GpStringFormat* StringFormat() const { return format_.Handle(); }
  // Takes `format` (deleted by the button) in place of the current one.
  Gdiplus::GpStringFormat* StringFormat(Gdiplus::GpStringFormat* format);

  // ---- icon -------------------------------------------------------------------------
  const Bytes& Icon() const { return iconImage_.bytes; }
  const Bytes& Icon(ByteView image);  // any format GDI+ decodes; a copy is kept
  int IconLayout() const { return iconLayout_; }
  int IconLayout(int value);  // 0..6, see DrawState
  int IconOffsetX() const { return iconOffsetX_; }
  int IconOffsetX(int value);
  int IconOffsetY() const { return iconOffsetY_; }
  int IconOffsetY(int value);
  int IconGap() const { return iconGap_; }
  int IconGap(int value);

  // ---- state images -----------------------------------------------------------------
  // Stores what is present, then repaints once.
  void SetImages(const ButtonImages& images);
  const Bytes& NormalImage() const { return images_[kNormalSlot].bytes; }
  const Bytes& NormalImage(ByteView image);
  const Bytes& HoverImage() const { return images_[kHoverSlot].bytes; }
  const Bytes& HoverImage(ByteView image);
  const Bytes& PressedImage() const { return images_[kPressedSlot].bytes; }
  const Bytes& PressedImage(ByteView image);
  const Bytes& DisabledImage() const { return images_[kDisabledSlot].bytes; }
  const Bytes& DisabledImage(ByteView image);
  int ImageLayout() const { return imageLayout_; }
  int ImageLayout(int value);
  RECT ImageMargins() const { return imageMargins_; }
  RECT ImageMargins(const RECT& margins);  // repaints only in layout 3

  // ---- painting -----------------------------------------------------------------------
  int State() const { return state_; }
  // Paints the button in `state` (default: the stored one) and stores it.
  void DrawState(std::optional<int> state = std::nullopt, bool fresh = true);

 protected:
  // Draws the state image; the disabled look is chosen here. Answers 1.
  virtual int DrawImage(const PaintContext& pc, int state);
  // Called with the placed caption and icon rectangles before they are drawn.
  virtual int AfterLayout(const PaintContext& pc, int state, const Gdiplus::RectF& captionRect,
                          const Gdiplus::RectF& iconRect) {
    return 1;
  }
  // First stage of the event procedure: images, kind and the disabled look.
  virtual int ImageEvent(UINT message, WPARAM wParam, LPARAM lParam);
  // Application hook asked first with every event; an answer other than -1 is final.
  virtual int UserEvent(UINT message, WPARAM wParam, LPARAM lParam) { return -1; }

 private:
  enum Slot { kNormalSlot, kHoverSlot, kPressedSlot, kDisabledSlot, kSlotCount };
  // Encoded bytes and, decoded on first use, the image they give at the
  // display scale it was asked for (decoded again for another scale).
  struct StateImage {
    Bytes bytes;
    std::shared_ptr<const gp::Image> decoded;  // shared by equal bytes; empty until first drawn or when undecodable
    bool tried = false;    // decoding was attempted
    int decodedFor = 0;    // the scale (quarters) of that attempt
    void Set(ByteView image);
    Gdiplus::GpImage* Get(int scaleQuarters);
    // The image Get last gave, with its owner (null when none).
    const std::shared_ptr<const gp::Image>& Shared() const { return decoded; }
    void Forget();         // decode again on next use
  };

  void RegisterAccessKey();
  void SetCaption(std::wstring caption);
  const Bytes& SetStateImage(Slot slot, ByteView image);

  int state_ = button_state::kNormal;
  std::wstring text_;
  ControlFont font_;             // owned unless the library's default font
  int textEffect_ = 0;
  Argb textColor_ = kDefaultTextColor;
  int cornerSetting_ = 0;
  UiStringFormat format_;        // owned
  Argb effectColor_ = 0;
  bool autoContrast_ = false;
  StateImage iconImage_;        // the icon, decoded like the state images
  int iconLayout_ = 0;
  int iconOffsetX_ = 0;
  int iconOffsetY_ = 0;
  int iconGap_ = 0;
  std::array<StateImage, kSlotCount> images_;
  int imageLayout_ = 0;
  RECT imageMargins_{0, 0, 0, 0};
};

}  // namespace ui
