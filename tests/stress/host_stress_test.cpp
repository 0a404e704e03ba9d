// A seeded stress test of the real host.
//
// One host with every control class (label, button, animated picture, edit
// box with scroll bars, progress bar, caption buttons, menu item, popup
// menus) is driven by long random sequences of real window messages: mouse,
// keys, accelerators, characters, input-method messages, focus, timers
// (also stale and foreign ones), size and move. Elements are created and
// destroyed (or deleted) at random, also from inside their own handlers,
// their parent's handlers and the host's callbacks; show and close effects
// and menus start from anywhere, and further steps run inside their message
// pumps; the host is torn down in the middle of any of this and built again.
// After every step the structure is checked: sibling links both ways, focus
// and hover elements alive and on the host, no destroyed object reachable
// through a handle; at rest also no queued redraws and no pending releases.
//
// Every run prints its seed. Replay one with QW_STRESS_SEED=<seed> (or
// --seed=<seed>); QW_STRESS_STEPS (or --steps=) sets the steps per seed and
// QW_STRESS_SEEDS (or --seeds=) the number of default seeds.
#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_env.h"
#include "tests/support/test_images.h"
#include "ui/controls/caption_button.h"
#include "ui/controls/edit.h"
#include "ui/controls/menu_item.h"
#include "ui/controls/menu_show.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/menu.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"
#include "ui/host/show_effects.h"
#include "ui/host/window.h"

using namespace ui;

namespace {

constexpr UINT kNestedStep = WM_APP + 100;  // posted to the driver: one step, wherever it is handled
constexpr UINT_PTR kWatchdogTimer = 1;      // keeps local loops moving and ends them
constexpr int kMaxNesting = 3;
constexpr int kMaxElements = 40;

// Settings from the environment or the command line (--name=value).
long Setting(const char* env, const wchar_t* flag, long fallback) {
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    const size_t n = std::wcslen(flag);
    long value = fallback;
    bool found = false;
    for (int i = 1; i < argc; ++i)
      if (std::wcsncmp(argv[i], flag, n) == 0) {
        value = std::wcstol(argv[i] + n, nullptr, 10);
        found = true;
      }
    LocalFree(argv);
    if (found) return value;
  }
  if (const char* v = std::getenv(env); v && *v) return std::strtol(v, nullptr, 10);
  return fallback;
}

// One application element and every handle it has had.
struct Slot {
  std::unique_ptr<UiElement> element;
  std::vector<ElementHandle> handles;
};

class Stress;
Stress* g_stress = nullptr;

// QW_STRESS_TRACE=1 prints every action (for replaying a failure).
bool Tracing() {
  static const bool on = [] {
    const char* v = std::getenv("QW_STRESS_TRACE");
    return v && *v == '1';
  }();
  return on;
}
#define TRACE(...)                        \
  do {                                    \
    if (Tracing()) {                      \
      std::printf("  [%d] ", nesting_);  \
      std::printf(__VA_ARGS__);           \
      std::printf("\n");                 \
      std::fflush(stdout);                \
    }                                     \
  } while (0)

LRESULT CALLBACK DriverProc(HWND h, UINT m, WPARAM wp, LPARAM lp);

class Stress {
 public:
  explicit Stress(unsigned seed) : rng_(seed), seed_(seed) { g_stress = this; }
  ~Stress() {
    g_stress = nullptr;
    SetEffectFrameObserver(nullptr);
    if (driver_) {
      KillTimer(driver_, kWatchdogTimer);
      DestroyWindow(driver_);
    }
    slots_.clear();
    host_.reset();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    qwtest::PumpPending();
  }

  // Runs `steps` top-level steps; false (with `failure`) on a broken invariant.
  bool Run(int steps) {
    Setup();
    for (int i = 0; i < steps && failure.empty(); ++i) {
      Step();
      if (!failure.empty()) break;
      if (Below(4) == 0) qwtest::PumpPending();
      Check(false);
      if (Below(8) == 0) {
        Settle();
        Check(true);
      }
    }
    if (failure.empty()) {
      Settle();
      Check(true);
    }
    return failure.empty();
  }

  std::string failure;
  int totalSteps = 0;
  int nestedSteps = 0;
  int hostsBuilt = 0;

  // ---- driver ---------------------------------------------------------------------
  void OnDriverMessage(UINT m, WPARAM wp) {
    if (m == kNestedStep) {
      if (nesting_ < kMaxNesting) {
        ++nestedSteps;
        Nested([&] { Step(); });
        Check(false);
      }
    } else if (m == WM_TIMER && wp == kWatchdogTimer) {
      // A local loop (menu) waits for messages: give it steps, then end it.
      if (CountMenus() == 0) {
        watchdogTicks_ = 0;
        return;
      }
      if (++watchdogTicks_ > 4) {
        CloseMenus();
        watchdogTicks_ = 0;
      } else {
        PostStep();
      }
    }
  }

 private:
  int Below(int n) { return n <= 1 ? 0 : static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

  template <class Fn>
  void Nested(Fn&& fn) {
    ++nesting_;
    fn();
    --nesting_;
  }

  void Fail(const std::string& what) {
    if (!failure.empty()) return;
    char text[160];
    std::snprintf(text, sizeof text, "seed %u, step %d (nesting %d): ", seed_, totalSteps, nesting_);
    failure = text + what;
  }

  void Setup() {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DriverProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"QwStressDriver";
      RegisterClassW(&wc);
      WNDCLASSW host{};
      host.style = CS_DBLCLKS;
      host.lpfnWndProc = DefWindowProcW;
      host.hInstance = GetModuleHandleW(nullptr);
      host.lpszClassName = L"QwStressHost";
      host.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
      return RegisterClassW(&host) != 0;
    }();
    (void)registered;
    driver_ = CreateWindowExW(0, L"QwStressDriver", L"driver", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetTimer(driver_, kWatchdogTimer, 30, nullptr);
    submenu_.AddRoutineItem("子项(&S)", [this] { ChaosFromCallback(50); });
    submenu_.AddRoutineItem("关闭(&C)", [this] { if (hwnd_ && IsWindow(hwnd_)) PostMessageW(hwnd_, WM_CLOSE, 0, 0); });
    SetEffectFrameObserver([this](const EffectFrame&) {
      // Steps inside the effect's pump; now and then something worse.
      if (Chance(30)) PostStep();
      if (Chance(4) && nesting_ < kMaxNesting) Nested([&] { Chaos(nullptr); });
    });
    EnsureHost();
  }

  void PostStep() { PostMessageW(driver_, kNestedStep, 0, 0); }

  // ---- the hosted window ----------------------------------------------------------------
  void EnsureHost() {
    if (nesting_ > 0) return;  // rebuilt at the top level only
    if (!hwnd_ || !IsWindow(hwnd_)) {
      hwnd_ = CreateWindowExW(0, L"QwStressHost", L"压力测试",
                              WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 30 + Below(60),
                              30 + Below(60), 260 + Below(160), 200 + Below(120), nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    }
    if (!host_) host_ = std::make_unique<UiWindow>();
    if (host_->IsAttached()) return;
    UiWindow::CreateOptions o;
    // No maximise box: a double click on the title would start the
    // system's modal move loop, which only real mouse input ends.
    o.captionStyle = caption::kIcon | caption::kTitle | caption::kClose | caption::kMinimize;
    o.frameMode = Below(2) ? 7 : 0;
    if (Chance(25)) o.windowAlpha = 200 + Below(56);
    o.backgroundColor = RGB(Below(256), 128, 200);
    o.resizable = false;   // an edge press would start the system's modal sizing loop
    o.dragToMove = false;  // ... and an empty-area press its modal move loop
    o.blurBehind = false;
    const int stepsBefore = totalSteps;
    if (!host_->Create(hwnd_, o)) {
      // The host's own callbacks (its first drawing's overlay) may run a
      // teardown while it attaches: it is built again at the next step.
      // Without such a step, or with a host left on the window, it is a fault.
      const UiWindow* left = hwnd_ && IsWindow(hwnd_) ? UiWindow::FromWindow(hwnd_) : nullptr;
      if (totalSteps != stepsBefore && !left) return;
      char why[160];
      std::snprintf(why, sizeof why, "the host did not attach (window alive %d, a host on it %d, steps inside %d)",
                    hwnd_ && IsWindow(hwnd_) ? 1 : 0, left ? 1 : 0, totalSteps - stepsBefore);
      Fail(why);
      return;
    }
    ++hostsBuilt;
    hostHandles_.push_back(host_->Handle());
    host_->SetCloseEffect(Below(3) == 0 ? 0 : 1 + Below(7));
    UiWindow* h = host_.get();
    auto chaos = [this](int percent) {
      if (Chance(percent) && nesting_ < kMaxNesting) Nested([&] { Chaos(nullptr); });
    };
    h->SetOnClick([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(15); });
    h->SetOnLeftDown([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(8); });
    h->SetOnMouseEnter([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(4); });
    h->SetOnMouseLeave([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(4); });
    h->SetOnFocus([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(8); });
    h->SetOnBlur([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(8); });
    h->SetOnRightUp([=](HWND, ElementHandle, WPARAM, LPARAM, int) { chaos(8); });
    h->SetOnResize([=](HWND, int, int) { chaos(10); });
    h->SetOnPaintOverlay([=](HWND, Gdiplus::GpGraphics*, const RectF&) { chaos(1); });
    h->SetOnMessage([=](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
      if (msg == WM_ACTIVATE || msg == WM_SETFOCUS || msg == WM_KILLFOCUS) chaos(5);
      return -1;
    });
    // A few elements of every class to start with.
    for (int i = 0; i < 8; ++i) CreateElement(i);
  }

  UiWindow* LiveHost() const { return host_ && host_->IsAttached() ? host_.get() : nullptr; }

  // ---- elements ----------------------------------------------------------------------------
  // Live application elements of the current host.
  std::vector<UiElement*> LiveElements() {
    std::vector<UiElement*> out;
    UiWindow* h = LiveHost();
    for (Slot& s : slots_)
      if (s.element && s.element->IsCreated() && s.element->Host() == h && h) out.push_back(s.element.get());
    return out;
  }
  UiElement* AnyElement() {
    auto live = LiveElements();
    return live.empty() ? nullptr : live[Below(static_cast<int>(live.size()))];
  }

  void CreateElement(int kindChoice = -1) {
    UiWindow* h = LiveHost();
    if (!h || slots_.size() >= kMaxElements) return;
    const SIZE size = h->ClientSize();
    UiParent parent(h->Window());
    if (Chance(30))
      if (UiElement* p = AnyElement()) parent = UiParent(*p);
    const int x = Below(std::max<int>(1, size.cx - 40)), y = 30 + Below(std::max<int>(1, size.cy - 70));
    const int w = 16 + Below(120), ht = 12 + Below(60);
    const int choice = kindChoice >= 0 ? kindChoice % 8 : Below(8);
    TRACE("create %d", choice);
    std::unique_ptr<UiElement> e;
    switch (choice) {
      case 0: {
        auto label = std::make_unique<UiLabel>();
        LabelOptions lo;
        lo.wordWrap = Chance(50);
        lo.gradientMode = Below(5) - 1;
        lo.backColor1 = 0x80FF0000;
        label->Create(parent, x, y, w, ht, "标签 label", lo);
        e = std::move(label);
        break;
      }
      case 1: {
        auto button = std::make_unique<UiButton>();
        button->Create(parent, x, y, w, ht, Chance(50) ? "按钮(&B)" : "OK");
        e = std::move(button);
        break;
      }
      case 2: {
        auto picture = std::make_unique<UiPicture>();
        PictureOptions po;
        po.animate = true;
        po.fixZeroDelays = true;
        picture->Create(parent, x, y, w, ht, qwtest::ThreeFrameGif(), po);
        e = std::move(picture);
        break;
      }
      case 3: {
        auto edit = std::make_unique<UiEdit>();
        EditOptions eo;
        eo.multiLine = Chance(70);
        eo.text = "第一行\r\nline two\r\nthree";
        eo.scrollBars = eo.multiLine ? 3 : 0;
        edit->Create(parent, x, y, std::max(w, 60), std::max(ht, 40), eo);
        e = std::move(edit);
        break;
      }
      case 4: {
        auto bar = std::make_unique<UiProgressBar>();
        ProgressBarOptions po;
        po.position = Below(101);
        po.vertical = Chance(30);
        bar->Create(parent, x, y, w, ht, po);
        e = std::move(bar);
        break;
      }
      case 5: {
        auto cap = std::make_unique<UiCaptionButton>();
        cap->Create(parent, x, y, 28, 19, 4 << Below(3));
        e = std::move(cap);
        break;
      }
      case 6: {
        auto item = std::make_unique<UiMenuItem>();
        UiMenuItemRecord record;
        record.text = L"菜单项(&M)";
        record.kind = Chance(20) ? UiMenu::kSubmenu : UiMenu::kCommand;
        record.submenu = record.kind == UiMenu::kSubmenu ? &submenu_ : nullptr;
        record.routine = [this] { ChaosFromCallback(30); };
        item->Create(parent, x, y, std::max(w, 60), 22, record);
        e = std::move(item);
        break;
      }
      default: {
        auto bar = std::make_unique<UiScrollBar>();
        bar->Create(parent, x, y, Chance(50) ? 17 : w, Chance(50) ? ht : 17);
        e = std::move(bar);
        break;
      }
    }
    if (!e || !e->IsCreated()) return;  // a handler may already have destroyed it
    BindChaos(*e);
    if (Chance(30)) e->Transition(3 + Below(4), 15 + Below(30));
    if (Chance(20)) h->SetAccelerator(e.get(), 'a' + Below(26));
    Slot slot;
    slot.handles.push_back(e->GetHandle());
    slot.element = std::move(e);
    slots_.push_back(std::move(slot));
  }

  void BindChaos(UiElement& e) {
    static constexpr UINT kMessages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, ev::kClick, ev::kMouseEnter,
                                         ev::kMouseLeave, ev::kFocusGained, ev::kFocusLost, WM_KEYDOWN,
                                         WM_CHAR, WM_TIMER, ev::kShown, ev::kHidden, ev::kMoved,
                                         ev::kPaint, ev::kTransitionFinished, WM_MOUSEWHEEL};
    for (UINT m : kMessages) {
      if (!Chance(40)) continue;
      const int percent = m == ev::kPaint ? 3 : (m == WM_TIMER ? 4 : 12);
      UiElement* self = &e;
      e.BindEvent(m, [this, self, percent](const ElementEvent& event) {
        if (!Chance(percent) || nesting_ >= kMaxNesting) return;
        // The element is the event's own; it is live while its handler runs.
        Nested([&] { Chaos(UiElement::FromHandle(event.element) == self ? self : nullptr); });
      });
    }
  }

  Slot* SlotOf(const UiElement* e) {
    for (Slot& s : slots_)
      if (s.element.get() == e) return &s;
    return nullptr;
  }

  // Deletes the application's object (its memory goes with it).
  void DeleteElement(UiElement* e) {
    for (auto it = slots_.begin(); it != slots_.end(); ++it) {
      if (it->element.get() != e) continue;
      std::unique_ptr<UiElement> doomed = std::move(it->element);
      staleHandles_.insert(staleHandles_.end(), it->handles.begin(), it->handles.end());
      slots_.erase(it);
      doomed.reset();
      return;
    }
  }

  // Objects that are no longer created are deleted now and then.
  void Prune() {
    for (size_t i = 0; i < slots_.size();) {
      if (slots_[i].element && !slots_[i].element->IsCreated() && Chance(50)) {
        DeleteElement(slots_[i].element.get());
        continue;
      }
      ++i;
    }
  }

  void RecordHandle(UiElement* e) {
    if (Slot* s = SlotOf(e); s && e->IsCreated() &&
                             (s->handles.empty() || s->handles.back() != e->GetHandle()))
      s->handles.push_back(e->GetHandle());
  }

  // ---- actions -------------------------------------------------------------------------------
  POINT RandomPoint() {
    UiWindow* h = LiveHost();
    if (!h) return POINT{Below(300), Below(200)};
    if (Chance(75)) {
      if (UiElement* e = AnyElement()) {
        const RectF b = e->Bounds();
        return POINT{static_cast<LONG>(b.x) + Below(std::max(1, static_cast<int>(b.width))),
                     static_cast<LONG>(b.y) + Below(std::max(1, static_cast<int>(b.height)))};
      }
    }
    const SIZE s = h->ClientSize();
    return POINT{Below(std::max<int>(1, s.cx)), Below(std::max<int>(1, s.cy))};
  }

  void Deliver(UINT m, WPARAM wp, LPARAM lp) {
    if (!hwnd_ || !IsWindow(hwnd_)) return;
    const bool send = Chance(65);
    TRACE("%s %04x %llx %llx", send ? "send" : "post", m, static_cast<unsigned long long>(wp),
          static_cast<unsigned long long>(lp));
    if (send)
      SendMessageW(hwnd_, m, wp, lp);
    else
      PostMessageW(hwnd_, m, wp, lp);
  }

  void Mouse() {
    const POINT p = RandomPoint();
    const LPARAM at = MAKELPARAM(p.x, p.y);
    switch (Below(9)) {
      case 0: case 1: case 2: Deliver(WM_MOUSEMOVE, 0, at); break;
      case 3: Deliver(WM_LBUTTONDOWN, MK_LBUTTON, at); break;
      case 4: Deliver(WM_LBUTTONUP, 0, at); break;
      case 5: Deliver(WM_LBUTTONDBLCLK, MK_LBUTTON, at); break;
      case 6:
        // A right click may open the edit box's menu: its local loop gets
        // steps from the watchdog, which also ends it.
        Deliver(WM_RBUTTONDOWN, MK_RBUTTON, at);
        Deliver(WM_RBUTTONUP, 0, at);
        break;
      case 7: Deliver(WM_MOUSEWHEEL, MAKEWPARAM(0, Chance(50) ? 120 : -120), at); break;
      default: Deliver(WM_MOUSELEAVE, 0, 0); break;
    }
  }

  void Keys() {
    static constexpr WPARAM kKeys[] = {VK_TAB, VK_RETURN, VK_SPACE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN,
                                       VK_HOME, VK_END, VK_BACK, VK_DELETE, VK_PRIOR, VK_NEXT,
                                       VK_ESCAPE, 'A', 'Q'};
    switch (Below(7)) {
      case 0: case 1: Deliver(WM_KEYDOWN, kKeys[Below(16)], 1); break;
      case 2: Deliver(WM_KEYUP, kKeys[Below(16)], 0xC0000001); break;
      case 3: {
        static constexpr wchar_t kChars[] = {L'a', L'Z', L' ', L'\r', L'\b', 0x4E2D, 0x6587, L'9', 0x01};
        Deliver(WM_CHAR, kChars[Below(9)], 1);
        break;
      }
      // Accelerators. Without the Alt flag in lParam: with it the default
      // procedure would start the system menu's modal keyboard loop.
      case 4: Deliver(WM_SYSCHAR, 'a' + Below(26), 0); break;
      case 5: Deliver(WM_SYSKEYDOWN, 'A' + Below(26), 0); break;
      default: {
        const UINT ime[] = {WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION,
                            WM_IME_CHAR};
        const UINT m = ime[Below(4)];
        Deliver(m, m == WM_IME_CHAR ? 0x4E2D : 0, m == WM_IME_COMPOSITION ? GCS_RESULTSTR : 0);
        break;
      }
    }
  }

  void Focus() {
    UiWindow* h = LiveHost();
    switch (Below(5)) {
      case 0: if (hwnd_ && IsWindow(hwnd_)) SetFocus(hwnd_); break;
      case 1: SetFocus(driver_); break;
      case 2: Deliver(WM_ACTIVATE, WA_INACTIVE, 0); break;
      case 3: Deliver(WM_ACTIVATE, WA_ACTIVE, 0); break;
      default:
        if (h)
          if (UiElement* e = AnyElement()) h->SetFocusElement(e, Chance(50));
        break;
    }
  }

  void Timers() {
    UINT_PTR id = static_cast<UINT_PTR>(1 + Below(5));
    const int pick = Below(4);
    if (pick == 0) {
      if (UiElement* e = AnyElement()) id = e->GetHandle() + Below(2);
    } else if (pick == 1 && !staleHandles_.empty()) {
      id = staleHandles_[Below(static_cast<int>(staleHandles_.size()))] + Below(2);
    } else if (pick == 2 && !hostHandles_.empty()) {
      id = hostHandles_[Below(static_cast<int>(hostHandles_.size()))];
    }
    Deliver(WM_TIMER, id, 0);
  }

  void SizeAndMove() {
    if (!hwnd_ || !IsWindow(hwnd_)) return;
    if (Chance(15)) {
      Deliver(WM_SIZE, SIZE_MINIMIZED, 0);
      return;
    }
    SetWindowPos(hwnd_, nullptr, 20 + Below(80), 20 + Below(80), 200 + Below(220), 150 + Below(170),
                 SWP_NOZORDER | SWP_NOACTIVATE | (Chance(40) ? SWP_NOSIZE : 0));
  }

  void Properties() {
    UiElement* e = AnyElement();
    if (!e) return;
    const int what = Below(16);
    TRACE("property %d of %p", what, static_cast<void*>(e));
    switch (what) {
      case 0: e->Visible(!e->Visible()); break;
      case 1: e->Disabled(!e->Disabled()); break;
      case 2: e->SetBounds(e->Left() + Below(21) - 10, e->Top() + Below(21) - 10, 10 + Below(120), 10 + Below(60)); break;
      case 3: e->SetZOrder(Chance(50) ? 1 : 2, Chance(70)); break;
      case 4: {
        UiElement* p = AnyElement();
        e->SetParent(Chance(30) || !p ? ElementHandle{0} : p->GetHandle());
        break;
      }
      case 5: e->Opacity(Below(256)); break;
      case 6: e->Repaint(); break;
      case 7: e->Refresh(); break;
      case 8: e->TipText("提示", true); break;
      case 9:
        if (UiWindow* h = LiveHost()) h->SetAccelerator(e, Chance(30) ? 0 : 'a' + Below(26));
        break;
      default:
        if (auto* label = dynamic_cast<UiLabel*>(e)) {
          label->Text(Chance(50) ? "新的文字" : "text", Chance(30) ? std::optional<int>(Below(5)) : std::nullopt, 3, 20);
        } else if (auto* button = dynamic_cast<UiButton*>(e)) {
          button->Text(Chance(50) ? "确定(&O)" : "Cancel");
        } else if (auto* picture = dynamic_cast<UiPicture*>(e)) {
          picture->Animate(!picture->Animate());
        } else if (auto* edit = dynamic_cast<UiEdit*>(e)) {
          if (Chance(50))
            edit->Text(Chance(50) ? "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh" : "", Chance(50));
          else
            edit->InsertText("插入");
        } else if (auto* bar = dynamic_cast<UiProgressBar*>(e)) {
          bar->Position(Below(120) - 10);
        } else if (auto* scroll = dynamic_cast<UiScrollBar*>(e)) {
          scroll->Refresh();
        }
        break;
    }
    RecordHandle(e);
  }

  void Effects() {
    UiWindow* h = LiveHost();
    if (!h) return;
    for (int i = Below(3); i > 0; --i) PostStep();  // they run inside the effect's pump
    switch (Below(4)) {
      case 0: case 1: {
        static constexpr int kEffects[] = {0, 1, 3, 4, 5, 6, 7};
        const int effect = kEffects[Below(7)];
        TRACE("show %d", effect);
        h->Show(effect, 10 + Below(30));
        break;
      }
      case 2: h->SetCloseEffect(Below(8)); break;
      default: Deliver(WM_CLOSE, 0, 0); break;  // ends in host teardown
    }
  }

  void Menus() {
    if (nesting_ >= kMaxNesting - 1 || !hwnd_ || !IsWindow(hwnd_)) return;
    if (CountMenus() > 0) {
      if (Chance(60)) CloseMenus();
      return;
    }
    menu_.Clear();
    menu_.AddRoutineItem("动作(&A)", [this] { ChaosFromCallback(50); });
    menu_.AddSubmenuItem("更多(&M)", &submenu_);
    menu_.AddItem("-", {}, 0, UiMenu::kSeparator);
    menu_.AddRoutineItem("关闭(&C)", [this] { if (hwnd_ && IsWindow(hwnd_)) PostMessageW(hwnd_, WM_CLOSE, 0, 0); });
    menu_.SetPopupHandler([this](HWND, bool) {
      for (int i = 1 + Below(3); i > 0; --i) PostStep();
    });
    RECT r{};
    GetWindowRect(hwnd_, &r);
    TRACE("menu");
    Nested([&] { ShowMenu(menu_, hwnd_, r.left + 20 + Below(100), r.top + 20 + Below(100)); });
  }

  void TearDown() {
    const int what = Below(3);
    TRACE("teardown %d", what);
    switch (what) {
      case 0:
        host_.reset();  // deleting the host object detaches it
        break;
      case 1:
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        break;
      default:
        if (host_) host_->Detach();
        break;
    }
  }

  // Something destructive, possibly from inside a handler of `self`.
  void Chaos(UiElement* self) {
    ++totalSteps;
    const int what = Below(14);
    TRACE("chaos %d on %p", what, static_cast<void*>(self));
    switch (what) {
      case 0: if (self) self->Destroy(); break;
      case 1: if (self && SlotOf(self)) DeleteElement(self); break;
      case 2:
        if (self)
          if (UiElement* parent = self->ParentElement()) Chance(50) ? parent->Destroy() : DeleteElement(parent);
        break;
      case 3: if (UiElement* e = AnyElement()) DeleteElement(e); break;
      case 4: CreateElement(); break;
      case 5:
        if (self && self->IsCreated()) self->Visible(!self->Visible());
        break;
      case 6: if (self && self->IsCreated()) self->SetZOrder(Below(2) + 1); break;
      case 7: if (Chance(30)) TearDown(); break;
      case 8: if (Chance(30)) Effects(); break;
      case 9: if (hwnd_ && IsWindow(hwnd_) && Chance(30)) PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
      case 10: if (Chance(20)) Menus(); break;
      case 11: Step(); break;  // a whole step from inside the handler
      case 12: if (self && self->IsCreated()) self->SetBounds(self->Left() + 3, {}, {}, {}); break;
      default: Properties(); break;
    }
  }

  void ChaosFromCallback(int percent) {
    if (Chance(percent) && nesting_ < kMaxNesting) Nested([&] { Chaos(nullptr); });
  }

  // One random step.
  void Step() {
    ++totalSteps;
    if (!LiveHost() && nesting_ == 0) {
      EnsureHost();
      return;
    }
    const int roll = Below(100);
    TRACE("step %d: %d", totalSteps, roll);
    if (roll < 30) Mouse();
    else if (roll < 44) Keys();
    else if (roll < 49) Focus();
    else if (roll < 54) Timers();
    else if (roll < 57) SizeAndMove();
    else if (roll < 66) CreateElement();
    else if (roll < 72) {
      if (UiElement* e = AnyElement()) Chance(50) ? e->Destroy() : DeleteElement(e);
    } else if (roll < 84) Properties();
    else if (roll < 85) Effects();  // effects sleep between frames: rarer
    else if (roll < 87) Menus();
    else if (roll < 88) TearDown();
    else if (roll < 91) {
      if (UiWindow* h = LiveHost()) {
        h->HoldRedraws();
        Properties();
        h->ReleaseRedraws();
      }
    } else if (roll < 93) Prune();
    else qwtest::PumpPending();
  }

  int CountMenus() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) __attribute__((stdcall)) -> BOOL {
          wchar_t title[32] = {};
          GetWindowTextW(w, title, 32);
          if (std::wcscmp(title, L"Zq_DirectUI_Menu") == 0) ++*reinterpret_cast<int*>(p);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
  }

  void CloseMenus() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) __attribute__((stdcall)) -> BOOL {
          wchar_t title[32] = {};
          GetWindowTextW(w, title, 32);
          if (std::wcscmp(title, L"Zq_DirectUI_Menu") == 0) PostMessageW(w, WM_CLOSE, 0, 0);
          return TRUE;
        },
        0);
  }

  // Until nothing is pending: no menu, no posted work, no effect.
  void Settle() {
    for (int round = 0; round < 200; ++round) {
      CloseMenus();
      qwtest::PumpPending();
      if (CountMenus() == 0) break;
      Sleep(1);
    }
    EnsureHost();
    qwtest::PumpPending();
  }

  // ---- invariants ------------------------------------------------------------------------------
  void CheckList(UiWindow* host, UiElement* parent, UiElement* first, UiElement* last, int& budget) {
    UiElement* prev = nullptr;
    for (UiElement* e = first; e; e = e->NextSibling()) {
      if (--budget < 0) return Fail("element lists do not end (a cycle)");
      if (e->PrevSibling() != prev) return Fail("a sibling's back link is wrong");
      if (!e->IsCreated() || UiElement::FromHandle(e->GetHandle()) != e)
        return Fail("a destroyed element is still linked");
      if (e->Host() != host) return Fail("an element of another host is linked");
      if (e->ParentElement() != parent) return Fail("a child names another parent");
      CheckList(host, e, e->FirstChild(), e->LastChild(), budget);
      if (!failure.empty()) return;
      prev = e;
    }
    if (prev != last) Fail("the list's last link is wrong");
  }

  void CheckMember(UiWindow* host, UiElement* e, const char* what) {
    if (!e) return;
    if (!e->IsCreated() || e->Host() != host || UiElement::FromHandle(e->GetHandle()) != e)
      Fail(std::string("the ") + what + " element is not a live element of the host");
  }

  // Every heap of the process is consistent. Under Wine's heap checking
  // (QW_STRESS_HEAP_VALIDATE=1, set by the heap-checked run) every check at
  // rest validates them, so that a write to freed memory is found near the
  // step that made it; otherwise now and then.
  bool HeapsIntact() {
    static const bool always = [] {
      const char* v = std::getenv("QW_STRESS_HEAP_VALIDATE");
      return v && *v == '1';
    }();
    if (!always && ++restChecks_ % 64 != 0) return true;
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; ++i)
      if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    return true;
  }

  void Check(bool atRest) {
    if (!failure.empty()) return;
    // No destroyed object is reachable through a handle.
    const size_t from = staleHandles_.size() > 400 ? staleHandles_.size() - 400 : 0;
    for (size_t i = from; i < staleHandles_.size(); ++i)
      if (UiElement::FromHandle(staleHandles_[i])) return Fail("a deleted element's handle resolves");
    for (Slot& s : slots_) {
      if (!s.element) continue;
      for (ElementHandle h : s.handles) {
        UiElement* found = UiElement::FromHandle(h);
        const bool current = s.element->IsCreated() && s.element->GetHandle() == h;
        if (found && !current) return Fail("a destroyed element's handle resolves");
        if (current && found != s.element.get()) return Fail("a live element's handle does not resolve");
      }
    }
    for (std::uintptr_t h : hostHandles_) {
      UiWindow* found = UiWindow::FromHandle(h);
      if (found && !(found == host_.get() && found->IsAttached() && found->Handle() == h))
        return Fail("a stale host handle resolves");
    }
    UiWindow* host = LiveHost();
    if (hwnd_ && IsWindow(hwnd_) && UiWindow::FromWindow(hwnd_) != host)
      return Fail("the window resolves to the wrong host");
    if (!host) return;
    int budget = 10000;
    CheckList(host, nullptr, host->FirstElement(), host->LastElement(), budget);
    CheckMember(host, host->FocusedElement(), "focused");
    CheckMember(host, host->HoverElement(), "hover");
    CheckMember(host, host->PressedElement(), "pressed");
    CheckMember(host, host->KeyboardFocus(), "keyboard focus");
    if (!atRest || !failure.empty()) return;
    if (!HeapsIntact()) return Fail("a heap is damaged (a write to freed memory?)");
    if (!host->RedrawsHeld() && host->PendingRedraws() != 0) Fail("redraws are queued at rest");
    if (PendingReleases() != 0) Fail("releases are pending at rest");
    if (host->EffectRunning()) Fail("an effect runs at rest");
  }

  std::mt19937 rng_;
  unsigned seed_;
  HWND driver_ = nullptr;
  HWND hwnd_ = nullptr;
  std::unique_ptr<UiWindow> host_;
  std::vector<Slot> slots_;
  std::vector<ElementHandle> staleHandles_;
  std::vector<std::uintptr_t> hostHandles_;
  UiMenu menu_, submenu_;
  int nesting_ = 0;
  int watchdogTicks_ = 0;
  int restChecks_ = 0;
};

LRESULT CALLBACK DriverProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if ((m == kNestedStep || m == WM_TIMER) && g_stress) {
    g_stress->OnDriverMessage(m, wp);
    return 0;
  }
  return DefWindowProcW(h, m, wp, lp);
}

}  // namespace

TEST(HostStress, RandomMessagesKeepEveryInvariant) {
  const long replay = Setting("QW_STRESS_SEED", L"--seed=", -1);
  const int steps = static_cast<int>(Setting("QW_STRESS_STEPS", L"--steps=", 2000));
  const int seedCount = static_cast<int>(Setting("QW_STRESS_SEEDS", L"--seeds=", 3));
  std::vector<unsigned> seeds;
  if (replay >= 0) {
    seeds.push_back(static_cast<unsigned>(replay));
  } else {
    for (int i = 0; i < seedCount; ++i) seeds.push_back(1000u + 7919u * static_cast<unsigned>(i));
  }
  for (unsigned seed : seeds) {
    std::printf("host_stress: seed %u, %d steps (replay: QW_STRESS_SEED=%u)\n", seed, steps, seed);
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    Stress stress(seed);
    const bool ok = stress.Run(steps);
    std::printf("host_stress: seed %u: %d steps (%d nested), %d hosts built, %lu ms\n", seed,
                stress.totalSteps, stress.nestedSteps, stress.hostsBuilt,
                static_cast<unsigned long>(GetTickCount() - start));
    std::fflush(stdout);
    EXPECT_TRUE(ok) << stress.failure << "\n  replay: QW_STRESS_SEED=" << seed;
    if (!ok) break;
  }
}
