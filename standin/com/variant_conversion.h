#pragma once
// Automation values to and from the portable host's variants, for the
// stand-in's COM faces.
#include <windows.h>
#include <ole2.h>

#include "host/com/variant_value.h"
#include "host/variant.h"

namespace standin::com {

// As host::com converts them; objects are a type mismatch either way, as
// the stand-in's members take and give none as variants.
host::Variant FromVariant(const VARIANT& value);
host::com::VariantValue ToVariant(const host::Variant& value);

}  // namespace standin::com
