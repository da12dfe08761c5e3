#pragma once
// The base of every automation object the stand-in hands out, made as
// host::com::ComObject (whose reference count counts the object as live in this
// program's module, so the host can tell at quit whether every reference came
// back): IDispatch from the host's own type library, and rich error info for
// failures.
#include <windows.h>
#include <ole2.h>

#include "host/com/bstr.h"
#include "host/com/com_ptr.h"
#include "host/com/error_info.h"
#include "host/com/object.h"
#include "host/com/produce.h"
#include "host/com/type_info_dispatch.h"
#include "host/com/variant_value.h"
#include "standin/com/host_call_clock.h"
#include "standin_tlb.h"

namespace standin::com {

using host::com::ComPtr;

inline constexpr const OLECHAR* kSource = L"Standin.Application";

template <class Itf>
class Automation : public host::com::TypeInfoDispatch<Itf>, public ISupportErrorInfo {
 public:
  using Implemented = host::com::Interfaces<Itf, ISupportErrorInfo>;
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == __uuidof(Itf) ? S_OK : S_FALSE;
  }

 protected:
  Automation() = default;
  virtual ~Automation() = default;

  // Runs a method body: a failure becomes its HRESULT with error info.
  template <class Body>
  HRESULT Run(Body&& body) noexcept {
    const HostCallClock::InHost timed;
    return host::com::Guarded(__uuidof(Itf), kSource, std::forward<Body>(body));
  }
};

// The face of one object of the portable host, which it keeps as object_.
template <class Itf, class Portable>
class FaceOf : public Automation<Itf> {
 public:
  explicit FaceOf(host::Ref<Portable> object) : object_(std::move(object)) {}

 protected:
  host::Ref<Portable> object_;
};

// A new face for a portable object; none for none.
template <class Itf, class Face, class Portable>
ComPtr<Itf> NewFace(host::Ref<Portable> object) {
  if (!object) return nullptr;
  return ComPtr<Itf>::Adopt(host::com::New<Face>(std::move(object)));
}

// A property or method of a face with a result, timed as a host call.
template <class Itf, class Slot, class Make>
HRESULT Produce(Slot* out, Make&& make) noexcept {
  const HostCallClock::InHost timed;
  return host::com::Produce(__uuidof(Itf), kSource, out, std::forward<Make>(make));
}

}  // namespace standin::com
