#include "ui/host/host_accessible.h"

#include <string>

#include "ui/core/text.h"
#include "ui/element/element.h"
#include "ui/host/window.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {

constexpr long kSelf = CHILDID_SELF;

HRESULT ToBstr(const std::string& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  const std::wstring wide = ToWide(text);
  *out = sys::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

long RoleOf(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kStaticText: return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::kPushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::kGraphic: return ROLE_SYSTEM_GRAPHIC;
    case AccessibleRole::kEditableText: return ROLE_SYSTEM_TEXT;
    case AccessibleRole::kProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::kScrollBar: return ROLE_SYSTEM_SCROLLBAR;
    case AccessibleRole::kMenuItem: return ROLE_SYSTEM_MENUITEM;
    case AccessibleRole::kSeparator: return ROLE_SYSTEM_SEPARATOR;
    case AccessibleRole::kTitleBarButton: return ROLE_SYSTEM_PUSHBUTTON;  // a button on the title bar
    case AccessibleRole::kNone: break;
  }
  return ROLE_SYSTEM_GROUPING;
}

long StateOf(unsigned state) {
  namespace st = accessible_state;
  long out = 0;
  if (state & st::kFocused) out |= STATE_SYSTEM_FOCUSED;
  if (state & st::kFocusable) out |= STATE_SYSTEM_FOCUSABLE;
  if (state & st::kUnavailable) out |= STATE_SYSTEM_UNAVAILABLE;
  if (state & st::kInvisible) out |= STATE_SYSTEM_INVISIBLE;
  if (state & st::kPressed) out |= STATE_SYSTEM_PRESSED;
  if (state & st::kChecked) out |= STATE_SYSTEM_CHECKED;
  if (state & st::kReadOnly) out |= STATE_SYSTEM_READONLY;
  if (state & st::kProtected) out |= STATE_SYSTEM_PROTECTED;
  return out;
}

long IdOf(const UiElement* e) { return static_cast<long>(e->Self()); }

void SetId(VARIANT* v, long id) {
  v->vt = VT_I4;
  v->lVal = id;
}

}  // namespace

HostAccessible* HostAccessible::Create(UiWindow& host, UiElement* root) { return new HostAccessible(host, root); }

HostAccessible::HostAccessible(UiWindow& host, UiElement* root)
    : host_(&host), hwnd_(host.Window()), root_(root), isWindow_(root == nullptr) {}

UiWindow* HostAccessible::Host() const { return host_.get(); }

UiElement* HostAccessible::FirstChild() const {
  if (isWindow_) {
    const UiWindow* host = Host();
    return host ? host->FirstElement() : nullptr;
  }
  return root_ ? root_->FirstChild() : nullptr;
}

UiElement* HostAccessible::Resolve(const VARIANT& child, bool& ok) const {
  ok = false;
  UiWindow* host = Host();
  if (!host || child.vt != VT_I4) return nullptr;
  if (!isWindow_ && !host->Owns(root_)) return nullptr;
  if (child.lVal == kSelf) {
    ok = true;
    return isWindow_ ? nullptr : root_.get();
  }
  if (child.lVal <= 0) return nullptr;
  UiElement* e = UiElement::FromHandle(static_cast<ElementHandle>(child.lVal));
  // Only an element of this level answers: handles are never reused, so a
  // stale or foreign id is refused.
  if (!host->Owns(e) || e->ParentElement() != (isWindow_ ? nullptr : root_.get())) return nullptr;
  ok = true;
  return e;
}

// ---- IUnknown ------------------------------------------------------------------

HRESULT HostAccessible::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  if (riid == IID_IEnumVARIANT) {
    *out = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG HostAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG HostAccessible::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT HostAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}
HRESULT HostAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT HostAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT HostAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

// ---- the tree -------------------------------------------------------------------

HRESULT HostAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  if (isWindow_) return S_FALSE;  // the window's own object is the system's
  UiElement* up = root_ ? root_->ParentElement() : nullptr;
  *parent = HostAccessible::Create(*host, up);
  return S_OK;
}

HRESULT HostAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  *count = 0;
  if (!Host()) return RPC_E_DISCONNECTED;
  for (UiElement* e = FirstChild(); e; e = e->NextSibling())
    if (e->Visible()) ++*count;
  return S_OK;
}

HRESULT HostAccessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  if (!e || child.lVal == kSelf || !e->FirstChild()) return S_FALSE;  // a simple child
  *out = HostAccessible::Create(*host, e);
  return S_OK;
}

// ---- what an element says --------------------------------------------------------

HRESULT HostAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  if (!Host()) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  if (!e) {
    wchar_t title[256] = {};
    GetWindowTextW(hwnd_, title, 255);
    return ToBstr(FromWide(title), name);
  }
  return ToBstr(e->Accessible().name, name);
}

HRESULT HostAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  if (!Host()) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  if (!e) return S_FALSE;
  const AccessibleInfo info = e->Accessible();
  if (!info.value) return S_FALSE;
  if (info.value->empty()) {
    *value = sys::SysAllocStringLen(L"", 0);
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  return ToBstr(*info.value, value);
}

HRESULT HostAccessible::get_accDescription(VARIANT, BSTR* text) {
  if (text) *text = nullptr;
  return Host() ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  role->vt = VT_EMPTY;
  if (!Host()) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  SetId(role, e ? RoleOf(e->Accessible().role) : ROLE_SYSTEM_CLIENT);
  return S_OK;
}

HRESULT HostAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  state->vt = VT_EMPTY;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  long s = 0;
  if (e) {
    s = StateOf(e->Accessible().state);
  } else {
    s = STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == hwnd_) s |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(hwnd_)) s |= STATE_SYSTEM_INVISIBLE;
  }
  SetId(state, s);
  return S_OK;
}

HRESULT HostAccessible::get_accHelp(VARIANT, BSTR* text) {
  if (text) *text = nullptr;
  return Host() ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = -1;
  return Host() ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::get_accKeyboardShortcut(VARIANT, BSTR* text) {
  if (text) *text = nullptr;
  return Host() ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  if (!Host()) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  return e ? ToBstr(e->Accessible().defaultAction, action) : S_FALSE;
}

// ---- focus, place and action ----------------------------------------------------------

HRESULT HostAccessible::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  focus->vt = VT_EMPTY;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  UiElement* e = host->FocusedElement();
  if (!host->Owns(e)) return S_FALSE;
  const UiElement* level = isWindow_ ? nullptr : root_.get();
  // The focused element, or the child of this level that holds it.
  while (e && e->ParentElement() != level) e = e->ParentElement();
  if (!e) return S_FALSE;
  if (e->FirstChild() && e != host->FocusedElement()) {
    focus->vt = VT_DISPATCH;
    focus->pdispVal = HostAccessible::Create(*host, e);
    return S_OK;
  }
  SetId(focus, IdOf(e));
  return S_OK;
}

HRESULT HostAccessible::get_accSelection(VARIANT* selection) {
  if (selection) selection->vt = VT_EMPTY;
  return Host() ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::accSelect(long, VARIANT) { return Host() ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED; }

HRESULT HostAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  RECT r{0, 0, host->ClientSize().cx, host->ClientSize().cy};
  if (e) r = host->Scale().ToDevice(e->Bounds());
  POINT origin{r.left, r.top};
  ClientToScreen(hwnd_, &origin);
  *left = origin.x;
  *top = origin.y;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

HRESULT HostAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  end->vt = VT_EMPTY;
  if (!Host()) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* from = Resolve(start, ok);
  if (!ok) return E_INVALIDARG;
  UiElement* found = nullptr;
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD: {
      if (start.lVal != kSelf) return E_INVALIDARG;
      for (UiElement* e = FirstChild(); e; e = e->NextSibling())
        if (e->Visible()) {
          found = e;
          if (direction == NAVDIR_FIRSTCHILD) break;
        }
      break;
    }
    case NAVDIR_NEXT:
    case NAVDIR_DOWN:
    case NAVDIR_RIGHT:
      for (UiElement* e = from ? from->NextSibling() : nullptr; e && !found; e = e->NextSibling())
        if (e->Visible()) found = e;
      break;
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP:
    case NAVDIR_LEFT:
      for (UiElement* e = from ? from->PrevSibling() : nullptr; e && !found; e = e->PrevSibling())
        if (e->Visible()) found = e;
      break;
    default:
      return E_INVALIDARG;
  }
  if (!found) return S_FALSE;
  SetId(end, IdOf(found));
  return S_OK;
}

HRESULT HostAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  child->vt = VT_EMPTY;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  POINT p{x, y};
  ScreenToClient(hwnd_, &p);
  const DisplayScale scale = host->Scale();
  UiElement* e = host->HitTest(scale.ToLogical(static_cast<int>(p.x)), scale.ToLogical(static_cast<int>(p.y)));
  const UiElement* level = isWindow_ ? nullptr : root_.get();
  while (e && e->ParentElement() != level) e = e->ParentElement();
  if (!e) {
    // Inside this object but on no child: the object itself.
    long l = 0, t = 0, w = 0, h = 0;
    VARIANT self;
    SetId(&self, kSelf);
    if (SUCCEEDED(accLocation(&l, &t, &w, &h, self)) && x >= l && y >= t && x < l + w && y < t + h) {
      SetId(child, kSelf);
      return S_OK;
    }
    return S_FALSE;
  }
  if (e->FirstChild()) {
    child->vt = VT_DISPATCH;
    child->pdispVal = HostAccessible::Create(*host, e);
    return S_OK;
  }
  SetId(child, IdOf(e));
  return S_OK;
}

HRESULT HostAccessible::accDoDefaultAction(VARIANT child) {
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  bool ok = false;
  UiElement* e = Resolve(child, ok);
  if (!ok) return E_INVALIDARG;
  if (!e) return DISP_E_MEMBERNOTFOUND;
  const AccessibleInfo info = e->Accessible();
  if (info.defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
  if (info.state & (accessible_state::kUnavailable | accessible_state::kInvisible)) return E_FAIL;
  host->ActivateElement(e);  // what a click does
  return S_OK;
}

// ---- enumeration -------------------------------------------------------------------

HRESULT HostAccessible::Next(ULONG count, VARIANT* out, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (!out || (count > 1 && !fetched)) return E_POINTER;
  UiWindow* host = Host();
  if (!host) return RPC_E_DISCONNECTED;
  if (!isWindow_ && !host->Owns(root_)) return RPC_E_DISCONNECTED;
  ULONG index = 0, given = 0;
  for (UiElement* e = FirstChild(); e && given < count; e = e->NextSibling()) {
    if (!e->Visible()) continue;
    if (index++ < cursor_) continue;
    VARIANT& v = out[given++];
    if (e->FirstChild()) {
      v.vt = VT_DISPATCH;
      v.pdispVal = HostAccessible::Create(*host, e);
    } else {
      SetId(&v, IdOf(e));
    }
  }
  cursor_ += given;
  if (fetched) *fetched = given;
  return given == count ? S_OK : S_FALSE;
}

HRESULT HostAccessible::Skip(ULONG count) {
  long visible = 0;
  if (const HRESULT hr = get_accChildCount(&visible); FAILED(hr)) return hr;
  cursor_ += count;
  if (cursor_ > static_cast<ULONG>(visible)) {
    cursor_ = static_cast<ULONG>(visible);
    return S_FALSE;
  }
  return S_OK;
}

HRESULT HostAccessible::Reset() {
  cursor_ = 0;
  return Host() ? S_OK : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::Clone(IEnumVARIANT** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  UiWindow* host = Host();
  if (!host || (!isWindow_ && !host->Owns(root_))) return RPC_E_DISCONNECTED;
  HostAccessible* copy = HostAccessible::Create(*host, isWindow_ ? nullptr : root_.get());
  copy->cursor_ = cursor_;
  *out = copy;
  return S_OK;
}

HRESULT HostAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT HostAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace ui
