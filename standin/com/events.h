#pragma once
// Connection points over the portable host's event sources. An object that
// raises events derives from Eventful<Itf>: it answers IConnectionPointContainer
// for its one event interface and IProvideClassInfo2 for its class, so that a
// client can find the event interface from the type information alone.
// Each advised sink is called through IDispatch::Invoke with the event's
// DISPID and its arguments in reverse order.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "host/events.h"
#include "host/int16.h"
#include "standin/com/automation.h"

namespace standin::com {

// Calls an event on a sink; args are in rgvarg order (the last argument
// first). A failure the sink reports is thrown as host::Error with the
// sink's code and description, for the host to record.
void Fire(IDispatch* sink, DISPID id, std::vector<VARIANTARG>& args);

// The base of each portable sink that calls one COM sink. Every event goes
// out through a reference of its own: a handler may unadvise itself, which
// drops the subscription's.
class SinkBridge {
 public:
  explicit SinkBridge(ComPtr<IDispatch> sink) : sink_(std::move(sink)) {}

 protected:
  void Raise(DISPID id, std::vector<VARIANTARG>& args) const { Fire(ComPtr<IDispatch>(sink_).get(), id, args); }
  // An event of an object and a flag the sink may set to cancel (Click,
  // OnPageClose): the flag goes by reference and what the sink left comes back.
  void RaiseCancellable(DISPID id, IDispatch* subject, host::Bool16& cancel) const;

 private:
  ComPtr<IDispatch> sink_;
};

// The sinks advised on one object, each with its portable connection.
class Subscriptions {
 public:
  // Advises the portable source for one COM sink; dropping the returned
  // connection stops delivery.
  using Advise = std::function<host::Connection(ComPtr<IDispatch> sink)>;

  explicit Subscriptions(Advise advise) : advise_(std::move(advise)) {}
  DWORD Add(ComPtr<IDispatch> sink);
  bool Remove(DWORD cookie);

 private:
  Advise advise_;
  std::map<DWORD, host::Connection> connections_;
  DWORD next_ = 1;
};

// Subscribes each COM sink through the portable source's Advise, with a
// Bridge (the portable sink that calls the COM one) living as long as the
// connection.
template <class Bridge, class Source>
Subscriptions::Advise AdviseThrough(host::Ref<Source> source) {
  if (!source) return nullptr;
  return [source](ComPtr<IDispatch> sink) {
    auto bridge = std::make_shared<Bridge>(std::move(sink));
    auto connection = std::make_shared<host::Connection>(source->Advise(*bridge));
    return host::Connection([bridge, connection] { connection->Reset(); });
  };
}

template <class Itf>
class Eventful : public Automation<Itf>, public IConnectionPointContainer, public IProvideClassInfo2 {
 public:
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override {
    if (!out) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *out = eventIid_;
    return S_OK;
  }

 protected:
  // clsid: the class whose type information names eventIid as its default
  // source; advise: subscribes a sink to the portable object's events, or
  // null when this object raises none.
  Eventful(const CLSID& clsid, const IID& eventIid, Subscriptions::Advise advise)
      : clsid_(clsid), eventIid_(eventIid),
        subscriptions_(advise ? std::make_shared<Subscriptions>(std::move(advise)) : nullptr) {}

  // The two interfaces beyond the face's own (host::com::ComObject asks).
  void* QueryMore(REFIID riid) {
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(this);
    return nullptr;
  }

 private:
  CLSID clsid_;
  IID eventIid_;
  std::shared_ptr<Subscriptions> subscriptions_;
};

// The connection point handed out by FindConnectionPoint; it keeps its
// container alive, and the container's subscriptions outlive it.
ComPtr<IConnectionPoint> MakeConnectionPoint(const IID& iid, ComPtr<IConnectionPointContainer> container,
                                             std::shared_ptr<Subscriptions> subscriptions);

// The coclass's type information from the host's own type library.
HRESULT ClassTypeInfo(const CLSID& clsid, ITypeInfo** out) noexcept;

template <class Itf>
HRESULT Eventful<Itf>::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != eventIid_ || !subscriptions_) return CONNECT_E_NOCONNECTION;
  return host::com::Guarded(IID_IConnectionPointContainer, kSource, [&] {
    *out = MakeConnectionPoint(eventIid_, ComPtr<IConnectionPointContainer>::Retain(this), subscriptions_).Detach();
  });
}

template <class Itf>
HRESULT Eventful<Itf>::GetClassInfo(ITypeInfo** out) {
  return ClassTypeInfo(clsid_, out);
}

}  // namespace standin::com
