#pragma once
// An owned SAFEARRAY, destroyed when it goes. Copies are deleted: a
// SAFEARRAY has one owner.
#include <windows.h>
#include <ole2.h>

#include <utility>

namespace host::com {

class SafeArray {
 public:
  SafeArray() = default;
  SafeArray(SafeArray&& other) noexcept : a_(std::exchange(other.a_, nullptr)) {}
  SafeArray& operator=(SafeArray&& other) noexcept {
    std::swap(a_, other.a_);
    return *this;
  }
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  ~SafeArray() { Destroy(); }

  // A one-dimensional array of `count` elements from 0; throws
  // host::Error(E_OUTOFMEMORY) when it cannot be made.
  static SafeArray Vector(VARTYPE type, ULONG count);
  static SafeArray Adopt(SAFEARRAY* a) {
    SafeArray r;
    r.a_ = a;
    return r;
  }

  SAFEARRAY* get() const { return a_; }
  SAFEARRAY** put() {
    Destroy();
    return &a_;
  }
  SAFEARRAY* Detach() { return std::exchange(a_, nullptr); }

  // Elements of a one-dimensional array; 0 for none.
  LONG size() const;

 private:
  void Destroy() {
    if (a_) SafeArrayDestroy(std::exchange(a_, nullptr));
  }
  SAFEARRAY* a_ = nullptr;
};

}  // namespace host::com
