#pragma once
// UiLabel: static text in a rectangle, with an optional two-colour gradient
// background and border, and an optional glow or outline behind the text.
// The text may be drawn white or black by the darkness of the window
// background behind the label, and a text change may fade or slide in.
//
// Coordinates: the text rectangles handed to BeforeText are relative to the
// label's own bitmap ((0, 0) = its top-left corner).
#include <optional>
#include <string>
#include <string_view>

#include "ui/core/bytes.h"
#include "ui/core/color.h"
#include "ui/core/string_format.h"
#include "ui/element/control_font.h"
#include "ui/element/element.h"

namespace ui {

// The optional creation arguments that follow the text, in their order.
struct LabelOptions {
  std::optional<Argb> textColor;        // default: black at alpha 210
  int gradientMode = -1;                // -1 no background; else GDI+ linear gradient mode 0..3
  Argb backColor1 = 0;                  // 0 = fully transparent
  Argb backColor2 = 0;
  bool wordWrap = false;
  bool autoContrast = false;            // white text on a dark window background, else black
  std::optional<std::string> fontName;  // code page 936; all three absent: the library font
  std::optional<float> fontSize;        // pixels, default 12
  std::optional<int> fontStyle;         // GDI+ style bits
  int alignment = 0;                    // 0 near, 1 centre, 2 far
  int trimming = 0;                     // GDI+ string trimming
  int textEffect = 0;                   // 3 soft glow, 4 sharp outline
  Argb effectColor = 0;                 // 0 = chosen from the text colour
  Argb borderStyle = 0;                 // 0 none, 1 sunken, 2 raised, 3 flat, 4 dashed, else a colour
  bool visible = true;
};

class UiLabel : public UiElement {
 public:
  static constexpr Argb kDefaultTextColor = 0xD2000000;  // black at alpha 210

  UiLabel() = default;

  // `text` is code page 936. Returns the element handle, or 0.
  ElementHandle Create(UiParent parent, int x, int y, int width, int height, std::string_view text,
                       const LabelOptions& options = {});

  int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) override;
  AccessibleInfo Accessible() override;

  // Measures the text with the label's font and format (no width limit
  // when wrapping, else the label's width and one line's height).
  void MeasureText();
  int MeasuredWidth() const { return measuredWidth_; }
  int MeasuredHeight() const { return measuredHeight_; }

  // ---- text ------------------------------------------------------------------
  // With an effect (0 cross-fade, 1..4 slides) the next paint runs as a
  // transition of `steps` x `interval` ms and the text is stored even when
  // unchanged; without one an unchanged text changes nothing.
  std::string Text() const;
  std::string Text(std::string_view text, std::optional<int> effect = std::nullopt, int steps = 5,
                   int interval = 60);
  // The same with UTF-16 text (little-endian bytes; an odd last byte is ignored).
  Bytes TextBytes() const;
  Bytes TextBytes(ByteView utf16, std::optional<int> effect = std::nullopt, int steps = 5,
                  int interval = 60);
  const std::wstring& WideText() const { return text_; }

  // ---- look (setters repaint on a change and return the stored value) ---------
  Argb TextColor() const { return textColor_; }
  Argb TextColor(Argb value);
  Argb EffectColor() const { return effectColor_; }
  Argb EffectColor(Argb value);
  Argb BackColor1() const { return backColor1_; }
  Argb BackColor1(Argb value);
  Argb BackColor2() const { return backColor2_; }
  Argb BackColor2(Argb value);
  int GradientMode() const { return gradientMode_; }
  int GradientMode(int value);
  int VerticalAlign() const { return verticalAlign_; }
  int VerticalAlign(int value);  // single line: 0 top, 1 centre, 2 bottom
  int TextEffect() const { return textEffect_; }
  int TextEffect(int value);
  Argb BorderStyle() const { return borderStyle_; }
  Argb BorderStyle(Argb value);
  bool AutoContrast() const { return autoContrast_; }
  bool AutoContrast(bool value);
  bool WordWrap() const { return wordWrap_; }
  bool WordWrap(bool value);  // also switches the format's flags

  // ---- font and format ----------------------------------------------------------
  std::string FontName() const { return font_.Family(); }
  std::string FontName(std::string_view family);  // keeps size and style
  int FontStyle() const { return font_.Style(); }
  int FontStyle(int style);                        // keeps family and size
  int FontSize() const { return static_cast<int>(font_.Size()); }
  int FontSize(float size);                        // keeps family and style; returns it truncated
  Gdiplus::GpFont* Font() const { return font_.get(); }
  // Takes `font` (deleted by the label unless it is the library's default font).
  Gdiplus::GpFont* Font(Gdiplus::GpFont* font);
  // Deletes the font unless it is the library's default font.
  void ReleaseFont() { font_.Release(); }
  int Trimming() const { return format_.Trimming(); }
  int Trimming(int value);
  int FormatFlags() const { return format_.Flags(); }
  int FormatFlags(int value);
  int Alignment() const { return format_.Align(); }
  int Alignment(int value);
  Gdiplus::GpStringFormat* StringFormat() const { return format_.Handle(); }
  // Takes `format` (deleted by the label) in place of the current one.
  Gdiplus::GpStringFormat* StringFormat(Gdiplus::GpStringFormat* format);

  // Paints the label into its bitmap.
  void Draw();

 protected:
  // Called with the text rectangle (element coordinates) just before the
  // text is drawn.
  virtual void BeforeText(const PaintContext& pc, const Gdiplus::RectF& textRect) {}
  // Application hook asked first with every event; an answer other than -1 is final.
  virtual int UserEvent(UINT message, WPARAM wParam, LPARAM lParam) { return -1; }
  // Called once the label is created (after the first measurement).
  virtual void AfterCreate() {}

 private:
  // Stores the text; false when nothing changed and nothing is to be done.
  bool SetText(std::wstring text, std::optional<int> effect, int steps, int interval);
  void ResetTextTransition();

  ControlFont font_;                    // owned unless the library's default font
  std::wstring text_;
  Argb textColor_ = kDefaultTextColor;
  int gradientMode_ = -1;
  Argb backColor1_ = 0;
  Argb backColor2_ = 0;
  bool wordWrap_ = false;
  int verticalAlign_ = 1;
  int textEffect_ = 0;
  Argb borderStyle_ = 0;
  bool autoContrast_ = false;
  Argb effectColor_ = 0;
  UiStringFormat format_;               // owned
  int measuredWidth_ = 0;
  int measuredHeight_ = 0;
  bool animateText_ = false;            // the next paint runs as a transition
  int textTransitionInterval_ = 0;
  int textTransitionSteps_ = 0;
};

}  // namespace ui
