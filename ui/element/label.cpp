#include "ui/element/label.h"

#include <cmath>

#include "ui/core/bitmap_pixels.h"
#include "ui/core/text.h"
#include "ui/element/contrast.h"
#include "ui/element/text_drawing.h"
#include "ui/host/window.h"
#include "ui/platform/gdiplus_handles.h"

namespace ui {

namespace {
constexpr int kSingleLineFlags = Gdiplus::StringFormatFlagsNoWrap;  // 0x1000
// No font fallback, trailing spaces measured, no clipping, whole lines only.
constexpr int kWrapFlags = Gdiplus::StringFormatFlagsNoFontFallback |
                           Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                           Gdiplus::StringFormatFlagsNoClip | Gdiplus::StringFormatFlagsLineLimit;  // 0x6C00
constexpr int kFocusBorder = 4;

int RoundHalfUp(float v) { return static_cast<int>(std::floor(v + 0.5f)); }

std::wstring WideFromBytes(ByteView bytes) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const wchar_t unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    out.push_back(unit);
  }
  return out;
}

Bytes BytesFromWide(const std::wstring& text) {
  Bytes out;
  out.reserve(text.size() * 2);
  for (wchar_t unit : text) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
  }
  return out;
}
}  // namespace

ElementHandle UiLabel::Create(UiParent parent, int x, int y, int width, int height, std::string_view text,
                              const LabelOptions& o) {
  if (IsCreated()) return GetHandle();
  textColor_ = o.textColor.value_or(kDefaultTextColor);
  font_.Make(o.fontName, o.fontSize, o.fontStyle);
  format_.Create(o.wordWrap ? kWrapFlags : kSingleLineFlags, LANG_NEUTRAL);
  format_.Align(o.alignment);
  format_.Trimming(o.trimming);
  format_.HotkeyPrefix(Gdiplus::HotkeyPrefixNone);
  verticalAlign_ = 1;
  text_ = ToWide(text);
  gradientMode_ = o.gradientMode;
  backColor1_ = o.backColor1;
  backColor2_ = o.backColor2;
  wordWrap_ = o.wordWrap;
  autoContrast_ = o.autoContrast;
  textEffect_ = o.textEffect;
  effectColor_ = o.effectColor;
  borderStyle_ = o.borderStyle;
  animateText_ = false;
  textTransitionInterval_ = textTransitionSteps_ = 0;
  const RectF bounds{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kLabel, o.visible, /*focusable=*/false);
}

int UiLabel::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  const int answer = UserEvent(message, wParam, lParam);
  if (answer != -1) return answer;
  switch (message) {
    case ev::kCreated:
      MeasureText();
      AfterCreate();
      break;
    case ev::kDestroyed:
      text_.clear();
      ReleaseFont();
      format_.Delete();
      break;
    case ev::kPaint:
      Draw();
      break;
    case ev::kFocusGained:
    case ev::kFocusLost:
      if (Focusable()) Draw();
      break;
    case ev::kResized:
      MeasureText();
      break;
    case ev::kWindowShown:
      if (autoContrast_) Draw();  // the background behind the label may have changed
      break;
    case ev::kTransitionFinished:
      ResetTextTransition();
      break;
    default:
      break;
  }
  return -1;
}

void UiLabel::MeasureText() {
  Gdiplus::RectF layout(0, 0, 0, 0);  // wrapping: no width limit
  if (!wordWrap_) layout = Gdiplus::RectF(0, 0, Bounds().width, font_.HeightOn(Graphics()));
  Gdiplus::RectF measured(0, 0, 0, 0);
  const auto measure = [&] {
    if (Graphics() && font_.get())
      gp::GdipMeasureString(Graphics(), text_.c_str(), static_cast<INT>(text_.size()), font_.get(), &layout,
                            format_.Handle(), &measured, nullptr, nullptr);
  };
  measure();
  // A line box a little taller than the font's height fits nothing into a
  // layout of exactly that height on some GDI+ versions: measure it unbounded.
  if (measured.Height <= 0 && !text_.empty()) {
    layout.Height = 0;
    measure();
  }
  measuredWidth_ = RoundHalfUp(measured.Width);
  measuredHeight_ = RoundHalfUp(measured.Height);
}

// ---- text ----------------------------------------------------------------------

std::string UiLabel::Text() const { return FromWide(text_); }

std::string UiLabel::Text(std::string_view text, std::optional<int> effect, int steps, int interval) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  SetText(ToWide(text), effect, steps, interval);
  if (!self) return {};
  return Text();
}

Bytes UiLabel::TextBytes() const { return BytesFromWide(text_); }

Bytes UiLabel::TextBytes(ByteView utf16, std::optional<int> effect, int steps, int interval) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  SetText(WideFromBytes(utf16), effect, steps, interval);
  if (!self) return {};
  return TextBytes();
}

bool UiLabel::SetText(std::wstring text, std::optional<int> effect, int steps, int interval) {
  if (effect) {
    animateText_ = true;
    TransitionEffect(*effect);
    textTransitionSteps_ = steps;
    textTransitionInterval_ = interval;
  } else {
    animateText_ = false;
    if (text == text_) return false;
  }
  text_ = std::move(text);
  NotifyAccessibility(EVENT_OBJECT_NAMECHANGE);
  MeasureText();
  Repaint();
  return true;
}

void UiLabel::ResetTextTransition() {
  animateText_ = false;
  textTransitionInterval_ = textTransitionSteps_ = 0;
  Transition(0, 0);
}

// ---- look -----------------------------------------------------------------------

Argb UiLabel::TextColor(Argb value) { return SetAndRepaint(textColor_, value); }
Argb UiLabel::EffectColor(Argb value) { return SetAndRepaint(effectColor_, value); }
Argb UiLabel::BackColor1(Argb value) { return SetAndRepaint(backColor1_, value); }
Argb UiLabel::BackColor2(Argb value) { return SetAndRepaint(backColor2_, value); }
int UiLabel::GradientMode(int value) { return SetAndRepaint(gradientMode_, value); }
int UiLabel::VerticalAlign(int value) { return SetAndRepaint(verticalAlign_, value); }
int UiLabel::TextEffect(int value) { return SetAndRepaint(textEffect_, value); }
Argb UiLabel::BorderStyle(Argb value) { return SetAndRepaint(borderStyle_, value); }
bool UiLabel::AutoContrast(bool value) { return SetAndRepaint(autoContrast_, value); }

bool UiLabel::WordWrap(bool value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value == wordWrap_) return wordWrap_;
  wordWrap_ = value;
  format_.Flags(value ? kWrapFlags : kSingleLineFlags);
  MeasureText();
  Repaint();
  if (!self) return {};
  return wordWrap_;
}

// ---- font and format ------------------------------------------------------------

std::string UiLabel::FontName(std::string_view family) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  font_.Remake(family, std::nullopt, std::nullopt);
  MeasureText();
  Repaint();
  if (!self) return {};
  return FontName();
}

int UiLabel::FontStyle(int style) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  font_.Remake(std::nullopt, std::nullopt, style);
  MeasureText();
  Repaint();
  if (!self) return {};
  return FontStyle();
}

int UiLabel::FontSize(float size) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  font_.Remake(std::nullopt, size, std::nullopt);
  MeasureText();
  Repaint();
  if (!self) return {};
  return FontSize();
}

Gdiplus::GpFont* UiLabel::Font(Gdiplus::GpFont* font) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (font != font_.get()) {
    font_.Take(font);
    MeasureText();
    Repaint();
  }
  if (!self) return {};
  return font_.get();
}

int UiLabel::Trimming(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != format_.Trimming()) {
    format_.Trimming(value);
    MeasureText();
    Repaint();
  }
  if (!self) return {};
  return format_.Trimming();
}

int UiLabel::FormatFlags(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != format_.Flags()) {
    format_.Flags(value);
    MeasureText();
    Repaint();
  }
  if (!self) return {};
  return format_.Flags();
}

int UiLabel::Alignment(int value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value != format_.Align()) {
    format_.Align(value);
    MeasureText();
    Repaint();
  }
  if (!self) return {};
  return format_.Align();
}

Gdiplus::GpStringFormat* UiLabel::StringFormat(Gdiplus::GpStringFormat* format) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (format != format_.Handle()) {
    format_.Attach(format, /*owns=*/true);
    MeasureText();
    Repaint();
  }
  if (!self) return {};
  return format_.Handle();
}

// ---- drawing ----------------------------------------------------------------------

void UiLabel::Draw() {
  if (animateText_) Transition(textTransitionSteps_, textTransitionInterval_);
  const WeakRef<UiElement> self(this);  // painting may run handlers that delete the label
  Paint([&](const PaintContext& pc) {
    Gdiplus::GpGraphics* g = pc.graphics;
    if (!g) return;
    const Gdiplus::RectF area = pc.area.ToGdiplus();
    // The background goes first so that the border stays visible on it.
    if (gradientMode_ != -1 && backColor1_ == backColor2_) {
      // A gradient between equal colours is one colour: a solid fill gives
      // the same pixels without computing the gradient for each of them.
      FillSolidRect(g, pc.bitmap, area, backColor1_);
    } else if (gradientMode_ != -1) {
      gp::LineBrush brush;
      gp::GdipCreateLineBrushFromRect(&area, backColor1_, backColor2_,
                                      static_cast<Gdiplus::LinearGradientMode>(gradientMode_),
                                      Gdiplus::WrapModeTileFlipXY, brush.put());
      if (brush) gp::GdipFillRectangle(g, brush.get(), area.X, area.Y, area.Width, area.Height);
    }
    DrawBorderStyle(g, area, borderStyle_);
    if (text_.empty()) return;

    const Gdiplus::RectF box(area.X + 2, area.Y + 2, area.Width - 4, area.Height - 4);
    gp::GdipSetClipRect(g, box.X, box.Y, box.Width, box.Height, Gdiplus::CombineModeReplace);
    const Argb colour = autoContrast_ ? ContrastTextColor(*this, textColor_) : textColor_;
    Gdiplus::RectF textRect = box;
    if (wordWrap_) {
      textRect.Height = pc.area.height + font_.HeightOn(g) + 3;
    } else {
      const float h = static_cast<float>(measuredHeight_);
      switch (verticalAlign_) {
        case 0: textRect.Y = box.Y + 2; break;
        case 1: textRect.Y = box.Y + (box.Height - h) / 2; break;
        case 2: textRect.Y = box.Y + box.Height - h - 2; break;
        default: break;
      }
      textRect.Height = h;
    }
    BeforeText(pc, textRect);
    DrawTextWithEffect(g, textRect, text_, font_.get(), colour, format_.Handle(), textEffect_, effectColor_);
    gp::GdipResetClip(g);
    if (pc.host && pc.host->KeyboardFocus() == this) DrawBorderStyle(g, area, kFocusBorder);
  });
  // A paint that could not start the text transition (hidden label, no
  // refresh) drops it, so that later paints are not animated by surprise.
  if (self && animateText_ && !TransitionRunning()) ResetTextTransition();
}

AccessibleInfo UiLabel::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = AccessibleRole::kStaticText;
  info.name = WithoutAccessKey(Text());
  return info;
}

}  // namespace ui
