#pragma once
// The one owner of a handle (a BSTR, a SAFEARRAY, a registry key), freed
// with `Free` when it goes; moved, never copied. Derived classes add what
// their handle does.
#include <utility>

namespace host::com {

template <class Derived, class Handle, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    std::swap(h_, other.h_);
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  // Takes over a handle the caller owns.
  static Derived Adopt(Handle h) {
    Derived d;
    *d.put() = h;
    return d;
  }

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Handle{}; }
  // For out-parameters: frees what is held, then hands out the slot.
  Handle* put() {
    Reset();
    return &h_;
  }
  Handle Detach() { return std::exchange(h_, Handle{}); }

 private:
  void Reset() {
    if (h_) Free(std::exchange(h_, Handle{}));
  }
  Handle h_{};
};

}  // namespace host::com
