#pragma once
// HostAccessible: the accessibility object (IAccessible) of a host window's
// client area, or of one element that has children. Its children are the
// visible elements of its level, in tree order; an element without children
// is a simple child identified by its element handle (handles are never
// reused, so a stale id is refused, never mistaken for another element).
// Everything is read from the elements' own descriptions
// (UiElement::Accessible). Once the host is gone every call fails with
// RPC_E_DISCONNECTED. Locations are screen device pixels.
// Child ids are element handles, not positions, so the object also
// enumerates its children (IEnumVARIANT): AccessibleChildren asks for that
// first and would otherwise make up ids 1..n that name nothing.
#include <windows.h>
#include <oleacc.h>

#include "ui/core/lifetime.h"

namespace ui {

class UiElement;
class UiWindow;

class HostAccessible final : public IAccessible, public IEnumVARIANT {
 public:
  // A new object with one reference; `root` null: the window's client area.
  static HostAccessible* Create(UiWindow& host, UiElement* root);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: not offered (clients use the IAccessible methods).
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;
  // IEnumVARIANT: the visible children of this level, in tree order; an
  // element with children comes as its object (VT_DISPATCH), others as
  // their ids (VT_I4).
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override;

 private:
  HostAccessible(UiWindow& host, UiElement* root);
  ~HostAccessible() = default;
  // The live host, or null once it is gone.
  UiWindow* Host() const;
  // The element a child id names at this level (CHILDID_SELF: the root
  // element, null for the window); `ok` false for ids that name nothing here.
  UiElement* Resolve(const VARIANT& child, bool& ok) const;
  UiElement* FirstChild() const;

  LONG refs_ = 1;
  WeakRef<UiWindow> host_;
  HWND hwnd_ = nullptr;
  WeakRef<UiElement> root_;
  bool isWindow_ = true;
  ULONG cursor_ = 0;  // the enumeration's next visible child
};

}  // namespace ui
