#pragma once
// host::Variant to and from the automation VARIANT, one way for every
// caller, as the classic runtime converts for a late-bound call: booleans as
// True or False whatever their bits, integers of other widths as 16- or
// 32-bit ones (overflow when they do not fit), by-reference values read
// through, any other scalar as its text, arrays a type mismatch. Objects go
// through the caller's own conversion.
#include <windows.h>
#include <ole2.h>

#include <functional>

#include "host/com/com_ptr.h"
#include "host/com/variant_value.h"
#include "host/variant.h"

namespace host::com {

// An object as the IDispatch to hand out, with a reference of its own; null
// for no object. Throws when the object cannot go.
using DispatchOfObject = std::function<IDispatch*(const Ref<Object>& object)>;
// The object for an IDispatch received (null for none). Throws when none may come.
using ObjectOfDispatch = std::function<Ref<Object>(IDispatch* dispatch)>;

VariantValue ToVariant(const Variant& value, const DispatchOfObject& dispatchOf);

// The IDispatch inside a value: null for Nothing, Empty or Null; anything
// else that is not an object is a type mismatch.
ComPtr<IDispatch> DispatchOf(const VARIANT& value);
Variant FromVariant(const VARIANT& value, const ObjectOfDispatch& objectOf);

}  // namespace host::com
