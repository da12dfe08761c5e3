#include "host/com/dispatch/dispatch_variant.h"

#include "host/com/dispatch/adapted.h"
#include "host/com/dispatch/host_adapters.h"
#include "host/com/variant_conversion.h"

namespace host::com {
namespace {

IDispatch* AdapterDispatch(const Ref<Object>& object) {
  if (!object) return nullptr;
  const auto* adapted = dynamic_cast<const Adapted*>(object.get());
  if (!adapted) throw Error(code::TypeMismatch);
  IDispatch* dispatch = adapted->dispatch();
  dispatch->AddRef();
  return dispatch;
}

}  // namespace

VariantValue ToVariant(const Variant& value) { return ToVariant(value, AdapterDispatch); }

Variant FromVariant(const VARIANT& value) { return FromVariant(value, WrapHostObject); }

}  // namespace host::com
