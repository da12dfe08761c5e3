#include "host/com/dispatch/event_sink.h"

#include <ocidl.h>

#include "host/com/bstr.h"
#include "host/com/error_info.h"
#include "host/com/object.h"
#include "host/com/untyped_dispatch.h"
#include "host/error.h"

namespace host::com {

namespace {

// Made as ComObject<EventSink>: an advised sink keeps the DLL loaded, as the
// host may still call it.
class EventSink : public UntypedDispatch {
 public:
  using Implemented = Interfaces<IDispatch>;
  EventSink(const IID& events, EventHandler handler) : events_(events), handler_(std::move(handler)) {}

  // Calls that arrive after the unadvise reach nobody.
  void Detach() { handler_ = nullptr; }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (result) VariantInit(result);
    if (!handler_) return S_OK;
    DISPPARAMS none{};
    // The handler may drop the last reference to this sink's advisory.
    const ComPtr<IDispatch> keepAlive = ComPtr<IDispatch>::Retain(this);
    try {
      EventHandler handler = handler_;
      handler(member, params ? *params : none);
      return S_OK;
    } catch (...) {
      return Failed(exception);
    }
  }

 protected:
  ~EventSink() = default;
  // The events interface, known only once the source's type information was read.
  void* QueryMore(REFIID iid) { return iid == events_ ? static_cast<IDispatch*>(this) : nullptr; }

 private:
  // Only inside a catch block: the failure, as the host's EXCEPINFO.
  static HRESULT Failed(EXCEPINFO* exception) noexcept {
    const FailureDescription failure = DescribeCurrentException();
    if (!exception) return failure.hr;
    *exception = EXCEPINFO{};
    exception->scode = failure.hr;
    exception->bstrDescription = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(failure.description.data()),
                                                   static_cast<UINT>(failure.description.size()));
    return DISP_E_EXCEPTION;
  }

  IID events_;
  EventHandler handler_;
};

struct TypeAttr {
  ITypeInfo* info;
  TYPEATTR* attr = nullptr;
  explicit TypeAttr(ITypeInfo* i) : info(i) {
    if (FAILED(info->GetTypeAttr(&attr))) attr = nullptr;
  }
  ~TypeAttr() {
    if (attr) info->ReleaseTypeAttr(attr);
  }
  TypeAttr(const TypeAttr&) = delete;
  TypeAttr& operator=(const TypeAttr&) = delete;
};

std::optional<DISPID> MemberOf(ITypeInfo* info, const char16_t* member) {
  auto* name = const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(member));
  MEMBERID id = MEMBERID_NIL;
  if (FAILED(info->GetIDsOfNames(&name, 1, &id))) return std::nullopt;
  return id;
}

// The source interfaces of a coclass, its default one first.
std::optional<EventInterface> SearchSources(ITypeInfo* coclass, const char16_t* member) {
  const TypeAttr attr(coclass);
  if (!attr.attr || attr.attr->typekind != TKIND_COCLASS) return std::nullopt;
  for (const bool wantDefault : {true, false}) {
    for (UINT i = 0; i < attr.attr->cImplTypes; ++i) {
      INT flags = 0;
      if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FSOURCE)) continue;
      if (((flags & IMPLTYPEFLAG_FDEFAULT) != 0) != wantDefault) continue;
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> events;
      if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) || FAILED(coclass->GetRefTypeInfo(ref, events.put()))) continue;
      const auto id = MemberOf(events.get(), member);
      const TypeAttr eventsAttr(events.get());
      if (id && eventsAttr.attr) return EventInterface{eventsAttr.attr->guid, *id, events};
    }
  }
  return std::nullopt;
}

bool Implements(ITypeInfo* coclass, const IID& iid) {
  const TypeAttr attr(coclass);
  if (!attr.attr) return false;
  for (UINT i = 0; i < attr.attr->cImplTypes; ++i) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> implemented;
    if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) || FAILED(coclass->GetRefTypeInfo(ref, implemented.put())))
      continue;
    const TypeAttr implementedAttr(implemented.get());
    if (implementedAttr.attr && implementedAttr.attr->guid == iid) return true;
  }
  return false;
}

// Without IProvideClassInfo: the coclasses of the object's own type library
// that implement the interface it describes itself by.
std::optional<EventInterface> SearchTypeLibrary(IDispatch* source, const char16_t* member) {
  ComPtr<ITypeInfo> own;
  if (FAILED(source->GetTypeInfo(0, LOCALE_USER_DEFAULT, own.put())) || !own) return std::nullopt;
  const TypeAttr ownAttr(own.get());
  ComPtr<ITypeLib> library;
  UINT index = 0;
  if (!ownAttr.attr || FAILED(own->GetContainingTypeLib(library.put(), &index))) return std::nullopt;
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    TYPEKIND kind{};
    ComPtr<ITypeInfo> coclass;
    if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
    if (FAILED(library->GetTypeInfo(i, coclass.put())) || !Implements(coclass.get(), ownAttr.attr->guid)) continue;
    if (auto found = SearchSources(coclass.get(), member)) return found;
  }
  return std::nullopt;
}

}  // namespace

class Advisory {
 public:
  Advisory(ComPtr<IConnectionPoint> point, DWORD cookie, EventSink* sink)
      : point_(std::move(point)), cookie_(cookie), sink_(sink) {}
  Advisory(const Advisory&) = delete;
  Advisory& operator=(const Advisory&) = delete;
  ~Advisory() { Unadvise(); }

  void Unadvise() noexcept {
    if (!point_) return;
    sink_->Detach();
    point_->Unadvise(cookie_);
    point_.reset();
    sink_->Release();
    sink_ = nullptr;
  }

 private:
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_;
  EventSink* sink_;  // our own reference
};

std::optional<EventInterface> FindEventInterface(IDispatch* source, const char16_t* member) {
  if (!source) return std::nullopt;
  ComPtr<IProvideClassInfo> classInfo;
  if (SUCCEEDED(source->QueryInterface(IID_IProvideClassInfo, classInfo.put_void())) && classInfo) {
    ComPtr<ITypeInfo> coclass;
    if (SUCCEEDED(classInfo->GetClassInfo(coclass.put())) && coclass) {
      if (auto found = SearchSources(coclass.get(), member)) return found;
    }
  }
  return SearchTypeLibrary(source, member);
}

DISPID OtherMember(const EventInterface& events, const char16_t* member) {
  return MemberOf(events.info.get(), member).value_or(DISPID_UNKNOWN);
}

std::shared_ptr<Advisory> Advise(IDispatch* source, const IID& events, EventHandler handler) {
  ComPtr<IConnectionPointContainer> container;
  ThrowIfFailed(source->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
  ComPtr<IConnectionPoint> point;
  ThrowIfFailed(container->FindConnectionPoint(events, point.put()));

  EventSink* sink = new ComObject<EventSink>(events, std::move(handler));
  DWORD cookie = 0;
  const HRESULT hr = point->Advise(sink, &cookie);
  if (FAILED(hr)) sink->Release();
  ThrowIfFailed(hr);
  return std::make_shared<Advisory>(std::move(point), cookie, sink);
}

Advisories::~Advisories() {
  for (const auto& weak : given_)
    if (auto advisory = weak.lock()) advisory->Unadvise();
}

Connection Advisories::Add(std::shared_ptr<Advisory> advisory) {
  std::erase_if(given_, [](const std::weak_ptr<Advisory>& w) { return w.expired(); });
  given_.push_back(advisory);
  return Connection([advisory = std::move(advisory)] { advisory->Unadvise(); });
}

const VARIANT& EventArgument(const DISPPARAMS& params, UINT count, UINT position) {
  if (params.cArgs != count || !params.rgvarg) ThrowHresult(DISP_E_BADPARAMCOUNT);
  return params.rgvarg[count - 1 - position];
}

VARIANT_BOOL* BoolReference(const VARIANT& argument) {
  if (V_VT(&argument) == (VT_BOOL | VT_BYREF)) return V_BOOLREF(&argument);
  if (V_VT(&argument) == (VT_VARIANT | VT_BYREF) && V_VT(V_VARIANTREF(&argument)) == VT_BOOL)
    return &V_BOOL(V_VARIANTREF(&argument));
  return nullptr;
}

}  // namespace host::com
