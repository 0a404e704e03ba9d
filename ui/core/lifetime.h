#pragma once
// Lifetimes of the library's objects (hosts and elements).
//
// Everything runs on the UI thread, and the library pumps messages from
// inside itself (effects, the menu loop, Show) and calls out to element
// events and application callbacks. So an object can be destroyed while a
// call further up the stack still uses it. Three pieces make that safe by
// construction instead of by a check at every call site:
//
//  - WeakRef<T> is the one way to ask "is it still there?" after a callout
//    or a pump. It shares a small cell with the object's LifeAnchor; the
//    object clears the cell when its life (or one incarnation of it) ends,
//    so asking never touches the object's own memory.
//  - Handles (HandleRegistry) are numbers that are never reused within a
//    run: a handle of a destroyed object resolves to nothing, never to a
//    newer object that happens to live at the same address.
//  - DispatchScope counts how deeply the thread is inside the library's
//    message handling and pumps. ReleaseLater puts releases (memory, GDI
//    and GDI+ objects) off until the outermost scope has returned, so a
//    frame further up the stack never works on freed state.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

namespace ui {

namespace lifetime_detail {
struct Cell {
  void* object = nullptr;  // null once the life it stands for has ended
};
}  // namespace lifetime_detail

template <class T>
class WeakRef;

// The owning side: a member of the object whose life it tracks.
class LifeAnchor {
 public:
  LifeAnchor() : cell_(std::make_shared<lifetime_detail::Cell>()) {}
  LifeAnchor(const LifeAnchor&) = delete;
  LifeAnchor& operator=(const LifeAnchor&) = delete;
  ~LifeAnchor() { cell_->object = nullptr; }

  // Starts a life of `object`: references taken from now on see it.
  void Begin(void* object) {
    End();
    cell_->object = object;
  }
  // Ends the current life: every reference taken so far reads null from now
  // on, also after a later Begin (a new life gets a new cell).
  void End() {
    if (!cell_->object) return;
    cell_->object = nullptr;
    cell_ = std::make_shared<lifetime_detail::Cell>();
  }
  bool Live() const { return cell_->object != nullptr; }

 private:
  template <class T>
  friend class WeakRef;
  std::shared_ptr<lifetime_detail::Cell> cell_;
};

// A reference that reads null once the object's current life has ended.
// Taken from an object that is not live, it is null from the start.
template <class T>
class WeakRef {
 public:
  WeakRef() = default;
  WeakRef(std::nullptr_t) {}  // NOLINT: implicit on purpose
  // `object` must expose `const LifeAnchor& Life() const`.
  WeakRef(const T* object) {  // NOLINT: implicit on purpose
    if (object && object->Life().Live()) cell_ = object->Life().cell_;
  }

  T* get() const { return cell_ ? static_cast<T*>(cell_->object) : nullptr; }
  T* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }
  // True when this reference was taken from a live object (whether or not
  // that object is still live).
  bool Bound() const { return cell_ != nullptr; }
  void reset() { cell_.reset(); }

  bool operator==(const T* other) const { return get() == other; }
  bool operator==(const WeakRef& other) const { return get() == other.get(); }

 private:
  std::shared_ptr<lifetime_detail::Cell> cell_;
};

// ---- handles --------------------------------------------------------------------

// A fresh handle: even (handle + 1 is free for a second timer of the same
// object), far above small application timer identifiers, and not used
// before in this run (the counter wraps only after hundreds of millions of
// objects, and then skips numbers still in use).
std::uintptr_t NewHandle(bool (*inUse)(std::uintptr_t));

// Handle -> live object, for one class of objects.
template <class T>
class HandleRegistry {
 public:
  std::uintptr_t Add(T* object) {
    const std::uintptr_t h = NewHandle(&InUse);
    Map()[h] = object;
    return h;
  }
  void Remove(std::uintptr_t handle) { Map().erase(handle); }
  T* Find(std::uintptr_t handle) const {
    if (handle == 0) return nullptr;
    auto it = Map().find(handle);
    return it == Map().end() ? nullptr : it->second;
  }
  template <class Fn>
  void ForEach(Fn&& fn) const {
    for (const auto& [h, object] : Map()) fn(object);
  }
  std::size_t Size() const { return Map().size(); }

 private:
  static std::unordered_map<std::uintptr_t, T*>& Map() {
    static auto* map = new std::unordered_map<std::uintptr_t, T*>();
    return *map;
  }
  static bool InUse(std::uintptr_t h) { return Map().count(h) != 0; }
};

// ---- deferred release ---------------------------------------------------------------

// Held while the library handles a message or runs a loop that pumps.
class DispatchScope {
 public:
  DispatchScope();
  ~DispatchScope();
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;
};

// Nesting of DispatchScope on this thread; 0 outside the library's handling.
int DispatchDepth();
// Runs `release` once the outermost DispatchScope has returned; at once
// when there is none.
void ReleaseLater(std::function<void()> release);
// Frees a library object's memory (its class's operator delete) later in
// the same way.
void FreeLater(void* memory);
// Releases waiting for the outermost scope.
std::size_t PendingReleases();

}  // namespace ui
