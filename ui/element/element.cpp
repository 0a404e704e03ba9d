// UiElement: creation, the sibling lists, geometry, state and teardown.
#include "ui/element/element.h"

#include <cmath>
#include <memory>

#include "ui/host/window.h"

namespace ui {

namespace {
// Created elements by handle. Everything runs on the UI thread.
HandleRegistry<UiElement> g_elements;

// The GDI+ objects of a destroyed element, kept until they are released.
struct Surface {
  gp::Bitmap bitmap;
  gp::Graphics graphics;  // declared after the bitmap: released first
  gp::Bitmap snapshot;
};

bool Near(float a, float b) { return std::fabs(a - b) <= 1e-7f; }

// A window handle passed where an element handle is expected means "top level".
bool IsWindowValue(ElementHandle value, HWND window) {
  return value != 0 && window && value == reinterpret_cast<ElementHandle>(window);
}

// SetBounds asks the host again while it answers busy; a busy host further
// up the same call stack can never finish, so the asking is bounded (the
// host remembers the moved areas and repairs them when it is idle).
constexpr int kMoveAttempts = 3;
}  // namespace

bool RectsOverlap(const RectF& a, const RectF& b) {
  constexpr float eps = 1e-7f;
  return !(a.Right() <= b.x + eps || b.Right() <= a.x + eps || a.Bottom() <= b.y + eps ||
           b.Bottom() <= a.y + eps);
}

RECT ToRect(const RectF& r) {
  return RECT{static_cast<LONG>(r.x), static_cast<LONG>(r.y), static_cast<LONG>(r.x + r.width),
              static_cast<LONG>(r.y + r.height)};
}

UiParent::UiParent(UiElement& e) : element(e.Self()) {}

UiElement* UiElement::FromHandle(ElementHandle handle) { return g_elements.Find(handle); }

std::size_t UiElement::LiveCount() { return g_elements.Size(); }

std::vector<UiElement*> UiElement::LiveElementsOf(const UiWindow* host) {
  std::vector<UiElement*> out;
  g_elements.ForEach([&](UiElement* e) {
    if (e->host_.get() == host) out.push_back(e);
  });
  return out;
}

UiElement::~UiElement() {
  if (handle_ != 0) {
    while (firstChild_) {
      UiElement* child = firstChild_;
      child->Destroy();
      if (firstChild_ == child) child->Unlink();  // never loop on a child that stayed
    }
    if (window_) {
      if (transitionTimerActive_) KillTimer(window_, handle_ + 1);
      if (visible_ && Host()) PostInvalidate(1);  // the area is repainted without it
    }
    ClearHostReferences();
    Unlink();
    g_elements.Remove(handle_);
    life_.End();
  }
  ReleaseSurfaceSafely();
}

ElementHandle UiElement::Create(UiParent parent, const RectF& bounds, int kind, bool visible,
                                std::optional<bool> focusable, std::optional<UINT_PTR> cursorId,
                                int transitionInterval, int transitionSteps, int transitionEffect) {
  if (handle_ != 0) return handle_;

  // Resolve the parent: a hosted window (top level) or a live element whose
  // host is the one registered on its window.
  HWND window = parent.window;
  UiElement* parentElement = nullptr;
  if (!window && parent.element) {
    parentElement = FromHandle(parent.element);
    if (!parentElement) window = reinterpret_cast<HWND>(parent.element);
  }
  UiWindow* host = nullptr;
  if (parentElement) {
    if (parentElement == this || !parentElement->IsCreated()) return 0;
    window = parentElement->window_;
    host = UiWindow::FromWindow(window);
    if (!host || parentElement->host_.get() != host) return 0;
  } else {
    host = UiWindow::FromWindow(window);
    if (!host) return 0;
  }

  handle_ = g_elements.Add(this);
  life_.Begin(this);
  window_ = window;
  host_ = host;
  bounds_ = bounds;
  if (cursorId) cursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(*cursorId));
  tipText_.clear();
  parent_ = nullptr;
  disabled_ = false;
  autoRefresh_ = true;
  opacity_ = 255;
  kind_ = kind;
  visible_ = visible;
  focusable_ = focusable.value_or(true);
  prevSibling_ = nextSibling_ = nullptr;

  if (parentElement) {
    SetParent(parentElement->Self());
  } else {
    AppendTo(nullptr);
  }
  CreateSurface();
  transitionInterval_ = transitionInterval;
  transitionSteps_ = transitionSteps;
  transitionEffect_ = transitionEffect;
  transitionStep_ = 0;

  const WeakRef<UiElement> self(this);
  SendEvent(ev::kCreated, reinterpret_cast<WPARAM>(bitmap_.get()),
            reinterpret_cast<LPARAM>(graphics_.get()));
  if (!self) return 0;  // destroyed by its own created event
  // A host holding its redraws has the element draw when it presents: an
  // element given its images, texts and places right after creation then
  // draws once, not once bare and again for each of them.
  if (UiWindow* h = Host(); h && h->PutOffRepaint(this)) return handle_;
  SendEvent(ev::kPaint, reinterpret_cast<WPARAM>(bitmap_.get()),
            reinterpret_cast<LPARAM>(graphics_.get()));
  return handle_;
}

bool UiElement::CreateSurface() {
  // A caller further up the stack may still draw on the old surface (a
  // resize inside a paint's own callouts): it is released after the
  // outermost message, never under that caller.
  ReleaseSurfaceSafely();
  // The bitmap holds device pixels; the graphics scales the element's
  // logical drawing onto them, so text and shapes are rasterised at the
  // display's resolution.
  const DisplayScale scale = Scale();
  const bool single = kind_ == kind::kNoBitmap;
  const int w = single ? 1 : scale.SurfaceLength(bounds_.width);
  const int h = single ? 1 : scale.SurfaceLength(bounds_.height);
  if (w <= 0 || h <= 0) return false;
  gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, bitmap_.put());
  if (!bitmap_) return false;
  gp::GdipGetImageGraphicsContext(bitmap_.get(), graphics_.put());
  if (graphics_) {
    gp::GdipSetSmoothingMode(graphics_.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(graphics_.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    if (!scale.IsUnit() && !single)
      gp::GdipScaleWorldTransform(graphics_.get(), scale.Factor(), scale.Factor(), Gdiplus::MatrixOrderPrepend);
  }
  return true;
}

void UiElement::ReleaseSurface() {
  graphics_.reset();
  bitmap_.reset();
  snapshot_.reset();
}

void UiElement::ReleaseSurfaceSafely() {
  if (DispatchDepth() == 0 || (!bitmap_ && !graphics_ && !snapshot_)) {
    ReleaseSurface();
    return;
  }
  auto kept = std::make_shared<Surface>();
  kept->bitmap = std::move(bitmap_);
  kept->graphics = std::move(graphics_);
  kept->snapshot = std::move(snapshot_);
  ReleaseLater([kept] {
    kept->graphics.reset();
    kept->bitmap.reset();
    kept->snapshot.reset();
  });
}

UiWindow* UiElement::Host() const { return host_.get(); }

AccessibleInfo UiElement::Accessible() {
  AccessibleInfo info;
  info.name = tipText_;
  const UiWindow* host = Host();
  if (focusable_) info.state |= accessible_state::kFocusable;
  if (host && host->FocusedElement() == this) info.state |= accessible_state::kFocused;
  if (disabled_) info.state |= accessible_state::kUnavailable;
  // Hidden itself or under a hidden parent: not on screen.
  for (const UiElement* e = this; e; e = e->parent_) {
    if (!e->visible_) {
      info.state |= accessible_state::kInvisible;
      break;
    }
  }
  return info;
}

void UiElement::NotifyAccessibility(DWORD event) const {
  if (window_ && handle_) NotifyWinEvent(event, window_, OBJID_CLIENT, static_cast<LONG>(handle_));
}

DisplayScale UiElement::Scale() const {
  const UiWindow* host = Host();
  return host ? host->Scale() : DisplayScale{};
}

ElementHandle UiElement::GetParent() const { return parent_ ? parent_->Self() : 0; }

// Appends to the end of the parent's child list, or of the host's top-level list.
void UiElement::AppendTo(UiElement* newParent) {
  UiElement** first = nullptr;
  UiElement** last = nullptr;
  if (newParent) {
    first = &newParent->firstChild_;
    last = &newParent->lastChild_;
  } else if (UiWindow* host = Host()) {
    first = &host->TopLevelList().first;
    last = &host->TopLevelList().last;
  } else {
    return;
  }
  prevSibling_ = *last;
  nextSibling_ = nullptr;
  if (*last) (*last)->nextSibling_ = this;
  *last = this;
  if (!*first) *first = this;
}

void UiElement::SetParent(ElementHandle newParent) {
  if (!handle_) return;
  UiElement* target = nullptr;
  if (newParent != 0 && !IsWindowValue(newParent, window_)) {
    target = FromHandle(newParent);
    // Only a live element of the same host, and never into its own subtree.
    if (!target || target->host_.get() != host_.get() || !target->IsCreated()) return;
    for (UiElement* a = target; a; a = a->parent_)
      if (a == this) return;
  }
  if (target == parent_) return;
  Unlink();
  parent_ = target;
  AppendTo(target);
  Refresh();
}

void UiElement::Unlink() {
  if (!parent_) {
    UiWindow* host = Host();
    bool listed = false;
    if (host)
      for (UiElement* e = host->TopLevelList().first; e; e = e->nextSibling_)
        if (e == this) {
          listed = true;
          break;
        }
    if (!listed) {
      prevSibling_ = nextSibling_ = nullptr;
      return;
    }
    ElementList& list = host->TopLevelList();
    if (list.first == this) list.first = nextSibling_;
    if (list.last == this) list.last = prevSibling_;
  } else {
    if (parent_->firstChild_ == this) parent_->firstChild_ = nextSibling_;
    if (parent_->lastChild_ == this) parent_->lastChild_ = prevSibling_;
  }
  if (prevSibling_) prevSibling_->nextSibling_ = nextSibling_;
  if (nextSibling_) nextSibling_->prevSibling_ = prevSibling_;
  prevSibling_ = nextSibling_ = nullptr;
}

ElementHandle UiElement::SetZOrder(int position, bool redraw) {
  if (!handle_) return 0;
  UiElement** first = nullptr;
  UiElement** last = nullptr;
  if (parent_) {
    first = &parent_->firstChild_;
    last = &parent_->lastChild_;
  } else if (UiWindow* host = Host()) {
    first = &host->TopLevelList().first;
    last = &host->TopLevelList().last;
  } else {
    return 0;
  }
  Unlink();
  UiElement* former = nullptr;
  if (position == 2) {
    former = *first;
    nextSibling_ = former;
    if (former) former->prevSibling_ = this;
    *first = this;
    if (!*last) *last = this;
  } else {
    former = *last;
    prevSibling_ = former;
    if (former) former->nextSibling_ = this;
    *last = this;
    if (!*first) *first = this;
  }
  if (redraw) {
    Refresh();
    return 0;
  }
  return former ? former->Self() : 0;
}

void UiElement::MoveDescendants(float dx, float dy) {
  for (UiElement* c = firstChild_; c; c = c->nextSibling_) {
    c->bounds_.x += dx;
    c->bounds_.y += dy;
    c->MoveDescendants(dx, dy);
  }
}

RectF UiElement::Bounds(const RectF& r) {
  SetBounds(static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width),
            static_cast<int>(r.height), true);
  return bounds_;
}

void UiElement::SetBounds(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                          std::optional<int> height, bool redraw) {
  if (!handle_) return;
  const RectF old = bounds_;
  const RectF next{static_cast<float>(x.value_or(static_cast<int>(old.x))),
                   static_cast<float>(y.value_or(static_cast<int>(old.y))),
                   static_cast<float>(width.value_or(static_cast<int>(old.width))),
                   static_cast<float>(height.value_or(static_cast<int>(old.height)))};
  if (Near(next.x, old.x) && Near(next.y, old.y) && Near(next.width, old.width) &&
      Near(next.height, old.height))
    return;
  oldBounds_ = old;
  bounds_ = next;
  MoveDescendants(next.x - old.x, next.y - old.y);

  const WeakRef<UiElement> self(this);
  const ElementHandle handle = handle_;
  const bool resized = !Near(next.width, old.width) || !Near(next.height, old.height);
  if (resized && kind_ != kind::kNoBitmap) {
    snapshot_.reset();
    CreateSurface();
    const auto w = static_cast<WPARAM>(static_cast<int>(next.width));
    const auto h = static_cast<LPARAM>(static_cast<int>(next.height));
    SendEvent(ev::kResized, w, h);
    if (!self) return;
    SendEvent(ev::kPaint, w, h);
    if (!self) return;
  }

  if (!Host()) return;
  const HWND window = window_;
  const LPARAM repaint = (redraw && visible_) ? 1 : 0;
  for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
    if (SendMessageW(window, hostmsg::kElementMoved, handle, repaint) != 0) break;
    if (!self) break;
    Sleep(1);
  }
}

int UiElement::Left(int v) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (std::fabs(static_cast<float>(v) - bounds_.x) > 1e-7f) SetBounds(v, {}, {}, {});
  if (!self) return {};
  return Left();
}
int UiElement::Top(int v) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (std::fabs(static_cast<float>(v) - bounds_.y) > 1e-7f) SetBounds({}, v, {}, {});
  if (!self) return {};
  return Top();
}
int UiElement::Width(int v) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (std::fabs(static_cast<float>(v) - bounds_.width) > 1e-7f) SetBounds({}, {}, v, {});
  if (!self) return {};
  return Width();
}
int UiElement::Height(int v) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (std::fabs(static_cast<float>(v) - bounds_.height) > 1e-7f) SetBounds({}, {}, {}, v);
  if (!self) return {};
  return Height();
}

bool UiElement::Visible(bool value) {
  if (value == visible_ || !handle_) return visible_;
  const WeakRef<UiElement> self(this);
  if (value && paintWhenShown_) {
    // The paint put off while hidden, made before the element shows (as a
    // paint while hidden, it starts no transition).
    paintWhenShown_ = false;
    Repaint();
    if (!self || !handle_) return {};
    if (visible_) return visible_;  // shown by the paint's own handlers
  }
  visible_ = value;
  NotifyAccessibility(value ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE);
  SendEvent(value ? ev::kShown : ev::kHidden);
  if (self) Refresh();
  if (!self) return {};
  return visible_;
}

bool UiElement::Disabled(bool value) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  if (value == disabled_ || !handle_) return disabled_;
  disabled_ = value;
  NotifyAccessibility(EVENT_OBJECT_STATECHANGE);
  if (UiWindow* host = Host(); host && host->FocusedElement() == this) {
    host->SetFocusedElementDirect(nullptr);
    PostEvent(ev::kFocusLost);
  }
  PostEvent(ev::kMouseLeave);
  Refresh();
  if (!self) return {};
  return disabled_;
}

bool UiElement::Focusable(bool value) {
  focusable_ = value;
  return focusable_;
}

bool UiElement::HasFocus() {
  const WeakRef<UiElement> self(this);  // the event's handlers may delete it
  const LRESULT answer = SendEvent(ev::kFocusQuery);
  if (!self) return false;
  if (answer != -1) return answer == 1;
  UiWindow* host = Host();
  return host && host->FocusedElement() == this;
}

int UiElement::Opacity(int value, bool redraw) {
  value = value < 0 ? 0 : (value > 255 ? 255 : value);
  if (value == opacity_ || !handle_) return opacity_;
  opacity_ = value;
  const WeakRef<UiElement> self(this);
  SendEvent(ev::kOpacityChanged, 0, value);
  if (redraw && self) Refresh();
  if (!self) return {};
  return opacity_;
}

HCURSOR UiElement::Cursor(UINT_PTR systemCursorId) {
  cursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(systemCursorId));
  return cursor_;
}

HCURSOR UiElement::CursorHandle(HCURSOR handle) {
  cursor_ = handle;
  return cursor_;
}

std::string UiElement::Tag(std::string_view text) {
  tag_.assign(text);
  return tag_;
}

std::string UiElement::TipText(std::string_view text, bool apply) {
  const WeakRef<UiElement> self(this);  // the repaint may run handlers that delete it
  tipText_.assign(text);
  if (apply) ApplyTipText(tipText_);
  if (!self) return {};
  return tipText_;
}

void UiElement::ApplyTipText(std::string_view text) {
  if (UiWindow* host = Host()) host->SetTooltip(this, text);
}

int UiElement::Transition(std::optional<int> steps, std::optional<int> interval) {
  if (steps) transitionSteps_ = *steps;
  if (interval) transitionInterval_ = *interval;
  return transitionSteps_;
}

int UiElement::TransitionInterval(int interval) {
  transitionInterval_ = interval;
  return transitionInterval_;
}

int UiElement::TransitionEffect(int effect) {
  transitionEffect_ = effect;
  return transitionEffect_;
}

void UiElement::Repaint() {
  if (UiWindow* host = Host(); host && host->PutOffRepaint(this)) return;
  SendEvent(ev::kPaint, 0, 0);
}

void UiElement::Refresh() { PostInvalidate(1); }

void UiElement::ClearHostReferences() {
  if (UiWindow* host = Host()) host->ForgetElement(this);
}

void UiElement::Destroy() {
  if (!handle_ || destroying_) return;
  destroying_ = true;
  const WeakRef<UiElement> self(this);
  if (Host()) {
    visible_ = false;
    Refresh();  // carries a copy of the rectangle: repainted without the element
  }
  while (firstChild_) {
    UiElement* child = firstChild_;
    child->Destroy();
    if (firstChild_ == child) child->Unlink();  // never loop on a child that stayed
  }
  HandleEvent(ev::kDestroyed, 0, 0);
  if (!self) return;  // deleted (or destroyed) by its own event
  if (window_) KillTimer(window_, handle_ + 1);
  transitionTimerActive_ = false;
  ClearHostReferences();
  Unlink();
  g_elements.Remove(handle_);
  life_.End();
  ResetRecord();
  destroying_ = false;
}

void UiElement::ResetRecord() {
  tipText_.clear();
  tag_.clear();
  ReleaseSurfaceSafely();
  handlers_.clear();
  window_ = nullptr;
  handle_ = 0;
  parent_ = nullptr;
  visible_ = disabled_ = false;
  focusable_ = autoRefresh_ = false;
  cursor_ = nullptr;
  bounds_ = {};
  kind_ = 0;
  firstChild_ = lastChild_ = prevSibling_ = nextSibling_ = nullptr;
  transitionStep_ = 0;
  host_.reset();
  opacity_ = 0;
  transitionInterval_ = transitionSteps_ = transitionEffect_ = 0;
  oldBounds_.reset();
  transitionTimerActive_ = false;
}

}  // namespace ui
