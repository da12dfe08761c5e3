#pragma once
// zarvik's creatable COM class Connect: its dual default interface _Connect
// and the host's connection interface, both on the portable add-in.
#include <memory>

#include "host/com/add_in_object.h"
#include "zarvik.h"

namespace zarvik {
class Connect;
}

namespace zarvik::win {

// Its members only read their entry, so a script's variable is read by value.
class ComConnect : public host::com::AddInObject<::_Connect, host::com::VariantReferences::ReadByValue> {
 public:
  ComConnect();

  HRESULT STDMETHODCALLTYPE GetCaption(BSTR* sRegEntry, BSTR* pRetVal) override;
  HRESULT STDMETHODCALLTYPE GetTag(BSTR* sRegEntry, BSTR* pRetVal) override;
  HRESULT STDMETHODCALLTYPE CreateZarvikPopups(VARIANT_BOOL* pRetVal) override;

 private:
  explicit ComConnect(std::shared_ptr<zarvik::Connect> addIn);

  std::shared_ptr<zarvik::Connect> addIn_;
};

}  // namespace zarvik::win
