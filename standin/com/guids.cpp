// Defines the identifiers that the type library's header declares.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <initguid.h>

#include "standin_tlb.h"
