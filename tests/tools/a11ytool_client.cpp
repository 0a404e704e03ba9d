#include "tests/tools/a11ytool_client.h"
#include "tests/tools/wait_limit.h"
#include "tests/tools/window_program.h"

#include <cstdio>

namespace a11y {

VARIANT ChildId(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Widen(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(out.size() - 1);
  return out;
}

void PrintLine(const std::wstring& text) {
  const std::string bytes = Utf8(text) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

namespace {

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

struct Search {
  const std::wstring* spec;
  bool byProgram;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (search->byProgram) {
    if (GetWindow(hwnd, GW_OWNER) || !EqualNoCase(ProgramOf(hwnd), *search->spec)) return TRUE;
  } else {
    wchar_t cls[256] = {};
    GetClassNameW(hwnd, cls, 256);
    if (!EqualNoCase(cls, *search->spec)) return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}

// A tiny object to ask this process's LresultFromObject whether it can
// marshal IAccessible at all.
HRESULT LocalHandOut() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!probe) return E_FAIL;
  Ref<IAccessible> object;
  HRESULT hr = CreateStdAccessibleObject(probe, OBJID_CLIENT, IID_IAccessible, object.receive());
  if (SUCCEEDED(hr)) {
    const LRESULT r = LresultFromObject(IID_IAccessible, 0, object.get());
    if (r > 0) {
      Ref<IAccessible> taken;
      ObjectFromLresult(r, IID_IAccessible, 0, taken.receive());
      hr = S_OK;
    } else {
      hr = static_cast<HRESULT>(r);
    }
  }
  object.reset();
  DestroyWindow(probe);
  return hr;
}

}  // namespace

HWND WaitForWindow(const std::wstring& spec, DWORD timeoutMs) {
  const bool byProgram = spec.size() > 4 && EqualNoCase(spec.substr(spec.size() - 4), L".exe");
  WaitLimit limit(timeoutMs);
  for (;;) {
    Search search{&spec, byProgram};
    EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (limit.Over()) return nullptr;
    limit.Pause(50);
  }
}

Ref<IAccessible> ClientObject(HWND hwnd, std::wstring& error) {
  Ref<IAccessible> object;
  const HRESULT hr = AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, IID_IAccessible, object.receive());
  if (SUCCEEDED(hr) && object) return object;
  wchar_t text[200];
  const HRESULT local = LocalHandOut();
  std::swprintf(text, 200,
                L"AccessibleObjectFromWindow(OBJID_CLIENT) failed: 0x%08lX; LresultFromObject(IID_IAccessible) "
                L"in this process: 0x%08lX",
                static_cast<unsigned long>(hr), static_cast<unsigned long>(local));
  error = text;
  return {};
}

namespace {

std::wstring RoleName(long role) {
  switch (role) {
    case ROLE_SYSTEM_TITLEBAR: return L"titlebar";
    case ROLE_SYSTEM_MENUBAR: return L"menubar";
    case ROLE_SYSTEM_SCROLLBAR: return L"scrollbar";
    case ROLE_SYSTEM_WINDOW: return L"window";
    case ROLE_SYSTEM_CLIENT: return L"client";
    case ROLE_SYSTEM_MENUPOPUP: return L"menupopup";
    case ROLE_SYSTEM_MENUITEM: return L"menuitem";
    case ROLE_SYSTEM_TOOLTIP: return L"tooltip";
    case ROLE_SYSTEM_DIALOG: return L"dialog";
    case ROLE_SYSTEM_GROUPING: return L"grouping";
    case ROLE_SYSTEM_SEPARATOR: return L"separator";
    case ROLE_SYSTEM_STATICTEXT: return L"statictext";
    case ROLE_SYSTEM_TEXT: return L"text";
    case ROLE_SYSTEM_GRAPHIC: return L"graphic";
    case ROLE_SYSTEM_PUSHBUTTON: return L"pushbutton";
    case ROLE_SYSTEM_CHECKBUTTON: return L"checkbutton";
    case ROLE_SYSTEM_PROGRESSBAR: return L"progressbar";
    case ROLE_SYSTEM_LINK: return L"link";
    case ROLE_SYSTEM_LIST: return L"list";
    case ROLE_SYSTEM_LISTITEM: return L"listitem";
    default: break;
  }
  return L"role" + std::to_wstring(role);
}

std::wstring StateNames(long state) {
  static const struct {
    long bit;
    const wchar_t* name;
  } kNames[] = {
      {STATE_SYSTEM_FOCUSED, L"focused"},     {STATE_SYSTEM_FOCUSABLE, L"focusable"},
      {STATE_SYSTEM_UNAVAILABLE, L"unavailable"}, {STATE_SYSTEM_INVISIBLE, L"invisible"},
      {STATE_SYSTEM_PRESSED, L"pressed"},     {STATE_SYSTEM_CHECKED, L"checked"},
      {STATE_SYSTEM_READONLY, L"readonly"},   {STATE_SYSTEM_PROTECTED, L"protected"},
  };
  std::wstring out;
  for (const auto& n : kNames) {
    if (!(state & n.bit)) continue;
    if (!out.empty()) out += L',';
    out += n.name;
  }
  return out;
}

std::wstring Take(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return out;
}

// Tabs and line breaks would split the line format.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  return text;
}

}  // namespace

NodeInfo Describe(const Node& node) {
  NodeInfo info;
  IAccessible* o = node.object;
  const VARIANT id = ChildId(node.child);
  BSTR text = nullptr;
  if (SUCCEEDED(o->get_accName(id, &text))) info.name = OneLine(Take(text));
  text = nullptr;
  if (SUCCEEDED(o->get_accValue(id, &text))) info.value = OneLine(Take(text));
  text = nullptr;
  if (SUCCEEDED(o->get_accDefaultAction(id, &text))) info.action = OneLine(Take(text));
  Variant role;
  if (SUCCEEDED(o->get_accRole(id, &role)) && role.get().vt == VT_I4) info.role = RoleName(role.get().lVal);
  Variant state;
  if (SUCCEEDED(o->get_accState(id, &state)) && state.get().vt == VT_I4) {
    info.state = state.get().lVal;
    info.states = StateNames(info.state);
  }
  o->accLocation(&info.left, &info.top, &info.width, &info.height, id);
  return info;
}

std::wstring FormatNode(int depth, const NodeInfo& info) {
  return std::to_wstring(depth) + L'\t' + info.role + L'\t' + info.name + L'\t' + info.value + L'\t' + info.states +
         L'\t' + std::to_wstring(info.left) + L' ' + std::to_wstring(info.top) + L' ' + std::to_wstring(info.width) +
         L' ' + std::to_wstring(info.height) + L'\t' + info.action;
}

std::vector<VARIANT> Children(IAccessible* object) {
  long count = 0;
  if (FAILED(object->get_accChildCount(&count)) || count <= 0) return {};
  std::vector<VARIANT> children(static_cast<size_t>(count));
  for (VARIANT& v : children) VariantInit(&v);
  long obtained = 0;
  if (FAILED(AccessibleChildren(object, 0, count, children.data(), &obtained))) obtained = 0;
  for (size_t i = static_cast<size_t>(obtained); i < children.size(); ++i) VariantClear(&children[i]);
  children.resize(static_cast<size_t>(obtained));
  return children;
}

}  // namespace a11y
