#include "standin/com/variant_conversion.h"

#include "host/com/variant_conversion.h"
#include "host/error.h"

namespace standin::com {
namespace {

// The stand-in's members take and give no objects as variants.
IDispatch* NoDispatch(const host::Ref<host::Object>&) { throw host::Error(host::code::TypeMismatch); }
host::Ref<host::Object> NoObject(IDispatch*) { throw host::Error(host::code::TypeMismatch); }

}  // namespace

host::Variant FromVariant(const VARIANT& value) { return host::com::FromVariant(value, NoObject); }

host::com::VariantValue ToVariant(const host::Variant& value) { return host::com::ToVariant(value, NoDispatch); }

}  // namespace standin::com
