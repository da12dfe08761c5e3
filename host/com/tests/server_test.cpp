// Both COM server DLLs as a client and regsvr32 see them: registration and
// its undo, the class factory and the module's counts, reference counting,
// the embedded type library and the version resource.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/com/bstr.h"
#include "host/com/com_ptr.h"
#include "host/com/safe_array.h"
#include "host/com/tests/registry_snapshot.h"
#include "host/com/variant_value.h"

namespace host::com {
namespace {

struct ServerCase {
  const char* name;
  const char* file;  // as the build knows it, a Unix path under Wine
  const wchar_t* clsid;
  const wchar_t* iid;
  const wchar_t* libid;
  const wchar_t* progId;
  const wchar_t* libraryName;
  const wchar_t* helpString;
  const wchar_t* friendlyName;
  const wchar_t* description;
  DWORD loadBehavior;
  WORD build;  // the fourth part of the file version 1.0.0.x
};

const ServerCase kServers[] = {
    {"mapnote", MAPNOTE_DLL, L"{A7AF9A75-368A-4A77-9DA7-6DD65B4FA686}", L"{59C88B9C-ADAC-4054-A3C2-F832D03530A4}",
     L"{3AE3747B-34DC-4C01-8C5B-1A1AA88CAD16}", L"Mapnote.Connect", L"Mapnote", L"Tessaly", L"Zarvik Tessaly",
     L"Tessaly", 9, 139},
    {"zarvik", ZARVIK_DLL, L"{C8F1769C-B9FE-4185-A11B-83F5EAC5FF37}", L"{400FA07F-7767-4FF1-B353-CCED8397351A}",
     L"{F0C26160-D1F1-49F1-A604-B75B2A709292}", L"zarvik.Connect", L"zarvik", L"Support DLL for Zarvik Add-ins",
     L"Zarvik Support", L"Support Add-in for Zarvik Add-ins", 3, 306},
};

const IID kExtensibility = {0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

GUID Guid(const wchar_t* text) {
  GUID g{};
  EXPECT_EQ(CLSIDFromString(text, &g), S_OK) << "bad GUID text";
  return g;
}

// Wine shows the Unix file system as drive Z:.
std::wstring WindowsPath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

DWORD Regsvr32(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return GetLastError() | 0x10000000;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

// The server DLL loaded into this process, with its exports.
class LoadedServer {
 public:
  explicit LoadedServer(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
  ~LoadedServer() {
    if (module_) FreeLibrary(module_);
  }
  LoadedServer(const LoadedServer&) = delete;
  LoadedServer& operator=(const LoadedServer&) = delete;

  bool loaded() const { return module_ != nullptr; }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
  }
  HRESULT CanUnloadNow() { return Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }

 private:
  template <class F>
  F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_;
};

// Runs the undo of a registration however the test ends.
class Undo {
 public:
  explicit Undo(std::wstring commandLine) : commandLine_(std::move(commandLine)) {}
  ~Undo() {
    if (!commandLine_.empty()) Regsvr32(commandLine_);
  }
  Undo(const Undo&) = delete;
  Undo& operator=(const Undo&) = delete;
  DWORD RunNow() { return Regsvr32(std::exchange(commandLine_, std::wstring())); }

 private:
  std::wstring commandLine_;
};

// The current reference count, as AddRef and Release report it.
ULONG RefCount(IUnknown* p) {
  p->AddRef();
  return p->Release();
}

class ServerTest : public ::testing::TestWithParam<ServerCase> {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }

  const ServerCase& server() const { return GetParam(); }
  std::wstring path() const { return WindowsPath(server().file); }

  static testing::Snapshot RegistryNow() {
    testing::Snapshot s;
    testing::AddSubtree(s, HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Classes");
    testing::AddSubtree(s, HKEY_CURRENT_USER, L"HKCU", L"Software\\Classes");
    testing::AddSubtree(s, HKEY_CURRENT_USER, L"HKCU", L"Software\\Microsoft");
    return s;
  }

  // What registration must have written below `classes` ("HKLM\Software\Classes" or the user's).
  std::map<std::wstring, std::wstring> ExpectedValues(const std::wstring& classes) const {
    const std::wstring clsid = classes + L"\\CLSID\\" + server().clsid;
    const std::wstring addIn = std::wstring(L"HKCU\\Software\\Microsoft\\Office\\FrontPage\\Addins\\") + server().progId;
    const std::wstring typeLib = classes + L"\\TypeLib\\" + server().libid + L"\\1.0";
    return {
        {clsid + L"\\InprocServer32|", L"1:" + path()},
        {clsid + L"\\InprocServer32|ThreadingModel", L"1:Apartment"},
        {clsid + L"\\ProgID|", std::wstring(L"1:") + server().progId},
        {clsid + L"\\TypeLib|", std::wstring(L"1:") + server().libid},
        {classes + L"\\" + server().progId + L"\\CLSID|", std::wstring(L"1:") + server().clsid},
        {typeLib + (sizeof(void*) == 8 ? L"\\0\\win64|" : L"\\0\\win32|"), L"1:" + path()},
        {addIn + L"|FriendlyName", std::wstring(L"1:") + server().friendlyName},
        {addIn + L"|Description", std::wstring(L"1:") + server().description},
        {addIn + L"|LoadBehavior", L"4:" + std::to_wstring(server().loadBehavior)},
    };
  }

  // Checks that every expected value was added and that nothing was added
  // outside the server's own keys.
  void ExpectRegistered(const std::vector<std::wstring>& added, const std::wstring& classes) const {
    std::map<std::wstring, std::wstring> seen;
    for (const auto& line : added) {
      auto eq = line.find(L'=');
      if (eq != std::wstring::npos) seen[line.substr(0, eq)] = line.substr(eq + 1);
    }
    for (const auto& [value, data] : ExpectedValues(classes)) {
      EXPECT_EQ(seen[testing::Upper(value)], data) << testing::Narrow(value);
    }
    const std::wstring own[] = {
        classes + L"\\CLSID\\" + server().clsid, classes + L"\\" + server().progId,
        classes + L"\\TypeLib\\" + server().libid, classes + L"\\Interface\\" + server().iid,
        L"HKCU\\Software\\Microsoft\\Office",
    };
    for (const auto& line : added) {
      bool ours = false;
      for (const auto& prefix : own) ours = ours || line.rfind(testing::Upper(prefix), 0) == 0;
      // Parents such as "...\CLSID" may be created when they were missing.
      for (const wchar_t* parent : {L"\\CLSID", L"\\TypeLib", L"\\Interface"})
        ours = ours || line == testing::Upper(classes + parent);
      EXPECT_TRUE(ours) << "written outside the server's keys: " << testing::Narrow(line);
    }
  }
};

TEST_P(ServerTest, Regsvr32RegistersForTheMachineAndItsUndoRemovesEveryKey) {
  const auto before = RegistryNow();
  ASSERT_EQ(Regsvr32(L"regsvr32.exe /s \"" + path() + L"\""), 0u);
  Undo undo(L"regsvr32.exe /s /u \"" + path() + L"\"");
  const auto registered = RegistryNow();
  ExpectRegistered(testing::Added(before, registered), L"HKLM\\Software\\Classes");
  for (const auto& line : testing::Added(before, registered))
    EXPECT_NE(line.rfind(L"HKCU\\SOFTWARE\\CLASSES", 0), 0u) << "per-user class key: " << testing::Narrow(line);

  // The class as a client finds it: by ProgID, created in process, with its
  // type library found through the registry.
  CLSID byProgId{};
  EXPECT_EQ(CLSIDFromProgID(server().progId, &byProgId), S_OK);
  EXPECT_TRUE(IsEqualCLSID(byProgId, Guid(server().clsid)));
  ComPtr<IDispatch> object;
  EXPECT_EQ(CoCreateInstance(Guid(server().clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()), S_OK);
  object.reset();
  ComPtr<ITypeLib> library;
  EXPECT_EQ(LoadRegTypeLib(Guid(server().libid), 1, 0, 0, library.put()), S_OK);
  if (library) {
    Bstr name, help;
    ASSERT_EQ(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.text(), reinterpret_cast<const char16_t*>(server().libraryName));
    EXPECT_EQ(help.text(), reinterpret_cast<const char16_t*>(server().helpString));
    library.reset();
  }
  CoFreeUnusedLibraries();

  ASSERT_EQ(undo.RunNow(), 0u);
  const auto after = RegistryNow();
  EXPECT_TRUE(testing::Added(before, after).empty()) << "left behind: " << testing::Narrow(testing::Added(before, after));
  EXPECT_TRUE(testing::Added(after, before).empty()) << "removed: " << testing::Narrow(testing::Added(after, before));
}

TEST_P(ServerTest, PerUserInstallWritesOnlyUnderTheCurrentUserAndItsUndoRemovesEveryKey) {
  // Every Windows profile has this key; a new Wine prefix gets it only when
  // something first writes below it.
  HKEY userClasses = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr, &userClasses,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(userClasses);
  const auto before = RegistryNow();
  ASSERT_EQ(Regsvr32(L"regsvr32.exe /s /n /i:user \"" + path() + L"\""), 0u);
  Undo undo(L"regsvr32.exe /s /u /n /i:user \"" + path() + L"\"");
  const auto installed = RegistryNow();
  const auto added = testing::Added(before, installed);
  ExpectRegistered(added, L"HKCU\\Software\\Classes");
  for (const auto& line : added) EXPECT_NE(line.rfind(L"HKLM", 0), 0u) << testing::Narrow(line);

  ASSERT_EQ(undo.RunNow(), 0u);
  const auto after = RegistryNow();
  EXPECT_TRUE(testing::Added(before, after).empty()) << "left behind: " << testing::Narrow(testing::Added(before, after));
  EXPECT_TRUE(testing::Added(after, before).empty()) << "removed: " << testing::Narrow(testing::Added(after, before));
}

TEST_P(ServerTest, FactoryObjectsAndLocksKeepTheModuleLoaded) {
  LoadedServer dll(path());
  ASSERT_TRUE(dll.loaded());
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  EXPECT_EQ(dll.GetClassObject(kExtensibility, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(dll.GetClassObject(Guid(server().clsid), IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(RefCount(factory.get()), 1u);
  EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "a factory is outstanding";

  ComPtr<IUnknown> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
  ComPtr<IUnknown> refused;
  EXPECT_EQ(factory->CreateInstance(object.get(), IID_IUnknown, refused.put_void()), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, refused.put_void()), E_NOINTERFACE);
  EXPECT_FALSE(refused);
  factory.reset();
  EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "an object is outstanding";
  object.reset();
  EXPECT_EQ(dll.CanUnloadNow(), S_OK) << "the refused instances must not stay counted";

  ASSERT_EQ(dll.GetClassObject(Guid(server().clsid), IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(dll.CanUnloadNow(), S_FALSE) << "the server is locked";
  ASSERT_EQ(dll.GetClassObject(Guid(server().clsid), IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.reset();
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

TEST_P(ServerTest, QueryInterfaceAddsExactlyOneReferenceAndKeepsIdentity) {
  LoadedServer dll(path());
  ASSERT_TRUE(dll.loaded());
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(dll.GetClassObject(Guid(server().clsid), IID_IClassFactory, factory.put_void()), S_OK);
  IUnknown* object = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
  factory.reset();
  EXPECT_EQ(RefCount(object), 1u);

  const IID asked[] = {IID_IUnknown, IID_IDispatch, Guid(server().iid), kExtensibility, IID_ISupportErrorInfo};
  void* got[5] = {};
  ULONG expected = 1;
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(object->QueryInterface(asked[i], &got[i]), S_OK) << i;
    EXPECT_EQ(RefCount(object), ++expected) << "after asking for interface " << i;
  }
  EXPECT_EQ(got[0], object) << "IUnknown is the object's identity";
  EXPECT_EQ(got[1], got[2]) << "IDispatch is the default interface";
  void* none = &got;
  EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(RefCount(object), expected);

  // Every interface answers for the same object.
  IUnknown* identity = nullptr;
  ASSERT_EQ(static_cast<IUnknown*>(got[3])->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, object);
  identity->Release();

  auto* errorInfo = static_cast<ISupportErrorInfo*>(got[4]);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(Guid(server().iid)), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(kExtensibility), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);

  for (void* p : got) static_cast<IUnknown*>(p)->Release();
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

TEST_P(ServerTest, EmbeddedTypeLibraryDescribesTheClassAndTheConnectionInterface) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(path().c_str(), REGKIND_NONE, library.put()), S_OK);
  Bstr name, help;
  ASSERT_EQ(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(name.text(), reinterpret_cast<const char16_t*>(server().libraryName));
  EXPECT_EQ(help.text(), reinterpret_cast<const char16_t*>(server().helpString));
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(libraryAttributes->guid, Guid(server().libid)));
  EXPECT_EQ(libraryAttributes->wMajorVerNum, 1);
  EXPECT_EQ(libraryAttributes->wMinorVerNum, 0);
  library->ReleaseTLibAttr(libraryAttributes);

  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(Guid(server().clsid), coclass.put()), S_OK);
  ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(name.text(), u"Connect");
  std::map<std::u16string, int> implemented;  // name -> IMPLTYPEFLAGS
  for (UINT i = 0; i < 2; ++i) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> itf;
    int flags = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, itf.put()), S_OK);
    ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
    ASSERT_EQ(itf->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr), S_OK);
    implemented[name.text()] = flags;
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(itf->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL) << testing::Narrow(std::wstring(name.get()));
    itf->ReleaseTypeAttr(attributes);
  }
  ASSERT_EQ(implemented.count(u"_Connect"), 1u);
  EXPECT_TRUE(implemented[u"_Connect"] & IMPLTYPEFLAG_FDEFAULT);
  EXPECT_EQ(implemented.count(u"IDTExtensibility2"), 1u);

  ComPtr<ITypeInfo> extensibility;
  ASSERT_EQ(library->GetTypeInfoOfGuid(kExtensibility, extensibility.put()), S_OK);
  const wchar_t* members[] = {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate", L"OnStartupComplete",
                              L"OnBeginShutdown"};
  for (int i = 0; i < 5; ++i) {
    MEMBERID id = 0;
    auto* member = const_cast<LPOLESTR>(members[i]);
    ASSERT_EQ(extensibility->GetIDsOfNames(&member, 1, &id), S_OK);
    EXPECT_EQ(id, i + 1) << testing::Narrow(members[i]);
  }
}

TEST_P(ServerTest, VersionResourceCarriesDescriptionVersionAndSelfRegistration) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path().c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path().c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(server().build, 0));

  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\FileDescription", reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, server().helpString);
  EXPECT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\OLESelfRegister", reinterpret_cast<void**>(&text), &length));
}

TEST_P(ServerTest, ConnectionCallsByNameReachTheAddInAndReturnItsFailures) {
  LoadedServer dll(path());
  ASSERT_TRUE(dll.loaded());
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(dll.GetClassObject(Guid(server().clsid), IID_IClassFactory, factory.put_void()), S_OK);
  ComPtr<IDispatch> connection;
  ASSERT_EQ(factory->CreateInstance(nullptr, kExtensibility, connection.put_void()), S_OK);

  auto invoke = [&](const wchar_t* member, VARIANT* args, UINT count, EXCEPINFO& exception) {
    DISPID id = 0;
    auto* name = const_cast<LPOLESTR>(member);
    EXPECT_EQ(connection->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    DISPPARAMS params{args, nullptr, count, 0};
    UINT argError = 0;
    return connection->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, &argError);
  };

  SafeArray custom = SafeArray::Vector(VT_VARIANT, 0);
  SAFEARRAY* customPointer = custom.get();
  VARIANT customArg;
  VariantInit(&customArg);
  V_VT(&customArg) = VT_ARRAY | VT_VARIANT | VT_BYREF;
  V_ARRAYREF(&customArg) = &customPointer;
  EXCEPINFO exception{};
  EXPECT_EQ(invoke(L"OnStartupComplete", &customArg, 1, exception), S_OK);

  // Connecting without an application fails in the add-in's first use of
  // it, and comes back as the dispatch exception with the failure's text.
  VARIANT args[4];  // in reverse order: custom, AddInInst, ConnectMode, Application
  args[0] = customArg;
  VariantInit(&args[1]);
  V_VT(&args[1]) = VT_DISPATCH;
  V_DISPATCH(&args[1]) = nullptr;
  VariantInit(&args[2]);
  V_VT(&args[2]) = VT_I4;
  V_I4(&args[2]) = 1;
  args[3] = args[1];
  exception = EXCEPINFO{};
  EXPECT_EQ(invoke(L"OnConnection", args, 4, exception), DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<std::uint32_t>(exception.scode), 0x800A005Bu);
  EXPECT_EQ(TextOf(exception.bstrDescription), u"Object variable or With block variable not set");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
}

void PrintTo(const ServerCase& server, std::ostream* out) { *out << server.name; }

INSTANTIATE_TEST_SUITE_P(Dlls, ServerTest, ::testing::ValuesIn(kServers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace host::com
