#pragma once
// The one IUnknown of every COM object made here, as ATL's CComObject gives
// it: a class T implements its interfaces' methods and lists them as
//
//   using Implemented = host::com::Interfaces<IFirst, ISecond>;
//
// and is made as ComObject<T>, which answers QueryInterface for each of them
// (the first also for IUnknown, and for IDispatch when it is a dual), then
// for what T's QueryMore(riid) returns if T has one (interfaces known only at
// run time). ComObject<T> starts with its creator's one reference, and counts as
// a live object of its module while it exists.
#include <windows.h>
#include <ole2.h>

#include <type_traits>
#include <utility>

#include "host/com/module.h"

namespace host::com {

template <class... Itfs>
struct Interfaces {};

template <class List>
struct FirstOf;
template <class First, class... Rest>
struct FirstOf<Interfaces<First, Rest...>> {
  using type = First;
};
// The interface that stands for the object: its IUnknown.
template <class T>
using PrimaryOf = typename FirstOf<typename T::Implemented>::type;

template <class T>
class ComObject final : public T {
 public:
  template <class... Args>
  explicit ComObject(Args&&... args) : T(std::forward<Args>(args)...) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = Find(riid, typename T::Implemented{});
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = refs_.Drop();
    if (n == 0) delete this;
    return n;
  }

 private:
  template <class First, class... Rest>
  void* Find(REFIID riid, Interfaces<First, Rest...>) {
    auto* identity = static_cast<First*>(this);
    if (riid == IID_IUnknown || riid == __uuidof(First)) return identity;
    if constexpr (std::is_base_of_v<IDispatch, First>) {
      if (riid == IID_IDispatch) return static_cast<IDispatch*>(identity);
    }
    void* found = nullptr;
    (void)((riid == __uuidof(Rest) && (found = static_cast<void*>(static_cast<Rest*>(this)), true)) || ...);
    if constexpr (requires { this->QueryMore(riid); }) {
      if (!found) found = this->QueryMore(riid);
    }
    return found;
  }

  RefCount refs_;
};

// A new object of T, with the caller's one reference, as its primary interface.
template <class T, class... Args>
PrimaryOf<T>* New(Args&&... args) {
  return static_cast<PrimaryOf<T>*>(new ComObject<T>(std::forward<Args>(args)...));
}

}  // namespace host::com
