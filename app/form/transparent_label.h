#pragma once
// A transparent label of the start window's form: a child window that shows
// one line of text over whatever its parent draws behind it. The parent's
// content comes from a background painter (the UI host hands over its
// canvas); without one the label fills with the parent class's brush.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/platform/gdi_handles.h"

namespace app::form {

class TransparentLabel {
 public:
  enum class Align { Left, Center };
  struct Spec {
    int left = 0, top = 0, width = 0, height = 0;  // parent client pixels
    std::string caption;                            // code page 936
    COLORREF textColor = RGB(0, 0, 0);
    Align align = Align::Left;
    bool visible = true;
  };
  // Paints the parent's content of `parentRect` (parent client coordinates)
  // into `dc`, whose origin is the rectangle's top-left corner.
  using BackgroundPainter = std::function<void(HDC dc, const RECT& parentRect)>;

  TransparentLabel() = default;
  TransparentLabel(const TransparentLabel&) = delete;
  TransparentLabel& operator=(const TransparentLabel&) = delete;
  ~TransparentLabel();

  bool Create(HWND parent, const Spec& spec);
  HWND hwnd() const { return hwnd_; }

  const std::string& Caption() const { return spec_.caption; }
  void SetCaption(const std::string& caption);
  bool Visible() const { return spec_.visible; }
  void SetVisible(bool visible);
  int Top() const { return spec_.top; }
  void SetTop(int top);
  void SetBackgroundPainter(BackgroundPainter painter);

  // Draws background and text into `dc` at (0, 0), label-sized.
  void PaintTo(HDC dc) const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint();

  Spec spec_;
  BackgroundPainter background_;
  ui::gdi::FontHandle font_;  // owned: "宋体", 12 pixels
  HWND hwnd_ = nullptr;       // owned: destroyed with the object (or with its parent)
};

}  // namespace app::form
