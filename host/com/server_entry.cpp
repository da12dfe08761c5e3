#include "host/com/server_entry.h"

#include "host/com/error_info.h"
#include "host/com/module.h"

namespace host::com {
namespace {

HRESULT Apply(const ClassRegistration& info, Scope scope, bool install) noexcept {
  return Guarded(IID_NULL, info.progId, [&] {
    if (install)
      Register(info, RootsFor(scope), Module::Instance().Path());
    else
      Unregister(info, RootsFor(scope));
  });
}

}  // namespace

HRESULT RegisterServer(const ClassRegistration& info) noexcept { return Apply(info, Scope::Machine, true); }

HRESULT UnregisterServer(const ClassRegistration& info) noexcept { return Apply(info, Scope::Machine, false); }

HRESULT Install(const ClassRegistration& info, BOOL install, LPCWSTR commandLine) noexcept {
  Scope scope = Scope::Machine;
  if (commandLine && *commandLine) {
    if (lstrcmpiW(commandLine, L"user") != 0) return E_INVALIDARG;
    scope = Scope::User;
  }
  return Apply(info, scope, install != FALSE);
}

HRESULT CanUnloadNow() noexcept { return Module::Instance().CanUnload() ? S_OK : S_FALSE; }

}  // namespace host::com
