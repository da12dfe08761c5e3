#pragma once
// An owned VARIANT, cleared when it goes. Copies are explicit (Copy).
#include <windows.h>
#include <ole2.h>

#include <utility>

namespace host::com {

class VariantValue {
 public:
  VariantValue() { VariantInit(&v_); }
  VariantValue(VariantValue&& other) noexcept : VariantValue() { std::swap(v_, other.v_); }
  VariantValue& operator=(VariantValue&& other) noexcept {
    std::swap(v_, other.v_);
    return *this;
  }
  VariantValue(const VariantValue&) = delete;
  VariantValue& operator=(const VariantValue&) = delete;
  ~VariantValue() { VariantClear(&v_); }

  // Takes over the contents of a VARIANT the caller owns, leaving it empty.
  static VariantValue Adopt(VARIANT& v) {
    VariantValue r;
    std::swap(r.v_, v);
    VariantInit(&v);
    return r;
  }
  // A deep copy; throws host::Error with the failure of VariantCopy.
  VariantValue Copy() const;

  const VARIANT& get() const { return v_; }
  VARIANT& get() { return v_; }
  // For out-parameters: clears what is held, then hands out the slot.
  VARIANT* put() {
    VariantClear(&v_);
    return &v_;
  }
  // Moves the contents into a caller's VARIANT, which must be empty.
  void Detach(VARIANT* out) {
    *out = v_;
    VariantInit(&v_);
  }

 private:
  VARIANT v_;
};

}  // namespace host::com
