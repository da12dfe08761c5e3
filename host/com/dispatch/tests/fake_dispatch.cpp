#include "host/com/dispatch/tests/fake_dispatch.h"

#include <algorithm>
#include <stdexcept>

namespace host::com::testing {

// One connection point; its references are its owner's.
class FakeDispatch::Point final : public IConnectionPoint {
 public:
  Point(FakeDispatch& owner, const IID& events) : owner_(owner), events_(events) {}

  const IID& events() const { return events_; }
  std::map<DWORD, ComPtr<IDispatch>>& sinks() { return sinks_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
      *out = static_cast<IConnectionPoint*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    *iid = events_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    *out = &owner_;
    owner_.AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(events_, dispatch.put_void()))) return CONNECT_E_CANNOTCONNECT;
    *cookie = ++lastCookie_;
    sinks_[*cookie] = std::move(dispatch);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  FakeDispatch& owner_;
  IID events_;
  DWORD lastCookie_ = 0;
  std::map<DWORD, ComPtr<IDispatch>> sinks_;
};

FakeDispatch::FakeDispatch() = default;
FakeDispatch::~FakeDispatch() = default;

ComPtr<FakeDispatch> FakeDispatch::Make() { return ComPtr<FakeDispatch>::Adopt(new FakeDispatch()); }

void FakeDispatch::Member(const std::u16string& name, DISPID id, Behaviour behaviour) {
  members_[id] = Entry{name, std::move(behaviour)};
}

void FakeDispatch::Property(const std::u16string& name, DISPID id, VariantValue initial) {
  auto value = std::make_shared<VariantValue>(std::move(initial));
  Member(name, id, [value](const Invocation& call, VARIANT* result, EXCEPINFO*) {
    if (call.flags & DISPATCH_PROPERTYPUT) {
      if (call.positional.size() != 1) return DISP_E_BADPARAMCOUNT;
      *value = call.positional[0].Copy();
      return S_OK;
    }
    return result ? VariantCopy(result, const_cast<VARIANT*>(&value->get())) : S_OK;
  });
}

void FakeDispatch::ObjectMember(const std::u16string& name, DISPID id, IDispatch* object) {
  auto held = std::make_shared<ComPtr<IDispatch>>(ComPtr<IDispatch>::Retain(object));
  Member(name, id, [held](const Invocation&, VARIANT* result, EXCEPINFO*) {
    if (!result) return S_OK;
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = held->get();
    if (held->get()) held->get()->AddRef();
    return S_OK;
  });
}

void FakeDispatch::FailingMember(const std::u16string& name, DISPID id, SCODE scode, WORD wCode,
                                 const wchar_t* description) {
  Member(name, id, [=](const Invocation&, VARIANT*, EXCEPINFO* exception) {
    if (!exception) return DISP_E_EXCEPTION;
    *exception = EXCEPINFO{};
    exception->scode = scode;
    exception->wCode = wCode;
    exception->bstrDescription = SysAllocString(description);
    exception->bstrSource = SysAllocString(L"FakeHost");
    return DISP_E_EXCEPTION;
  });
}

void FakeDispatch::OfferEvents(const IID& events) { points_.push_back(std::make_unique<Point>(*this, events)); }

HRESULT FakeDispatch::Fire(const IID& events, DISPID member, std::vector<VARIANT> args, EXCEPINFO* exception) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  for (auto& point : points_) {
    if (point->events() != events) continue;
    // A copy, as a sink may unadvise itself while it is called.
    std::vector<ComPtr<IDispatch>> sinks;
    for (auto& [cookie, sink] : point->sinks()) sinks.push_back(sink);
    for (auto& sink : sinks) {
      const HRESULT hr = sink->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, exception, nullptr);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

int FakeDispatch::Lookups(const std::u16string& name) const {
  const auto found = lookups_.find(name);
  return found == lookups_.end() ? 0 : found->second;
}

std::size_t FakeDispatch::Sinks(const IID& events) const {
  std::size_t n = 0;
  for (const auto& point : points_)
    if (point->events() == events) n += point->sinks().size();
  return n;
}

HRESULT FakeDispatch::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else if (iid == IID_IConnectionPointContainer && !points_.empty()) {
    *out = static_cast<IConnectionPointContainer*>(this);
  } else if (iid == IID_IProvideClassInfo && classInfo_) {
    *out = static_cast<IProvideClassInfo*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG FakeDispatch::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT FakeDispatch::GetTypeInfoCount(UINT* count) {
  *count = typeInfo_ ? 1 : 0;
  return S_OK;
}

HRESULT FakeDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = typeInfo_.get();
  if (!*info) return DISP_E_BADINDEX;
  (*info)->AddRef();
  return S_OK;
}

HRESULT FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  std::vector<std::u16string> batch;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    const std::u16string name(reinterpret_cast<const char16_t*>(names[i]));
    batch.push_back(name);
    ++lookups_[name];
    ids[i] = DISPID_UNKNOWN;
    for (const auto& [id, entry] : members_) {
      if (i == 0 && entry.name == name) ids[i] = id;
    }
    // Named arguments get DISPIDs from 100 up, in the order first asked for.
    if (i > 0) ids[i] = namedIds_.emplace(name, 100 + static_cast<DISPID>(namedIds_.size())).first->second;
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  lookupBatches_.push_back(std::move(batch));
  return hr;
}

HRESULT FakeDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT*) {
  const auto member = members_.find(id);
  if (member == members_.end()) return DISP_E_MEMBERNOTFOUND;
  Invocation call;
  call.member = member->second.name;
  call.flags = flags;
  const UINT named = params->cNamedArgs;
  for (UINT i = 0; i < named; ++i) {
    call.namedIds.push_back(params->rgdispidNamedArgs[i]);
    VariantValue v;
    VariantCopy(v.put(), &params->rgvarg[i]);
    call.named.push_back(std::move(v));
  }
  for (UINT i = params->cArgs; i > named; --i) {
    VariantValue v;
    VariantCopy(v.put(), &params->rgvarg[i - 1]);
    call.positional.push_back(std::move(v));
  }
  // A property put gives its value as the one named argument.
  if (flags & DISPATCH_PROPERTYPUT) {
    if (named != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTOPTIONAL;
    call.positional.push_back(std::move(call.named[0]));
    call.named.clear();
  }
  calls_.push_back(Invocation{call.member, call.flags, {}, call.namedIds, {}});
  for (auto& v : call.positional) calls_.back().positional.push_back(v.Copy());
  for (auto& v : call.named) calls_.back().named.push_back(v.Copy());
  if (result) VariantInit(result);
  return member->second.behaviour(call, result, exception);
}

HRESULT FakeDispatch::EnumConnectionPoints(IEnumConnectionPoints** out) {
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeDispatch::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  pointsAsked_.push_back(iid);
  for (auto& point : points_) {
    if (point->events() == iid) {
      *out = point.get();
      point->AddRef();
      return S_OK;
    }
  }
  *out = nullptr;
  return CONNECT_E_NOCONNECTION;
}

HRESULT FakeDispatch::GetClassInfo(ITypeInfo** out) {
  *out = classInfo_.get();
  if (!*out) return E_NOTIMPL;
  (*out)->AddRef();
  return S_OK;
}

namespace {
void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw std::runtime_error(what);
}
}  // namespace

TypeLibraryBuilder::TypeLibraryBuilder() {
  Check(CreateTypeLib2(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, L"fakehost.tlb", library_.put()), "CreateTypeLib2");
}

ComPtr<ITypeInfo> TypeLibraryBuilder::Dispinterface(const IID& iid, const wchar_t* name,
                                                    const std::vector<std::pair<const wchar_t*, DISPID>>& members) {
  ComPtr<ICreateTypeInfo> created;
  Check(library_->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_DISPATCH, created.put()), "CreateTypeInfo");
  Check(created->SetGuid(iid), "SetGuid");
  UINT index = 0;
  for (const auto& [member, id] : members) {
    FUNCDESC function{};
    function.memid = id;
    function.funckind = FUNC_DISPATCH;
    function.invkind = INVOKE_FUNC;
    function.callconv = CC_STDCALL;
    function.elemdescFunc.tdesc.vt = VT_VOID;
    Check(created->AddFuncDesc(index, &function), "AddFuncDesc");
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    Check(created->SetFuncAndParamNames(index, names, 1), "SetFuncAndParamNames");
    ++index;
  }
  Check(created->LayOut(), "LayOut");
  return created.As<ITypeInfo>();
}

ComPtr<ITypeInfo> TypeLibraryBuilder::Coclass(const CLSID& clsid, const wchar_t* name,
                                              const std::vector<Implemented>& types) {
  ComPtr<ICreateTypeInfo> created;
  Check(library_->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_COCLASS, created.put()), "CreateTypeInfo");
  Check(created->SetGuid(clsid), "SetGuid");
  UINT index = 0;
  for (const Implemented& implemented : types) {
    HREFTYPE ref = 0;
    Check(created->AddRefTypeInfo(implemented.type.get(), &ref), "AddRefTypeInfo");
    Check(created->AddImplType(index, ref), "AddImplType");
    Check(created->SetImplTypeFlags(index, implemented.flags), "SetImplTypeFlags");
    ++index;
  }
  Check(created->LayOut(), "LayOut");
  return created.As<ITypeInfo>();
}

}  // namespace host::com::testing
