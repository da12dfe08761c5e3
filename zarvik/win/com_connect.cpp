#include "zarvik/win/com_connect.h"

#include "host/com/bstr.h"
#include "host/com/error_info.h"
#include "zarvik/connect.h"
#include "zarvik/prog_id.h"
#include "zarvik/win/library.h"

namespace zarvik::win {

ComConnect::ComConnect() : ComConnect(std::make_shared<zarvik::Connect>(Library())) {}

ComConnect::ComConnect(std::shared_ptr<zarvik::Connect> addIn)
    : AddInObject(addIn, Globals(), reinterpret_cast<const OLECHAR*>(ConnectProgId)), addIn_(addIn) {}

HRESULT ComConnect::GetCaption(BSTR* sRegEntry, BSTR* pRetVal) {
  if (!sRegEntry || !pRetVal) return E_POINTER;
  *pRetVal = nullptr;
  return host::com::Guarded(__uuidof(::_Connect), source(), [&] {
    *pRetVal = host::com::Bstr(addIn_->GetCaption(host::com::TextOf(*sRegEntry))).Detach();
  });
}

HRESULT ComConnect::GetTag(BSTR* sRegEntry, BSTR* pRetVal) {
  if (!sRegEntry || !pRetVal) return E_POINTER;
  *pRetVal = nullptr;
  return host::com::Guarded(__uuidof(::_Connect), source(), [&] {
    *pRetVal = host::com::Bstr(addIn_->GetTag(host::com::TextOf(*sRegEntry))).Detach();
  });
}

HRESULT ComConnect::CreateZarvikPopups(VARIANT_BOOL* pRetVal) {
  if (!pRetVal) return E_POINTER;
  *pRetVal = VARIANT_FALSE;
  return host::com::Guarded(__uuidof(::_Connect), source(),
                            [&] { *pRetVal = static_cast<VARIANT_BOOL>(addIn_->CreateZarvikPopups().value); });
}

}  // namespace zarvik::win
