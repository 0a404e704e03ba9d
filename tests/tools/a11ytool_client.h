#pragma once
// The client side of a11ytool: owners for the COM values a screen reader
// handles (interface pointers, BSTRs, VARIANTs), finding the window under
// test, getting its client object, describing one node of the tree and
// printing UTF-8 lines.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace a11y {

// One reference to a COM interface, released once.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}  // takes the reference
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  ~Ref() { reset(); }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void** receive() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }

 private:
  T* p_ = nullptr;
};

// A VARIANT cleared once.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT* operator&() { return &v_; }
  VARIANT& get() { return v_; }

 private:
  VARIANT v_;
};

// A child id as a VARIANT (no ownership to clear).
VARIANT ChildId(long id);

// Writes one line of UTF-8 bytes to stdout (the console of Wine prints no
// wide Chinese text through printf).
void PrintLine(const std::wstring& text);
std::wstring Widen(const char* utf8);
std::string Utf8(const std::wstring& text);

// The visible top-level window a spec names: a file name ending in ".exe"
// names the program's unowned window, anything else a window class. Waits up
// to `timeoutMs`; null when none came.
HWND WaitForWindow(const std::wstring& spec, DWORD timeoutMs);

// The window's client object, as AccessibleObjectFromWindow hands it out.
// When the window answers WM_GETOBJECT with nothing of its own (a failed
// LresultFromObject in its process), `error` says so with the HRESULT that
// LresultFromObject gives in this process, and the result is empty.
Ref<IAccessible> ClientObject(HWND hwnd, std::wstring& error);

// One node: an object and a child id in it (CHILDID_SELF: the object itself).
struct Node {
  IAccessible* object = nullptr;  // not owned
  long child = CHILDID_SELF;
};

struct NodeInfo {
  std::wstring role;  // "pushbutton", "statictext", ...
  std::wstring name;
  std::wstring value;
  std::wstring states;  // comma-separated: focused,focusable,...
  long state = 0;
  long left = 0, top = 0, width = 0, height = 0;
  std::wstring action;
};
NodeInfo Describe(const Node& node);
// depth, role, name, value, states, "x y w h", default action; tab-separated.
std::wstring FormatNode(int depth, const NodeInfo& info);

// Visits every node under `object` (itself first), depth first, through
// AccessibleChildren as a screen reader enumerates. `visit` returns false
// to stop; Walk then returns false.
template <class Visit>
bool Walk(IAccessible* object, int depth, Visit&& visit);

// The children of an object as AccessibleChildren lists them.
std::vector<VARIANT> Children(IAccessible* object);  // the caller clears each

template <class Visit>
bool Walk(IAccessible* object, int depth, Visit&& visit) {
  if (!visit(Node{object, CHILDID_SELF}, depth)) return false;
  std::vector<VARIANT> children = Children(object);
  bool go = true;
  for (VARIANT& child : children) {
    if (go && child.vt == VT_I4) {
      go = visit(Node{object, child.lVal}, depth + 1);
    } else if (go && child.vt == VT_DISPATCH && child.pdispVal) {
      Ref<IAccessible> sub;
      if (SUCCEEDED(child.pdispVal->QueryInterface(IID_IAccessible, sub.receive())))
        go = Walk(sub.get(), depth + 1, visit);
    }
    VariantClear(&child);
  }
  return go;
}

}  // namespace a11y
