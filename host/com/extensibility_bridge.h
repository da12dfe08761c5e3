#pragma once
// The COM side of the host's connection interface: each call is forwarded
// to the portable add-in, with the host's objects wrapped as the portable
// host model, and its failure returned as an HRESULT with error info.
#include <windows.h>
#include <ole2.h>

#include <idtextensibility2.h>

#include <memory>

#include "host/addins.h"
#include "host/com/host_objects.h"
#include "host/com/type_info_dispatch.h"

namespace host::com {

class ExtensibilityBridge : public TypeInfoDispatch<::IDTExtensibility2> {
 public:
  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ::ext_ConnectMode ConnectMode, IDispatch* AddInInst,
                                         SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(::ext_DisconnectMode RemoveMode, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

 protected:
  // `source` names the add-in in error info (its ProgID); `globals` is the
  // library's view of the host's global application object, set at
  // connection.
  ExtensibilityBridge(std::shared_ptr<host::IDTExtensibility2> addIn, HostGlobalsSlot& globals,
                      const OLECHAR* source)
      : addIn_(std::move(addIn)), globals_(globals), source_(source) {}
  ~ExtensibilityBridge();

  const OLECHAR* source() const { return source_; }

 private:
  template <class Body>
  HRESULT Forward(Body&& body) noexcept;
  // Empties the library's view of the host's application if this object filled it.
  void ReleaseGlobals() noexcept;

  std::shared_ptr<host::IDTExtensibility2> addIn_;
  HostGlobalsSlot& globals_;
  const OLECHAR* source_;
  bool connected_ = false;
};

}  // namespace host::com
