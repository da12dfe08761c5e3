#pragma once
// An owning interface pointer: Adopt takes over a reference the caller owns,
// Retain adds one, and put() releases the old pointer before handing out the
// address for an out-parameter.
#include <windows.h>
#include <ole2.h>

#include <utility>

namespace host::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT: null converts implicitly, as for raw pointers
  ComPtr(const ComPtr& other) : p_(other.p_) { AddRef(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Release(); }

  // Takes a new reference to a pointer somebody else owns.
  static ComPtr Retain(T* p) {
    ComPtr r;
    r.p_ = p;
    r.AddRef();
    return r;
  }
  // Adopts a reference the caller owns.
  static ComPtr Adopt(T* p) {
    ComPtr r;
    r.p_ = p;
    return r;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-parameters: releases what is held, then hands out the slot.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  void reset() {
    Release();
    p_ = nullptr;
  }
  // Gives up ownership without releasing, e.g. into an out-parameter.
  T* Detach() { return std::exchange(p_, nullptr); }

  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> r;
    if (p_) p_->QueryInterface(__uuidof(U), r.put_void());
    return r;
  }

 private:
  void AddRef() {
    if (p_) p_->AddRef();
  }
  void Release() {
    if (p_) p_->Release();
  }
  T* p_ = nullptr;
};

}  // namespace host::com
