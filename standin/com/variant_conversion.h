#pragma once
// Automation values to and from the portable host's variants, as the classic
// runtime converts them for a late-bound call.
#include <windows.h>
#include <ole2.h>

#include "host/com/variant_value.h"
#include "host/variant.h"

namespace standin::com {

// By-reference values are read through; numbers of other widths become
// 32-bit integers. Objects and arrays are a type mismatch: the stand-in's
// members take none as variants.
host::Variant FromVariant(const VARIANT& value);

// Objects cannot be returned as variants by the stand-in's members.
host::com::VariantValue ToVariant(const host::Variant& value);

}  // namespace standin::com
