#include "ui/element/button.h"

#include <algorithm>

#include "ui/core/image.h"
#include "ui/core/text.h"
#include "ui/element/contrast.h"
#include "ui/element/nine_grid_at_scale.h"
#include "ui/element/parent_host.h"
#include "ui/element/shared_images.h"
#include "ui/element/stretched_image.h"
#include "ui/element/text_drawing.h"
#include "ui/host/draw_image.h"
#include "ui/host/window.h"

namespace ui {

namespace {
// What a reference-returning accessor of a button deleted by its own
// repaint answers.
const Bytes& EmptyBytes() {
  static const Bytes* none = new Bytes();
  return *none;
}

std::wstring WideFromBytes(ByteView bytes) {
  std::wstring out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const wchar_t unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    out.push_back(unit);
  }
  return out;
}

Bytes BytesFromWide(const std::wstring& text) {
  Bytes out;
  for (wchar_t unit : text) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
  }
  return out;
}

bool SameBytes(const Bytes& a, ByteView b) { return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin()); }

// Size of the caption as GDI+ lays it out inside `layout`, including the
// padding it puts around a string: a rectangle of this size shows the whole
// caption (the bounds of the characters alone leave the last one cut off).
Gdiplus::SizeF MeasureCaption(Gdiplus::GpGraphics* g, std::wstring_view text, Gdiplus::GpFont* font,
                              Gdiplus::GpStringFormat* format, const Gdiplus::RectF& layout) {
  if (!g || !font || text.empty()) return {};
  Gdiplus::RectF bounds;
  if (!gp::Ok(gp::GdipMeasureString(g, text.data(), static_cast<INT>(text.size()), font, &layout, format,
                                    &bounds, nullptr, nullptr)))
    return {};
  return Gdiplus::SizeF(bounds.Width, bounds.Height);
}
}  // namespace

// ---- state images ------------------------------------------------------------------

void UiButton::StateImage::Set(ByteView image) {
  bytes.assign(image.begin(), image.end());
  decoded.reset();
  tried = false;
}

Gdiplus::GpImage* UiButton::StateImage::Get(int scaleQuarters) {
  if (!tried || decodedFor != scaleQuarters) {
    // Another button (or another state) with the same image has it decoded already.
    decoded = SharedDecodedImage(bytes, scaleQuarters);
    tried = true;
    decodedFor = scaleQuarters;
  }
  return decoded ? decoded->get() : nullptr;
}

void UiButton::StateImage::Forget() {
  decoded.reset();
  tried = false;
}

// ---- creation and events ------------------------------------------------------------

ElementHandle UiButton::Create(UiParent parent, int x, int y, int width, int height, std::string_view caption,
                               const ButtonOptions& o) {
  if (IsCreated()) return GetHandle();
  textColor_ = o.textColor.value_or(kDefaultTextColor);
  font_.Make(o.fontName, o.fontSize, o.fontStyle);
  format_.Create(Gdiplus::StringFormatFlagsNoWrap, LANG_NEUTRAL);
  format_.Align(Gdiplus::StringAlignmentNear);
  format_.Trimming(Gdiplus::StringTrimmingNone);
  format_.HotkeyPrefix(Gdiplus::HotkeyPrefixShow);
  textEffect_ = o.textEffect;
  effectColor_ = o.effectColor;
  text_ = ToWide(caption);
  if (o.cornerSetting) {
    cornerSetting_ = *o.cornerSetting;
  } else {
    const UiWindow* host = HostOfParent(parent);
    cornerSetting_ = host ? host->FrameMode() : 0;
  }
  state_ = button_state::kNormal;
  const RectF bounds{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kButton, o.visible, /*focusable=*/true, std::nullopt,
                           kFadeInterval, /*transitionSteps=*/0, /*transitionEffect=*/0);
}

namespace {
// The keyboard focus mark: a dotted rectangle 3 logical pixels inside the
// button, in the caption's colour (the graphics scales it with the display).
void DrawFocusMark(Gdiplus::GpGraphics* g, const RectF& area, Argb textColour) {
  const Argb colour = (textColour & 0x00FFFFFF) | 0xDC000000;
  gp::Pen pen;
  if (!gp::Ok(gp::GdipCreatePen1(colour, 1.0f, Gdiplus::UnitWorld, pen.put()))) return;
  gp::GdipSetPenDashStyle(pen.get(), Gdiplus::DashStyleDot);
  gp::GdipDrawRectangle(g, pen.get(), area.x + 3, area.y + 3, area.width - 7, area.height - 7);
}
}  // namespace

int UiButton::ImageEvent(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case ev::kDestroyed:
      for (StateImage& image : images_) image.Set({});
      return -1;
    case ev::kDisabledLook:
      // Without a disabled image the host dims the button; with one it is shown as it is.
      if (images_[kDisabledSlot].bytes.empty()) return -1;
      UserEvent(ev::kPaint, 0, 0);
      return 0;
    case ev::kFocusGained:
    case ev::kFocusLost:
      // Focus changes the look only through the focus mark, which shows
      // once the keyboard has been used to move around.
      if (UiWindow* host = Host(); host && host->FocusCuesShown()) DrawState();
      return 0;
    case ev::kScaleChanged:
      // Drawings picked for the old scale: decoded again when next drawn.
      for (StateImage& image : images_) image.Forget();
      iconImage_.Forget();
      return -1;
    default:
      return -1;
  }
}

int UiButton::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  int answer = UserEvent(message, wParam, lParam);
  if (answer != -1) return answer;
  answer = ImageEvent(message, wParam, lParam);
  if (answer != -1) return answer;
  switch (message) {
    case ev::kCreated:
      RegisterAccessKey();
      break;
    case ev::kDestroyed:
      format_.Delete();
      ReleaseFont();
      iconImage_.Set({});
      break;
    case ev::kPaint:
      DrawState();
      break;
    case WM_LBUTTONDOWN:
      if (Focusable()) DrawState(button_state::kPressed);
      break;
    case WM_LBUTTONUP:
      if (Focusable()) DrawState(button_state::kHover);
      break;
    case ev::kMouseEnter:
    case ev::kMouseLeave:
      Transition(kFadeSteps);
      DrawState(message == ev::kMouseEnter ? button_state::kHover : button_state::kNormal);
      // A fade that could not start (hidden button) must not linger for later presses.
      if (!TransitionRunning()) Transition(0);
      break;
    case ev::kTransitionFinished:
      Transition(0);
      break;
    default:
      break;
  }
  return -1;
}

// ---- caption ---------------------------------------------------------------------------

int UiButton::AccessKeyOf(std::wstring_view caption) {
  const std::size_t amp = caption.find(L'&');
  if (amp == std::wstring_view::npos || amp + 1 >= caption.size()) return 0;
  return static_cast<int>(caption[amp + 1]);
}

void UiButton::RegisterAccessKey() {
  if (GetWindow() && GetHandle())
    SendMessageW(GetWindow(), hostmsg::kAccelerator, static_cast<WPARAM>(GetHandle()),
                 static_cast<LPARAM>(AccessKeyOf(text_)));
}

void UiButton::SetCaption(std::wstring caption) {
  if (caption == text_) return;
  text_ = std::move(caption);
  NotifyAccessibility(EVENT_OBJECT_NAMECHANGE);
  RegisterAccessKey();
  Repaint();
}

std::string UiButton::Text() const { return FromWide(text_); }
std::string UiButton::Text(std::string_view caption) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  SetCaption(ToWide(caption));
  if (!self) return {};
  return Text();
}
Bytes UiButton::TextBytes() const { return BytesFromWide(text_); }
Bytes UiButton::TextBytes(ByteView utf16) {
  const WeakRef<UiElement> self(this);
  SetCaption(WideFromBytes(utf16));
  if (!self) return {};
  return TextBytes();
}

// ---- properties ------------------------------------------------------------------------

Argb UiButton::TextColor(Argb value) { return SetAndRepaint(textColor_, value); }
int UiButton::TextEffect(int value) { return SetAndRepaint(textEffect_, value); }
Argb UiButton::EffectColor(Argb value) { return SetAndRepaint(effectColor_, value); }
int UiButton::CornerSetting(int value) { return cornerSetting_ = value; }
bool UiButton::AutoContrast(bool value) { return SetAndRepaint(autoContrast_, value); }
int UiButton::IconLayout(int value) { return SetAndRepaint(iconLayout_, value); }
int UiButton::IconOffsetX(int value) { return SetAndRepaint(iconOffsetX_, value); }
int UiButton::IconOffsetY(int value) { return SetAndRepaint(iconOffsetY_, value); }
int UiButton::IconGap(int value) { return SetAndRepaint(iconGap_, value); }
int UiButton::ImageLayout(int value) { return SetAndRepaint(imageLayout_, value); }

std::string UiButton::FontName(std::string_view family) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  font_.Remake(family, std::nullopt, std::nullopt);
  Repaint();
  if (!self) return {};
  return FontName();
}

int UiButton::FontStyle(int style) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  font_.Remake(std::nullopt, std::nullopt, style);
  Repaint();
  if (!self) return {};
  return FontStyle();
}

int UiButton::FontSize(float size) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  font_.Remake(std::nullopt, size, std::nullopt);
  Repaint();
  if (!self) return {};
  return FontSize();
}

Gdiplus::GpFont* UiButton::Font(Gdiplus::GpFont* font) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (font != font_.get()) {
    font_.Take(font);
    Repaint();
  }
  if (!self) return {};
  return font_.get();
}

Gdiplus::GpStringFormat* UiButton::StringFormat(Gdiplus::GpStringFormat* format) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (format != format_.Handle()) {
    format_.Attach(format, /*owns=*/true);
    Repaint();
  }
  if (!self) return {};
  return format_.Handle();
}

const Bytes& UiButton::Icon(ByteView image) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (!SameBytes(iconImage_.bytes, image)) {
    iconImage_.Set(image);
    Repaint();
  }
  if (!self) return EmptyBytes();
  return iconImage_.bytes;
}

const Bytes& UiButton::SetStateImage(Slot slot, ByteView image) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (!SameBytes(images_[slot].bytes, image)) {
    images_[slot].Set(image);
    Repaint();
  }
  if (!self) return EmptyBytes();
  return images_[slot].bytes;
}

const Bytes& UiButton::NormalImage(ByteView image) { return SetStateImage(kNormalSlot, image); }
const Bytes& UiButton::HoverImage(ByteView image) { return SetStateImage(kHoverSlot, image); }
const Bytes& UiButton::PressedImage(ByteView image) { return SetStateImage(kPressedSlot, image); }
const Bytes& UiButton::DisabledImage(ByteView image) { return SetStateImage(kDisabledSlot, image); }

RECT UiButton::ImageMargins(const RECT& margins) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (!EqualRect(&margins, &imageMargins_)) {
    imageMargins_ = margins;
    if (imageLayout_ == 3) Repaint();
  }
  if (!self) return {};
  return imageMargins_;
}

void UiButton::SetImages(const ButtonImages& images) {
  if (images.normal) images_[kNormalSlot].Set(*images.normal);
  if (images.hover) images_[kHoverSlot].Set(*images.hover);
  if (images.pressed) images_[kPressedSlot].Set(*images.pressed);
  if (images.disabled) images_[kDisabledSlot].Set(*images.disabled);
  if (images.layout) imageLayout_ = *images.layout;
  if (images.margins) imageMargins_ = *images.margins;
  Repaint();
}

// ---- painting ----------------------------------------------------------------------------

int UiButton::DrawImage(const PaintContext& pc, int state) {
  if (Disabled())
    state = images_[kDisabledSlot].bytes.empty() ? button_state::kNormal : button_state::kDisabled;
  Slot slot;
  switch (state) {
    case button_state::kNormal: slot = kNormalSlot; break;
    case button_state::kHover:
    case button_state::kFocused: slot = kHoverSlot; break;
    case button_state::kPressed: slot = kPressedSlot; break;
    case button_state::kDisabled: slot = kDisabledSlot; break;
    default: return 1;
  }
  Gdiplus::GpImage* image = images_[slot].Get(Scale().Quarters());
  if (!image || !pc.graphics) return 1;
  // Laid out at its logical size; a larger drawing is drawn down smoothly.
  const float iw = static_cast<float>(ImageLogicalWidth(image)), ih = static_cast<float>(ImageLogicalHeight(image));
  const RectF& a = pc.area;
  const LargerDrawingInterpolation interpolation(pc.graphics, image);
  switch (imageLayout_) {
    case 0:
      gp::GdipDrawImageRect(pc.graphics, image, 0, 0, iw, ih);
      break;
    case 1:
      DrawImageStretched(pc, images_[slot].Shared(), a);
      break;
    case 3:
      // Without a centre rectangle there is nothing to stretch: own size at the corner.
      if (IsRectEmpty(&imageMargins_))
        gp::GdipDrawImageRect(pc.graphics, image, 0, 0, iw, ih);
      else
        DrawNineGridAtScale(pc.graphics, image, a, imageMargins_);
      break;
    default:
      break;
  }
  return 1;
}

void UiButton::DrawState(std::optional<int> state, bool fresh) {
  if (state) state_ = *state;
  const int s = state_;
  Paint(
      [&](const PaintContext& pc) {
        Gdiplus::GpGraphics* g = pc.graphics;
        if (!g) return;
        DrawImage(pc, s);
        const RectF& a = pc.area;
        const Gdiplus::RectF inside(a.x + 1, a.y + 1, a.width - 2, a.height - 2);
        gp::GdipSetClipRect(g, inside.X, inside.Y, inside.Width, inside.Height, Gdiplus::CombineModeReplace);

        Gdiplus::GpImage* icon = iconImage_.Get(Scale().Quarters());
        const float iw = icon ? static_cast<float>(ImageLogicalWidth(icon)) : 0.0f;
        const float ih = icon ? static_cast<float>(ImageLogicalHeight(icon)) : 0.0f;
        const Gdiplus::SizeF t = MeasureCaption(g, text_, font_.get(), format_.Handle(), inside);
        const float gap = static_cast<float>(iconGap_);
        const float ox = static_cast<float>(iconOffsetX_), oy = static_cast<float>(iconOffsetY_);
        const float aw = a.width, ah = a.height;
        Gdiplus::RectF iconRect(0, 0, iw, ih);
        Gdiplus::RectF caption(0, 0, t.Width + 2, t.Height + 2);
        switch (iconLayout_) {
          case 1:  // caption, then icon on its right
            caption.X = ox + (aw - (iw + gap + t.Width)) / 2;
            caption.Y = oy + (ah - t.Height) / 2;
            iconRect.X = caption.X + t.Width + gap;
            iconRect.Y = oy + (ah - ih) / 2;
            break;
          case 2:  // icon above the caption
            iconRect.X = ox + (aw - iw) / 2;
            iconRect.Y = oy + (ah - ih - gap - t.Height) / 2;
            caption.X = ox + (aw - t.Width) / 2;
            caption.Y = iconRect.Y + ih + gap;
            break;
          case 3:  // both centred
            iconRect.X = ox + (aw - iw) / 2;
            iconRect.Y = oy + (ah - ih) / 2;
            caption.X = ox + (aw - t.Width) / 2;
            caption.Y = oy + (ah - t.Height) / 2;
            break;
          case 4:  // icon at the left edge, caption fills the rest
            iconRect.X = ox;
            iconRect.Y = oy + (ah - ih) / 2;
            caption.X = iconRect.X + iw + gap;
            caption.Y = oy + (ah - t.Height) / 2;
            caption.Width = aw - iw - gap - ox;
            break;
          case 5:  // caption from the left edge, icon after it
            caption.X = ox;
            caption.Y = oy + (ah - t.Height) / 2;
            caption.Width = aw - iw - gap - ox;
            iconRect.X = caption.X + caption.Width + gap;
            iconRect.Y = oy + (ah - ih) / 2;
            break;
          case 6:  // icon at the top, caption below
            iconRect.X = ox + (aw - iw) / 2;
            iconRect.Y = oy;
            caption.X = ox + (aw - t.Width) / 2;
            caption.Y = iconRect.Y + ih + gap;
            caption.Width = t.Width + 5;
            break;
          default:  // 0: icon, then caption, centred together
            iconRect.X = ox + (aw - (iw + gap + t.Width)) / 2;
            iconRect.Y = oy + (ah - ih) / 2;
            caption.X = iconRect.X + iw + gap;
            caption.Y = oy + (ah - t.Height) / 2;
            break;
        }
        if (s == button_state::kPressed) {
          iconRect.Offset(1, 1);
          caption.Offset(1, 1);
        }
        AfterLayout(pc, s, caption, iconRect);
        if (icon) {
          const LargerDrawingInterpolation interpolation(g, icon);
          gp::GdipDrawImageRect(g, icon, iconRect.X, iconRect.Y, iw, ih);
        }
        if (!text_.empty()) {
          const Argb colour = autoContrast_ ? ContrastTextColor(*this, textColor_) : textColor_;
          DrawTextWithEffect(g, caption, text_, font_.get(), colour, format_.Handle(), textEffect_, effectColor_);
        }
        gp::GdipResetClip(g);
        if (pc.host && pc.host->ShowsFocusMark(this)) DrawFocusMark(g, a, textColor_);
      },
      fresh);
}

AccessibleInfo UiButton::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kPushButton;
  if (const std::string caption = WithoutAccessKey(Text()); !caption.empty()) info.name = caption;
  if (const UiWindow* host = Host(); host && host->PressedElement() == this)
    info.state |= accessible_state::kPressed;
  info.defaultAction = "按下";
  return info;
}

}  // namespace ui
