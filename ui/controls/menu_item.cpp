#include "ui/controls/menu_item.h"

#include "ui/controls/menu_show.h"
#include "ui/controls/menu_tick_png.h"
#include "ui/controls/menu_window.h"
#include "ui/core/image.h"
#include "ui/core/library.h"
#include "ui/core/text.h"
#include "ui/element/text_drawing.h"
#include "ui/host/window.h"

namespace ui {

namespace {

constexpr Argb kSeparatorColour = 0xFEB7C4CC;  // ARGB(254, 183, 196, 204)
constexpr Argb kHotTextColour = 0xF0FFFFFF;    // near-white text on the hot bar
constexpr Argb kArrowColour = 0x78000000;
constexpr Argb kHotArrowColour = 0xE6FFFFFF;

Argb ScaledAlpha(Argb colour, float factor) {
  const int alpha = static_cast<int>(AlphaOf(colour) * factor);
  return (colour & 0x00FFFFFF) | (static_cast<Argb>(alpha & 0xFF) << 24);
}

HWND PropWindow(HWND hwnd, const wchar_t* name) {
  return static_cast<HWND>(GetPropW(hwnd, name));
}

void FillAndOutlineRect(Gdiplus::GpGraphics* g, float w, float h, Argb colour) {
  gp::SolidBrush brush;
  if (gp::Ok(gp::GdipCreateSolidFill(colour, brush.put())))
    gp::GdipFillRectangle(g, brush.get(), 0, 0, w, h);
  gp::Pen pen;
  if (gp::Ok(gp::GdipCreatePen1(ScaledAlpha(colour, 0.82f), 1.0f, Gdiplus::UnitWorld, pen.put())))
    gp::GdipDrawRectangle(g, pen.get(), 0, 0, w - 1, h - 1);
}

void DrawArrow(Gdiplus::GpGraphics* g, float w, float h, Argb colour) {
  const Gdiplus::PointF points[3] = {{w - 5, h / 2 - 1}, {w - 8, h / 2 - 4.5f}, {w - 8, h / 2 + 2.5f}};
  gp::SolidBrush brush;
  if (gp::Ok(gp::GdipCreateSolidFill(colour, brush.put())))
    gp::GdipFillPolygon(g, brush.get(), points, 3, Gdiplus::FillModeAlternate);
  gp::Pen pen;
  if (gp::Ok(gp::GdipCreatePen1(ScaledAlpha(colour, 0.8f), 1.0f, Gdiplus::UnitWorld, pen.put())))
    gp::GdipDrawPolygon(g, pen.get(), points, 3);
}

// The built-in check mark, with its larger drawings registered on first use.
ByteView MenuTick() {
  static const bool registered = (RegisterImageVariants(MenuTickPng(), MenuTickPng150(), MenuTickPng200()), true);
  (void)registered;
  return MenuTickPng();
}

// The item's icon (or check mark) in the 20 x 20 box at (2, 1), decoded for
// the display scale: a larger drawing is drawn down with high quality.
void DrawIcon(Gdiplus::GpGraphics* g, ByteView bytes, int scaleQuarters) {
  if (bytes.empty()) return;
  gp::Image image = ImageFromMemory(bytes, false, scaleQuarters);
  if (!image) return;
  gp::GdipSetClipRect(g, 2, 1, 20, 20, Gdiplus::CombineModeReplace);
  {
    const LargerDrawingInterpolation interpolation(g, image.get());
    gp::GdipDrawImageRect(g, image.get(), 2, 1, 20, 20);
  }
  gp::GdipResetClip(g);
}

}  // namespace

ElementHandle UiMenuItem::Create(UiParent parent, int x, int y, int width, int height,
                                 const UiMenuItemRecord& item, bool visible) {
  if (IsCreated()) return GetHandle();
  // Stored first: creation registers the mnemonic and paints the row.
  item_ = item;
  lastHot_ = false;
  textFormat_.Create(0x1000 /* no wrap */, 0);
  textFormat_.Align(0);
  textFormat_.Trimming(3 /* ellipsis character */);
  textFormat_.HotkeyPrefix(1 /* show */);
  const RectF bounds{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
  return UiElement::Create(parent, bounds, kind::kMenuItem, visible, /*focusable=*/true,
                           /*cursorId=*/std::nullopt, /*transitionInterval=*/0);
}

void UiMenuItem::SetItem(const UiMenuItemRecord& item) {
  item_ = item;
  Draw(lastHot_);
}

int UiMenuItem::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case ev::kCreated:
      RegisterMnemonic();
      Draw(false);
      break;
    case ev::kPaint:
      Draw(lastHot_);
      break;
    case ev::kDestroyed:
      if (GetWindow()) KillTimer(GetWindow(), GetHandle());
      item_ = UiMenuItemRecord{};
      textFormat_.Delete();
      break;
    case WM_TIMER:
      KillTimer(GetWindow(), GetHandle());
      UpdateSubmenu(false);
      break;
    case ev::kMouseEnter: {
      if (UiWindow* host = Host(); host && host->FocusedElement()) {
        UiElement* focused = host->FocusedElement();
        host->SetFocusedElementDirect(nullptr);
        if (focused != this) focused->SendEvent(ev::kMouseLeave);
      }
      Draw(true);
      SetTimer(GetWindow(), GetHandle(), kSubmenuDelayMs, nullptr);
      break;
    }
    case ev::kMouseLeave:
      Draw(false);
      break;
    case ev::kClick:
      if (item_.kind == UiMenu::kSubmenu) {
        if (UiWindow* host = Host()) host->SetHoverElement(this);
        UpdateSubmenu(true);
      } else if (item_.kind == UiMenu::kCommand) {
        Activate();
      }
      break;
    default:
      break;
  }
  return -1;
}

void UiMenuItem::RegisterMnemonic() {
  // The character after "&"; a doubled "&&" is a literal ampersand.
  const std::wstring& text = item_.text;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] == L'&') {
      ++i;
      continue;
    }
    SendMessageW(GetWindow(), hostmsg::kAccelerator, GetHandle(), static_cast<LPARAM>(text[i + 1]));
    return;
  }
}

void UiMenuItem::Activate() {
  const HWND menuWindow = GetWindow();
  if (!menuWindow || !IsWindow(menuWindow)) return;
  // Everything needed is read first: closing the family may tear this row down.
  const UiMenuItemRecord item = item_;
  AnnouncePopupEnd(menuWindow);
  ShowWindow(menuWindow, SW_HIDE);
  HWND root = PropWindow(menuWindow, kMenuRootProperty);
  if (!root || !IsWindow(root)) root = menuWindow;
  const HWND owner = ::GetParent(root);
  const LPARAM event = reinterpret_cast<LPARAM>(GetPropW(root, kMenuEventProperty));
  if (owner) SetForegroundWindow(owner);
  PostMessageW(root, WM_CLOSE, 0, 0);
  if (item.notify == 1) {
    if (owner) SendMessageW(owner, WM_COMMAND, static_cast<WPARAM>(item.identifier), event);
  } else if (item.routine) {
    item.routine();
  }
}

void UiMenuItem::UpdateSubmenu(bool immediate) {
  const HWND window = GetWindow();
  UiWindow* host = Host();
  if (!window || !host) return;
  const ElementHandle self = GetHandle();
  const WeakRef<UiElement> alive(this);
  const HWND sub = PropWindow(window, kMenuSubProperty);
  if (sub && IsWindow(sub)) {
    POINT cursor{};
    GetCursorPos(&cursor);
    UiElement* act = FromHandle(reinterpret_cast<ElementHandle>(GetPropW(window, kMenuActProperty)));
    if (WindowFromPoint(cursor) == sub) {
      // The submenu is in use: its row shows normal again.
      if (act && act->Host() == host) {
        host->SetFocusedElementDirect(act);
        act->SendEvent(ev::kMouseLeave);
      }
      return;
    }
    POINT client = cursor;
    ScreenToClient(window, &client);
    UiElement* under = host->HitTest(host->Scale().ToLogical(static_cast<int>(client.x)),
                                     host->Scale().ToLogical(static_cast<int>(client.y)));
    if (under == act && act) return;
    SetForegroundWindow(::GetParent(sub));
    SetPropW(window, kMenuSubProperty, nullptr);
    PostMessageW(sub, WM_CLOSE, 0, 0);
    if (!alive) return;
    if (immediate)
      UpdateSubmenu(false);
    else
      SetTimer(window, self, kCloseCheckMs, nullptr);
    return;
  }
  if (host->HoverElement() != this || item_.kind != UiMenu::kSubmenu || !item_.submenu) return;
  host->SetFocusedElementDirect(this);
  Draw(false);
  SetPropW(window, kMenuActProperty, reinterpret_cast<HANDLE>(self));
  // Looked up last: drawing may have run a handler that destroyed the row
  // or the submenu (the item's reference then reads null).
  if (!alive) return;
  if (UiMenu* submenu = item_.submenu.get())
    PopupSubmenu(*submenu, window);  // runs until the submenu is closed
}

void UiMenuItem::Draw(bool hot) {
  const WeakRef<UiElement> self(this);  // painting may run handlers that delete the item
  Paint([&](const PaintContext& pc) { DrawRow(pc, hot); });
  if (self) lastHot_ = hot;
}

void UiMenuItem::DrawRow(const PaintContext& pc, bool hot) {
  Gdiplus::GpGraphics* g = pc.graphics;
  const float w = static_cast<float>(Width()), h = static_cast<float>(Height());
  if (item_.kind == UiMenu::kSeparator) {
    gp::Pen pen;
    if (gp::Ok(gp::GdipCreatePen1(kSeparatorColour, 1.0f, Gdiplus::UnitWorld, pen.put())))
      gp::GdipDrawLine(g, pen.get(), 0, 1, w - 3, 1);
    return;
  }
  const bool isSubmenu = item_.kind == UiMenu::kSubmenu;
  // The row whose submenu is open stays highlighted.
  if (!hot && isSubmenu && HasFocus()) hot = true;
  const Argb textColour = hot ? kHotTextColour : item_.textColour;
  const Argb barColour = hot ? item_.hotColour : 0;
  if (barColour != 0) FillAndOutlineRect(g, w, h, barColour);

  Gdiplus::GpFont* font = Library().defaultFont;
  if (font && !item_.text.empty()) {
    Gdiplus::REAL fontHeight = 0;
    gp::GdipGetFontHeight(font, g, &fontHeight);
    const float v = static_cast<float>(static_cast<int>((h - fontHeight) / 2 + 1));
    const Gdiplus::RectF box(30, v, w - 30 - (isSubmenu ? 12.0f : 0.0f), h - v);
    DrawTextWithEffect(g, box, item_.text, font, textColour, textFormat_.Handle(), item_.extra1,
                       static_cast<Argb>(item_.extra2));
  }
  if (isSubmenu) DrawArrow(g, w, h, hot ? kHotArrowColour : kArrowColour);
  DrawIcon(g, item_.state == 4 ? MenuTick() : ByteView(item_.image), Scale().Quarters());
}

AccessibleInfo UiMenuItem::Accessible() {
  AccessibleInfo info = UiElement::Accessible();
  info.role = item_.kind == UiMenu::kSeparator ? AccessibleRole::kSeparator : AccessibleRole::kMenuItem;
  info.name = WithoutAccessKey(FromWide(item_.text));
  if (item_.state == 4) info.state |= accessible_state::kChecked;
  if (item_.state == -1) info.state |= accessible_state::kUnavailable;
  if (item_.kind != UiMenu::kSeparator) info.defaultAction = "执行";
  return info;
}

}  // namespace ui
