#include "zarvik/win/com_connect.h"

#include "host/com/bstr.h"
#include "host/com/produce.h"
#include "zarvik/connect.h"
#include "zarvik/prog_id.h"
#include "zarvik/win/library.h"

namespace zarvik::win {

ComConnect::ComConnect() : ComConnect(std::make_shared<zarvik::Connect>(Library())) {}

ComConnect::ComConnect(std::shared_ptr<zarvik::Connect> addIn)
    : AddInObject(addIn, Globals(), reinterpret_cast<const OLECHAR*>(ConnectProgId)), addIn_(addIn) {}

HRESULT ComConnect::GetCaption(BSTR* sRegEntry, BSTR* pRetVal) {
  if (!sRegEntry) return E_POINTER;
  return host::com::Produce(__uuidof(::_Connect), source(), pRetVal,
                            [&] { return host::com::Bstr(addIn_->GetCaption(host::com::TextOf(*sRegEntry))); });
}

HRESULT ComConnect::GetTag(BSTR* sRegEntry, BSTR* pRetVal) {
  if (!sRegEntry) return E_POINTER;
  return host::com::Produce(__uuidof(::_Connect), source(), pRetVal,
                            [&] { return host::com::Bstr(addIn_->GetTag(host::com::TextOf(*sRegEntry))); });
}

HRESULT ComConnect::CreateZarvikPopups(VARIANT_BOOL* pRetVal) {
  return host::com::Produce(__uuidof(::_Connect), source(), pRetVal,
                            [&] { return static_cast<VARIANT_BOOL>(addIn_->CreateZarvikPopups().value); });
}

}  // namespace zarvik::win
