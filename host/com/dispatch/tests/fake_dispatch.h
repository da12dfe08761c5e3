#pragma once
// A hand-written automation object that records what a client asks of it:
// names looked up, every Invoke with its arguments, references held, and the
// sinks advised on its connection points.
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/com/com_ptr.h"
#include "host/com/variant_value.h"

namespace host::com::testing {

struct Invocation {
  std::u16string member;
  WORD flags = 0;
  std::vector<VariantValue> positional;  // in declared order, first first
  std::vector<DISPID> namedIds;
  std::vector<VariantValue> named;  // in the order of namedIds
};

class FakeDispatch final : public IDispatch, public IConnectionPointContainer, public IProvideClassInfo {
 public:
  // What a member does with one call; it fills `result` and may fail.
  using Behaviour = std::function<HRESULT(const Invocation& call, VARIANT* result, EXCEPINFO* exception)>;

  static ComPtr<FakeDispatch> Make();

  void Member(const std::u16string& name, DISPID id, Behaviour behaviour);
  // A property: reads give the value last put (or `initial`).
  void Property(const std::u16string& name, DISPID id, VariantValue initial);
  // A member that returns an object (AddRef'd for the caller, as COM wants).
  void ObjectMember(const std::u16string& name, DISPID id, IDispatch* object);
  // A member that raises an exception with these fields.
  void FailingMember(const std::u16string& name, DISPID id, SCODE scode, WORD wCode, const wchar_t* description);

  // A connection point for this events interface.
  void OfferEvents(const IID& events);
  // Described by this coclass (IProvideClassInfo), or by this interface (GetTypeInfo).
  void ProvideClassInfo(ComPtr<ITypeInfo> coclass) { classInfo_ = std::move(coclass); }
  void DescribeBy(ComPtr<ITypeInfo> own) { typeInfo_ = std::move(own); }

  // Calls every sink advised for `events`; arguments in declared order.
  HRESULT Fire(const IID& events, DISPID member, std::vector<VARIANT> args, EXCEPINFO* exception = nullptr);

  int Lookups(const std::u16string& name) const;
  // The DISPID this object gave a named argument.
  DISPID NamedId(const std::u16string& name) const { return namedIds_.at(name); }
  const std::vector<std::vector<std::u16string>>& LookupBatches() const { return lookupBatches_; }
  const std::vector<Invocation>& Calls() const { return calls_; }
  std::size_t Sinks(const IID& events) const;
  const std::vector<IID>& PointsAsked() const { return pointsAsked_; }
  ULONG References() const { return references_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* badArgument) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;
  // IProvideClassInfo
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;

 private:
  class Point;
  FakeDispatch();
  ~FakeDispatch();

  struct Entry {
    std::u16string name;
    Behaviour behaviour;
  };
  ULONG references_ = 1;
  std::map<DISPID, Entry> members_;
  std::map<std::u16string, int> lookups_;
  std::map<std::u16string, DISPID> namedIds_;
  std::vector<std::vector<std::u16string>> lookupBatches_;
  std::vector<Invocation> calls_;
  std::vector<std::unique_ptr<Point>> points_;
  std::vector<IID> pointsAsked_;
  ComPtr<ITypeInfo> classInfo_;
  ComPtr<ITypeInfo> typeInfo_;
};

// Type information made in memory: dispinterfaces with members by name and
// DISPID, and coclasses that implement or source them.
class TypeLibraryBuilder {
 public:
  TypeLibraryBuilder();
  ComPtr<ITypeInfo> Dispinterface(const IID& iid, const wchar_t* name,
                                  const std::vector<std::pair<const wchar_t*, DISPID>>& members);
  struct Implemented {
    ComPtr<ITypeInfo> type;
    INT flags;  // IMPLTYPEFLAG_*
  };
  ComPtr<ITypeInfo> Coclass(const CLSID& clsid, const wchar_t* name, const std::vector<Implemented>& types);

 private:
  ComPtr<ICreateTypeLib2> library_;
};

}  // namespace host::com::testing
