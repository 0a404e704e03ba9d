#pragma once
// A transparent label of the start window's form: one line of text over
// whatever the window shows behind it.
//
// It has no window of its own. The start window's whole content is drawn
// by the UI host, which composes every frame off-screen and copies it to
// the window in one piece; a child window would be painted over by those
// copies (and a layered window shows no child windows at all). So the label
// is a layer of the form drawn into each composed frame, above the host's
// elements (Draw, called from the host's overlay hook), and when it changes
// it asks for its old and new area to be composed again (RepaintRequest).
//
// Coordinates: client pixels of the start window.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/form/accessible_label_proxy.h"

#include "ui/element/element_types.h"
#include "ui/platform/gdiplus_api.h"

namespace app::form {

class TransparentLabel {
 public:
  enum class Align { Left, Center };
  struct Spec {
    int left = 0, top = 0, width = 0, height = 0;
    std::string caption;  // code page 936
    COLORREF textColor = RGB(0, 0, 0);
    Align align = Align::Left;
    bool visible = true;
  };
  // Asks for `area` of the window to be composed again (and the label drawn
  // over it).
  using RepaintRequest = std::function<void(const RECT& area)>;

  TransparentLabel() = default;
  TransparentLabel(const TransparentLabel&) = delete;
  TransparentLabel& operator=(const TransparentLabel&) = delete;

  // Takes the form data. False when `parent`
  // is not a window or the label was created already.
  bool Create(HWND parent, const Spec& spec);
  bool IsCreated() const { return created_; }
  HWND Parent() const { return parent_; }

  const std::string& Caption() const { return spec_.caption; }
  void SetCaption(const std::string& caption);
  bool Visible() const { return spec_.visible; }
  void SetVisible(bool visible);
  int Top() const { return spec_.top; }
  void SetTop(int top);
  COLORREF TextColor() const { return spec_.textColor; }
  // The label's rectangle.
  RECT Box() const;

  // Who composes the window again when the label changes; empty: nobody
  // (the label is drawn with the next composition). A visible label asks
  // the new one at once, so it shows without waiting for a change.
  void SetRepaintRequest(RepaintRequest request);

  // Once the UI host has taken the window over: an element of the host
  // tells screen readers the label's text from now on (the drawn text is
  // only pixels of the frames), following its caption, place and
  // visibility. False when the window has no host.
  bool Expose();
  // The element that reads the label to assistive technology (null before Expose).
  ui::UiElement* AccessibleElement() const { return proxy_.get(); }

  // Draws the text ("宋体", 12 pixels, one line, vertically centred) into
  // `g` (window coordinates) when the label is visible and meets `area`.
  // The background is the caller's: the label itself is clear.
  void Draw(Gdiplus::GpGraphics* g, const ui::RectF& area) const;

 private:
  void Repaint(const RECT& area) const;

  Spec spec_;
  HWND parent_ = nullptr;  // not owned: the form window
  bool created_ = false;
  RepaintRequest repaint_;
  std::unique_ptr<AccessibleLabelProxy> proxy_;  // owned; set by Expose
};

}  // namespace app::form
