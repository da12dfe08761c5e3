#pragma once
// host::Variant to and from the automation VARIANT. Objects cross as the
// IDispatch of their adapter, and come back as adapters (WrapHostObject).
#include "host/com/variant_value.h"
#include "host/variant.h"

namespace host::com {

// An object that is not a host adapter cannot go to the host: type mismatch.
VariantValue ToVariant(const Variant& value);
// As host::com converts them (variant_conversion.h).
Variant FromVariant(const VARIANT& value);

}  // namespace host::com
