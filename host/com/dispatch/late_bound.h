#pragma once
// Late binding by member name on one automation object: each member's
// DISPID is asked for once and kept, arguments go in as the object expects
// them (reversed; an omitted one as VT_ERROR DISP_E_PARAMNOTFOUND), and a
// failure comes back as host::Error with the object's HRESULT and text.
#include <map>
#include <span>
#include <utility>
#include <vector>

#include "host/com/com_ptr.h"
#include "host/com/module.h"
#include "host/com/variant_conversion.h"
#include "host/com/variant_value.h"
#include "host/variant.h"

namespace host::com {

struct NamedArgument {
  const char16_t* name;
  Variant value;
};

class LateBound {
 public:
  // Null stands for "no object": every call on it fails with ObjectNotSet.
  LateBound(ComPtr<IDispatch> object);  // NOLINT: an object converts, as the host returns it

  IDispatch* get() const { return object_.get(); }
  explicit operator bool() const { return static_cast<bool>(object_); }

  // A property read or a method call whose result is wanted.
  Variant Get(const char16_t* member, std::span<const Variant> args = {});
  // The object a property or method returns; null for nothing (Nothing, Empty, Null).
  ComPtr<IDispatch> GetDispatch(const char16_t* member, std::span<const Variant> args = {});
  // A method call for its effect.
  Variant Call(const char16_t* member, std::span<const Variant> args = {});
  void Put(const char16_t* member, const Variant& value);
  // A method call with named arguments only.
  ComPtr<IDispatch> GetDispatchNamed(const char16_t* member, std::span<const NamedArgument> args);

  // Whether the object knows the member.
  bool Offers(const char16_t* member);

 private:
  // The DISPIDs of the member and then of its named arguments; asked for
  // once per distinct list.
  const std::vector<DISPID>& Ids(const std::vector<const char16_t*>& names);
  VariantValue Invoke(const char16_t* member, WORD flags, std::span<const Variant> args,
                      std::span<const NamedArgument> named = {});

  ComPtr<IDispatch> object_;
  std::map<std::vector<Text>, std::vector<DISPID>> ids_;
  // A host object held keeps the DLL from answering that it may be unloaded.
  ModuleObject held_;
};


}  // namespace host::com
