#include "host/com/registration_table.h"

namespace host::com {
namespace {

// The standard marshaller of dual and automation interfaces (PSOAInterface).
constexpr const wchar_t* kAutomationMarshaller = L"{00020424-0000-0000-C000-000000000046}";

using Root = RegistryEntry::Root;

std::wstring Under(const std::wstring& parent, const std::wstring& child) { return parent + L"\\" + child; }

// Without the wide printf family, which would add some 40 KB to the DLL.
std::wstring Digits(unsigned n) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + n % 10));
    n /= 10;
  } while (n);
  return digits;
}

std::wstring VersionText(const ClassRegistration& info) {
  return Digits(info.libraryMajor) + L"." + Digits(info.libraryMinor);
}

RegistryValue Text(std::wstring name, std::wstring text) { return {std::move(name), std::move(text), std::nullopt}; }

}  // namespace

std::wstring ClassKey(const ClassRegistration& info) { return Under(L"CLSID", info.clsid); }

std::vector<RegistryEntry> RegistrationTable(const ClassRegistration& info, const ServerLocation& server) {
  const std::wstring clsid = ClassKey(info);
  const std::wstring libid = info.libid;
  const std::wstring typeLib = Under(L"TypeLib", libid);
  const std::wstring version = Under(typeLib, VersionText(info));
  const std::wstring itf = Under(L"Interface", info.defaultInterface);
  return {
      {Root::Classes, clsid, true, {Text(L"", info.progId)}},
      {Root::Classes, Under(clsid, L"InprocServer32"), false,
       {Text(L"", server.path), Text(L"ThreadingModel", L"Apartment")}},
      {Root::Classes, Under(clsid, L"ProgID"), false, {Text(L"", info.progId)}},
      {Root::Classes, Under(clsid, L"TypeLib"), false, {Text(L"", libid)}},
      {Root::Classes, info.progId, true, {Text(L"", info.progId)}},
      {Root::Classes, Under(info.progId, L"CLSID"), false, {Text(L"", info.clsid)}},
      // The type library, as RegisterTypeLib records it. Only our own
      // interface is recorded: the connection interface belongs to the host,
      // whose registration of it must neither be replaced nor removed with ours.
      {Root::Classes, typeLib, true, {}},
      {Root::Classes, version, false, {Text(L"", info.libraryHelpString)}},
      {Root::Classes, Under(version, L"FLAGS"), false, {Text(L"", L"0")}},
      {Root::Classes, Under(version, server.win64 ? L"0\\win64" : L"0\\win32"), false, {Text(L"", server.path)}},
      {Root::Classes, Under(version, L"HELPDIR"), false, {Text(L"", server.folder)}},
      {Root::Classes, itf, true, {Text(L"", info.defaultInterfaceName)}},
      {Root::Classes, Under(itf, L"ProxyStubClsid"), false, {Text(L"", kAutomationMarshaller)}},
      {Root::Classes, Under(itf, L"ProxyStubClsid32"), false, {Text(L"", kAutomationMarshaller)}},
      {Root::Classes, Under(itf, L"TypeLib"), false, {Text(L"", libid), Text(L"Version", VersionText(info))}},
      {Root::AddIns, info.progId, true,
       {Text(L"FriendlyName", info.friendlyName), Text(L"Description", info.description),
        RegistryValue{L"LoadBehavior", {}, info.loadBehavior}}},
  };
}

}  // namespace host::com
