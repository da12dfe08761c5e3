#include "host/com/dispatch/late_bound.h"

#include "host/com/dispatch/dispatch_variant.h"
#include "host/com/error_info.h"

namespace host::com {
namespace {

std::vector<const char16_t*> NamesOf(const char16_t* member, std::span<const NamedArgument> named) {
  std::vector<const char16_t*> names{member};
  for (const NamedArgument& a : named) names.push_back(a.name);
  return names;
}

}  // namespace

LateBound::LateBound(ComPtr<IDispatch> object) : object_(std::move(object)) {}

const std::vector<DISPID>& LateBound::Ids(const std::vector<const char16_t*>& names) {
  if (!object_) throw Error(code::ObjectNotSet);
  std::vector<Text> key(names.begin(), names.end());
  if (auto known = ids_.find(key); known != ids_.end()) return known->second;

  std::vector<LPOLESTR> ole;
  for (const char16_t* name : names) ole.push_back(const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(name)));
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  const HRESULT hr = object_->GetIDsOfNames(IID_NULL, ole.data(), static_cast<UINT>(ole.size()), LOCALE_USER_DEFAULT,
                                            ids.data());
  // An unknown name is remembered as well: it stays unknown.
  if (hr != DISP_E_UNKNOWNNAME) ThrowIfFailed(hr);
  return ids_.emplace(std::move(key), std::move(ids)).first->second;
}

bool LateBound::Offers(const char16_t* member) { return Ids({member})[0] != DISPID_UNKNOWN; }

VariantValue LateBound::Invoke(const char16_t* member, WORD flags, std::span<const Variant> args,
                               std::span<const NamedArgument> named) {
  const std::vector<DISPID>& ids = Ids(NamesOf(member, named));
  for (DISPID id : ids) {
    if (id == DISPID_UNKNOWN) throw Error(code::NotSupported, Text(member));
  }

  // Named arguments first, in the order of their DISPIDs; then the
  // positional ones, last first.
  std::vector<VariantValue> values;
  std::vector<DISPID> namedIds(ids.begin() + 1, ids.end());
  for (const NamedArgument& a : named) values.push_back(ToVariant(a.value));
  for (auto a = args.rbegin(); a != args.rend(); ++a) values.push_back(ToVariant(*a));
  const bool put = flags == DISPATCH_PROPERTYPUT;
  DISPID putId = DISPID_PROPERTYPUT;

  std::vector<VARIANT> raw;
  for (VariantValue& v : values) raw.push_back(v.get());  // shallow: `values` keeps ownership
  DISPPARAMS params{raw.data(), put ? &putId : namedIds.data(), static_cast<UINT>(raw.size()),
                    put ? 1u : static_cast<UINT>(namedIds.size())};
  if (raw.empty()) params.rgvarg = nullptr;
  if (params.cNamedArgs == 0) params.rgdispidNamedArgs = nullptr;

  VariantValue result;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr = object_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : result.put(),
                                     &exception, &badArgument);
  ThrowIfFailed(hr, exception);
  return result;
}

Variant LateBound::Get(const char16_t* member, std::span<const Variant> args) {
  return FromVariant(Invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args).get());
}

ComPtr<IDispatch> LateBound::GetDispatch(const char16_t* member, std::span<const Variant> args) {
  return DispatchOf(Invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args).get());
}

Variant LateBound::Call(const char16_t* member, std::span<const Variant> args) {
  return FromVariant(Invoke(member, DISPATCH_METHOD, args).get());
}

void LateBound::Put(const char16_t* member, const Variant& value) {
  const Variant args[] = {value};
  Invoke(member, DISPATCH_PROPERTYPUT, args);
}

ComPtr<IDispatch> LateBound::GetDispatchNamed(const char16_t* member, std::span<const NamedArgument> args) {
  return DispatchOf(Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, args).get());
}

}  // namespace host::com
