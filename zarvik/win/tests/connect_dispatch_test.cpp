// zarvik's _Connect as any COM client calls it: by member name through
// IDispatch::Invoke, and through its vtable, failures included.
#include <windows.h>
#include <ole2.h>

#include <initguid.h>  // the GUIDs of the generated header, for this program

#include <gtest/gtest.h>

#include "host/com/bstr.h"
#include "host/com/com_ptr.h"
#include "zarvik.h"

namespace {

using host::com::Bstr;
using host::com::ComPtr;
using host::com::TextOf;

std::wstring WindowsPath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

struct DispatchResult {
  HRESULT hr = E_FAIL;
  std::u16string text;  // the string result
  SCODE scode = 0;
  std::u16string description, source;
};

class ConnectDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    dll_ = LoadLibraryW(WindowsPath(ZARVIK_DLL).c_str());
    ASSERT_NE(dll_, nullptr);
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(dll_, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_Connect, IID_IClassFactory, factory.put_void()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__Connect, connect_.put_void()), S_OK);
  }
  void TearDown() override {
    connect_.reset();
    if (dll_) FreeLibrary(dll_);
    CoUninitialize();
  }

  // Calls a one-string member by name, the argument by value or by reference.
  DispatchResult CallByName(const wchar_t* member, const std::u16string& entry, bool byReference) {
    DispatchResult r;
    DISPID id = 0;
    auto* name = const_cast<LPOLESTR>(member);
    EXPECT_EQ(connect_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    Bstr argument(entry);
    BSTR slot = argument.get();
    VARIANT arg;
    VariantInit(&arg);
    if (byReference) {
      V_VT(&arg) = VT_BSTR | VT_BYREF;
      V_BSTRREF(&arg) = &slot;
    } else {
      V_VT(&arg) = VT_BSTR;
      V_BSTR(&arg) = argument.get();
    }
    DISPPARAMS params{&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0;
    r.hr = connect_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception, &argError);
    if (V_VT(&result) == VT_BSTR) r.text = TextOf(V_BSTR(&result));
    VariantClear(&result);
    r.scode = exception.scode;
    r.description = TextOf(exception.bstrDescription);
    r.source = TextOf(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    EXPECT_EQ(slot, argument.get()) << "the entry is passed by reference and must not be replaced";
    EXPECT_EQ(argument.text(), entry) << "the entry must not be changed";
    return r;
  }

  HMODULE dll_ = nullptr;
  ComPtr<_Connect> connect_;
};

TEST_F(ConnectDispatchTest, GetCaptionAndGetTagByNameSplitAtTheFirstComma) {
  struct Case {
    std::u16string entry, caption, tag;
  };
  const Case cases[] = {
      {u"Mapnote,Tessaly...", u"Tessaly...", u"Mapnote"},
      {u"Pre,One, two, three", u"One, two, three", u"Pre"},
      {u",Leading", u"Leading", u""},
      {u"Trailing,", u"", u"Trailing"},
  };
  for (bool byReference : {false, true}) {
    for (const auto& c : cases) {
      auto caption = CallByName(L"GetCaption", c.entry, byReference);
      EXPECT_EQ(caption.hr, S_OK);
      EXPECT_EQ(caption.text, c.caption);
      auto tag = CallByName(L"GetTag", c.entry, byReference);
      EXPECT_EQ(tag.hr, S_OK);
      EXPECT_EQ(tag.text, c.tag);
    }
  }
  EXPECT_EQ(CallByName(L"GetCaption", u"NoComma", false).text, u"NoComma");
  EXPECT_EQ(CallByName(L"GetCaption", u"", false).text, u"");
}

TEST_F(ConnectDispatchTest, GetTagOfAnEntryWithoutCommaFailsAsInvalidArgumentWithErrorInfo) {
  auto byName = CallByName(L"GetTag", u"NoComma", false);
  EXPECT_EQ(byName.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<std::uint32_t>(byName.scode), 0x800A0005u);
  EXPECT_EQ(byName.description, u"Invalid procedure call or argument");
  EXPECT_EQ(byName.source, u"zarvik.Connect");

  // Through the vtable: the HRESULT itself, and the thread's error info.
  Bstr entry(u"NoComma");
  BSTR slot = entry.get();
  Bstr result;
  EXPECT_EQ(static_cast<std::uint32_t>(connect_->GetTag(&slot, result.put())), 0x800A0005u);
  EXPECT_EQ(result.get(), nullptr);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  Bstr description;
  ASSERT_EQ(info->GetDescription(description.put()), S_OK);
  EXPECT_EQ(description.text(), u"Invalid procedure call or argument");
  GUID guid{};
  ASSERT_EQ(info->GetGUID(&guid), S_OK);
  EXPECT_TRUE(IsEqualGUID(guid, IID__Connect));
}

TEST_F(ConnectDispatchTest, VtableAndNamesAgreeOnTheMembersAndTheirOrder) {
  const wchar_t* members[] = {L"GetCaption", L"GetTag", L"CreateZarvikPopups"};
  DISPID previous = DISPID_UNKNOWN;
  for (const wchar_t* member : members) {
    DISPID id = DISPID_UNKNOWN;
    auto* name = const_cast<LPOLESTR>(member);
    ASSERT_EQ(connect_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_GT(id, previous) << "members in their declared order";
    previous = id;
  }
  auto* unknown = const_cast<LPOLESTR>(L"NoSuchMember");
  DISPID id = 0;
  EXPECT_EQ(connect_->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);

  Bstr entry(u"Mapnote,Tessaly...");
  BSTR slot = entry.get();
  Bstr caption;
  ASSERT_EQ(connect_->GetCaption(&slot, caption.put()), S_OK);
  EXPECT_EQ(caption.text(), u"Tessaly...");
}

}  // namespace
