// The server shell on its own: ownership of COM values, failures turned into
// HRESULTs with error info, registration and its exact undo, and a class
// factory whose object cannot be made.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <stdexcept>

#include "host/com/bstr.h"
#include "host/com/class_factory.h"
#include "host/com/com_ptr.h"
#include "host/com/error_info.h"
#include "host/com/registration.h"
#include "host/com/registry_key.h"
#include "host/com/safe_array.h"
#include "host/com/tests/registry_snapshot.h"
#include "host/com/variant_conversion.h"
#include "host/com/variant_value.h"
#include "host/error.h"
#include "tests/support/failure_code.h"

namespace host::com {
namespace {

// An object that counts the references it was given and released.
class Counted final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;  // the test's own
};

TEST(Ownership, InterfacePointersAdoptRetainAndReleaseBeforeReuse) {
  Counted a, b;
  {
    auto adopted = ComPtr<IUnknown>::Adopt(&a);
    EXPECT_EQ(a.refs, 1u) << "adopting takes over the reference, adding none";
    a.AddRef();  // the reference the pointer now owns
    auto copy = adopted;
    EXPECT_EQ(a.refs, 3u);
    IUnknown** slot = copy.put();
    EXPECT_EQ(a.refs, 2u) << "put() releases what was held";
    *slot = &b;
    b.AddRef();
    auto retained = ComPtr<IUnknown>::Retain(&b);
    EXPECT_EQ(b.refs, 3u);
    IUnknown* detached = retained.Detach();
    EXPECT_EQ(b.refs, 3u) << "detaching hands the reference over";
    detached->Release();
  }
  EXPECT_EQ(a.refs, 1u);
  EXPECT_EQ(b.refs, 1u);
}

TEST(Ownership, AutomationValuesReleaseWhatTheyHold) {
  Counted held;
  {
    VariantValue v;
    V_VT(v.put()) = VT_UNKNOWN;
    V_UNKNOWN(&v.get()) = &held;
    held.AddRef();
    VariantValue copy = v.Copy();
    EXPECT_EQ(held.refs, 3u);
    v.put();
    EXPECT_EQ(held.refs, 2u) << "put() clears the old value";
  }
  EXPECT_EQ(held.refs, 1u);

  // Text is length-counted: an embedded NUL survives the round trip.
  const std::u16string text(u"Map\0note", 8);
  Bstr b(text);
  EXPECT_EQ(b.text(), text);
  EXPECT_EQ(b.Copy().text(), text);
  EXPECT_EQ(TextOf(nullptr), u"");

  EXPECT_EQ(SafeArray::Vector(VT_VARIANT, 3).size(), 3);
  EXPECT_EQ(SafeArray().size(), 0);
}

class Failures : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK); }
  void TearDown() override { CoUninitialize(); }

  template <class Throw>
  HRESULT Fail(Throw&& doThrow) {
    return Guarded(IID_IDispatch, L"Test.Source", doThrow);
  }
  static std::u16string LastDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK) return u"<no error info>";
    Bstr description, source;
    info->GetDescription(description.put());
    info->GetSource(source.put());
    EXPECT_EQ(source.text(), u"Test.Source");
    return description.text();
  }
};

TEST_F(Failures, BecomeTheirHResultWithADescriptionAndNeverSuccess) {
  EXPECT_EQ(Fail([] {}), S_OK);
  EXPECT_EQ(static_cast<std::uint32_t>(Fail([] { throw Error(code::SubscriptOutOfRange, u"No such area"); })),
            code::SubscriptOutOfRange);
  EXPECT_EQ(LastDescription(), u"No such area");
  EXPECT_EQ(static_cast<std::uint32_t>(Fail([] { throw Error(code::Overflow); })), code::Overflow);
  EXPECT_EQ(LastDescription(), u"Overflow") << "a failure without text gets the usual one";

  EXPECT_EQ(Fail([] { throw Error(0); }), E_FAIL) << "a failure must not read as success";
  EXPECT_EQ(Fail([] { throw Error(1); }), E_FAIL);
  EXPECT_EQ(Fail([] { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(Fail([] { throw std::runtime_error("disk gone"); }), E_UNEXPECTED);
  EXPECT_EQ(LastDescription(), u"disk gone");
  EXPECT_EQ(Fail([] { throw 42; }), E_UNEXPECTED);
}

// What a portable variant holds, for comparing.
std::string Show(const Variant& v) {
  if (v.IsBool()) return "bool " + std::to_string(v.ToBool().value);
  if (v.IsInt16()) return "i16 " + std::to_string(v.ToInt16().value());
  if (v.IsInt32()) return "i32 " + std::to_string(v.ToInt32());
  if (v.IsText()) return "text " + ToUtf8(v.ToText());
  if (v.IsObject()) return v.ToObject() ? "object" : "nothing";
  return "other";
}

using test_support::FailureCodeOf;

IDispatch* NoDispatch(const Ref<Object>&) { throw Error(code::TypeMismatch); }

// Every automation type a host may pass, one way for every caller.
TEST(VariantConversion, ScalarsOfEveryWidthBooleansAndTheRestAsTheClassicRuntimeReadsThem) {
  const auto make = [](VARTYPE type, auto set) {
    VariantValue v;
    V_VT(&v.get()) = type;
    set(v.get());
    return v;
  };
  struct Case {
    const char* what;
    VariantValue value;
    std::string expected;  // or "code 0x..." for a failure
  };
  LONG byRef = 42;
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  Case cases[] = {
      {"VT_UI1", make(VT_UI1, [](VARIANT& v) { V_UI1(&v) = 200; }), "i16 200"},
      {"VT_I1", make(VT_I1, [](VARIANT& v) { V_I1(&v) = -5; }), "i16 -5"},
      {"VT_UI2", make(VT_UI2, [](VARIANT& v) { V_UI2(&v) = 65535; }), "i32 65535"},
      {"VT_UI4", make(VT_UI4, [](VARIANT& v) { V_UI4(&v) = 7; }), "i32 7"},
      {"VT_UI4 too large", make(VT_UI4, [](VARIANT& v) { V_UI4(&v) = 4000000000u; }), "code 800a0006"},
      {"VT_INT", make(VT_INT, [](VARIANT& v) { V_INT(&v) = -7; }), "i32 -7"},
      {"VT_UINT", make(VT_UINT, [](VARIANT& v) { V_UINT(&v) = 9; }), "i32 9"},
      {"VT_UINT too large", make(VT_UINT, [](VARIANT& v) { V_UINT(&v) = 0x80000000u; }), "code 800a0006"},
      {"VT_R8, by its text", make(VT_R8, [](VARIANT& v) { V_R8(&v) = 2.5; }), "text 2.5"},
      {"VT_BOOL of other bits", make(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = 1; }), "bool -1"},
      {"VT_I4 by reference", make(VT_I4 | VT_BYREF, [&](VARIANT& v) { V_I4REF(&v) = &byRef; }), "i32 42"},
      {"an array", make(VT_ARRAY | VT_VARIANT, [&](VARIANT& v) { V_ARRAY(&v) = array; }), "code 800a000d"},
      {"nothing", make(VT_DISPATCH, [](VARIANT& v) { V_DISPATCH(&v) = nullptr; }), "nothing"},
  };
  for (auto& c : cases) {
    std::string got;
    try {
      got = Show(FromVariant(c.value.get(), [](IDispatch* d) -> Ref<Object> {
        if (d) throw Error(code::TypeMismatch);
        return nullptr;
      }));
    } catch (const Error& e) {
      char code[16];
      std::snprintf(code, sizeof code, "code %08x", static_cast<unsigned>(e.code()));
      got = code;
    }
    EXPECT_EQ(got, c.expected) << c.what;
  }

  const VariantValue yes = ToVariant(Variant(Bool16{1}), NoDispatch);
  EXPECT_EQ(V_VT(&yes.get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(&yes.get()), VARIANT_TRUE) << "True is all bits set";
  EXPECT_EQ(static_cast<std::uint32_t>(FailureCodeOf([] { ToVariant(Variant(Ref<Object>()), NoDispatch); })),
            code::TypeMismatch)
      << "objects go through the caller's conversion";
}

// A class whose construction fails, as when the portable add-in cannot be made.
class Unmakeable : public IUnknown {
 public:
  using Implemented = Interfaces<IUnknown>;
  Unmakeable() { throw Error(code::Overflow); }
};

TEST_F(Failures, AnObjectThatCannotBeMadeFailsCreationAndStaysUncounted) {
  ComPtr<IClassFactory> factory;
  const CLSID clsid = IID_IDispatch;  // any identifier serves
  ASSERT_EQ(GetClassObject<Unmakeable>(clsid, clsid, IID_IClassFactory, factory.put_void()), S_OK);
  const long live = Module::Instance().objects();
  ComPtr<IUnknown> object;
  EXPECT_EQ(static_cast<std::uint32_t>(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void())), code::Overflow);
  EXPECT_FALSE(object);
  EXPECT_EQ(Module::Instance().objects(), live);
  factory.reset();
  EXPECT_TRUE(Module::Instance().CanUnload());
}

// Registration into a scratch part of the current user's registry.
class Registration : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kScratch = L"Software\\ComShellTest";

  void SetUp() override {
    DeleteTree(HKEY_CURRENT_USER, kScratch);
    RegKey::Create(HKEY_CURRENT_USER, kScratch);
  }
  void TearDown() override { DeleteTree(HKEY_CURRENT_USER, kScratch); }

  static testing::Snapshot Now() {
    testing::Snapshot s;
    testing::AddSubtree(s, HKEY_CURRENT_USER, L"HKCU", kScratch);
    return s;
  }

  const RegistryRoots roots{
      {HKEY_CURRENT_USER, std::wstring(kScratch) + L"\\Classes"},
      {HKEY_CURRENT_USER, std::wstring(kScratch) + L"\\Office\\FrontPage\\Addins"},
  };
  const ClassRegistration info{
      .clsid = L"{11111111-2222-3333-4444-555555555555}",
      .defaultInterface = L"{66666666-2222-3333-4444-555555555555}",
      .defaultInterfaceName = L"_Thing",
      .libid = L"{77777777-2222-3333-4444-555555555555}",
      .libraryMajor = 12,
      .libraryMinor = 3,
      .libraryHelpString = L"Things",
      .progId = L"Test.Thing",
      .friendlyName = L"Thing",
      .description = L"A thing",
      .loadBehavior = 3,
  };
};

TEST_F(Registration, WritesTheClassAndAddInAndItsUndoLeavesTheRegistryAsItWas) {
  // A neighbour that shares the parent keys must survive our undo.
  RegKey::Create(HKEY_CURRENT_USER, std::wstring(kScratch) + L"\\Classes\\CLSID\\{neighbour}").SetString(L"", L"x");
  const auto before = Now();

  Register(info, roots, L"C:\\dir\\thing.dll");
  const auto added = testing::Added(before, Now());
  const std::wstring classes = testing::Upper(std::wstring(L"HKCU\\") + kScratch + L"\\Classes");
  const std::wstring clsid = classes + L"\\CLSID\\{11111111-2222-3333-4444-555555555555}";
  auto has = [&](const std::wstring& line) { return std::find(added.begin(), added.end(), line) != added.end(); };
  EXPECT_TRUE(has(clsid + L"\\INPROCSERVER32|=1:C:\\dir\\thing.dll"));
  EXPECT_TRUE(has(clsid + L"\\INPROCSERVER32|THREADINGMODEL=1:Apartment"));
  EXPECT_TRUE(has(classes + L"\\TEST.THING\\CLSID|=1:{11111111-2222-3333-4444-555555555555}"));
  EXPECT_TRUE(has(classes + L"\\TYPELIB\\{77777777-2222-3333-4444-555555555555}\\12.3\\HELPDIR|=1:C:\\dir"));
  EXPECT_TRUE(has(classes + L"\\INTERFACE\\{66666666-2222-3333-4444-555555555555}\\TYPELIB|VERSION=1:12.3"));
  const std::wstring addIn = testing::Upper(std::wstring(L"HKCU\\") + kScratch + L"\\Office\\FrontPage\\Addins\\Test.Thing");
  EXPECT_TRUE(has(addIn + L"|LOADBEHAVIOR=4:3"));
  EXPECT_TRUE(has(addIn + L"|FRIENDLYNAME=1:Thing"));

  Unregister(info, roots);
  const auto after = Now();
  EXPECT_EQ(after, before) << "left behind:" << testing::Narrow(testing::Added(before, after))
                           << "\nremoved:" << testing::Narrow(testing::Added(after, before));

  // Undoing twice is harmless: nothing of ours is there any more.
  EXPECT_NO_THROW(Unregister(info, roots));
  EXPECT_EQ(Now(), before);
}

// Unregistration removes what registration wrote and no more: a shared key
// that was there before stays, even empty, and one it created goes again.
TEST_F(Registration, KeysThatWereThereBeforeStayEvenEmpty) {
  const std::wstring scratch = kScratch;
  for (const auto& existing : {scratch + L"\\Office\\FrontPage\\Addins", scratch + L"\\Classes\\TypeLib",
                               scratch + L"\\Classes\\Interface"}) {
    SCOPED_TRACE(std::string(existing.begin(), existing.end()));
    RegKey::Create(HKEY_CURRENT_USER, existing);
    const auto before = Now();
    Register(info, roots, L"C:\\dir\\thing.dll");
    EXPECT_NE(Now(), before);
    Unregister(info, roots);
    EXPECT_EQ(Now(), before) << "left behind:" << testing::Narrow(testing::Added(before, Now()))
                             << "\nremoved:" << testing::Narrow(testing::Added(Now(), before));
    DeleteTree(HKEY_CURRENT_USER, scratch);
  }
}

// The table holds every key and value registration writes, each key of the
// registration's own under one root, and the add-in entry of the host.
TEST_F(Registration, OneTableNamesEveryKeyAndValueItWrites) {
  const auto table = RegistrationTable(info, ServerAt(L"C:\\dir\\thing.dll"));
  const auto before = Now();
  Register(info, roots, L"C:\\dir\\thing.dll");
  const auto added = testing::Added(before, Now());
  std::size_t values = 0;
  for (const auto& entry : table) values += entry.values.size();
  // Every value of the table, the note of the keys it created, and the keys themselves.
  std::size_t written = 0;
  for (const auto& line : added) written += line.find(L'|') != std::wstring::npos;
  EXPECT_EQ(written, values + 1);
  const auto owned = std::count_if(table.begin(), table.end(), [](const RegistryEntry& e) { return e.own; });
  EXPECT_EQ(owned, 5) << "the class, the ProgID, the type library, the interface and the add-in entry";
  Unregister(info, roots);
}

}  // namespace
}  // namespace host::com
