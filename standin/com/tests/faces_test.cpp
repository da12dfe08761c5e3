// The COM faces of the stand-in host as an automation client meets them:
// members looked up by name in any letter case, optional and named
// arguments, failures as HRESULTs with EXCEPINFO and error info, events
// through connection points found from the type information, and every
// object handed out released again.
#include "standin/host.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <vector>

#include "host/com/bstr.h"
#include "host/com/module.h"
#include "host/com/tests/test_variants.h"
#include "host/com/variant_value.h"
#include "standin/com/faces.h"

namespace standin::com {
namespace {

using host::com::Bstr;
using host::com::VariantValue;
using host::com::testing::LongVariant;
using host::com::testing::TextVariant;

struct ComApartment {
  ComApartment() { OleInitialize(nullptr); }
  ~ComApartment() { OleUninitialize(); }
};

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  auto* text = const_cast<LPOLESTR>(name);
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "no member";
  return id;
}

struct Call {
  HRESULT hr = E_FAIL;
  VariantValue result;
  SCODE scode = 0;           // from EXCEPINFO
  host::Text description;  // from EXCEPINFO
};

// A late-bound call; args in the caller's order, cleared afterwards.
Call Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {}) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  Call call;
  UINT argError = 0;
  EXCEPINFO exception{};
  call.hr = object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, call.result.put(),
                           &exception, &argError);
  call.scode = exception.scode;
  call.description = Bstr::Adopt(exception.bstrDescription).text();
  Bstr::Adopt(exception.bstrSource);
  Bstr::Adopt(exception.bstrHelpFile);
  for (auto& arg : args) VariantClear(&arg);
  return call;
}

ComPtr<IDispatch> Object(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {}) {
  auto call = Invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
  EXPECT_EQ(call.hr, S_OK);
  if (FAILED(call.hr) || V_VT(&call.result.get()) != VT_DISPATCH) return nullptr;
  return ComPtr<IDispatch>::Retain(V_DISPATCH(&call.result.get()));
}

class FacesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = host::com::Module::Instance().objects();
    host_.OpenWeb();
    host_.OpenPage(url_, std::vector<Area>{{u"a.htm", u"A"}, {u"b.htm", std::nullopt}});
    host_.Start();
    application_ = ApplicationFace(host_.Application());
  }
  void TearDown() override {
    application_.reset();
    EXPECT_EQ(host::com::Module::Instance().objects(), baseline_) << "a face was not released";
  }
  IDispatch* app() { return application_.get(); }

  ComApartment apartment_;
  long baseline_ = 0;
  const host::Text url_ = u"http://localhost/web/map.htm";
  Host host_;
  ComPtr<IApplication> application_;
};

TEST_F(FacesTest, MembersAreFoundInAnyLetterCaseAndReachThePage) {
  auto window = Object(app(), L"activepagewindow");
  ASSERT_TRUE(window);
  auto document = Object(window.get(), L"DOCUMENT");
  auto url = Invoke(document.get(), L"Url", DISPATCH_PROPERTYGET);
  EXPECT_EQ(host::com::TextOf(V_BSTR(&url.result.get())), url_);
  auto areas = Object(Object(document.get(), L"all").get(), L"tags", {TextVariant(L"area")});
  EXPECT_EQ(V_I4(&Invoke(areas.get(), L"length", DISPATCH_PROPERTYGET).result.get()), 2);

  // Item takes a 16-bit index, as the add-in passes it.
  VARIANT index;
  V_VT(&index) = VT_I2;
  V_I2(&index) = 1;
  auto second = Object(areas.get(), L"item", {index});
  auto alt = Invoke(second.get(), L"getAttribute", DISPATCH_METHOD, {TextVariant(L"alt")});
  EXPECT_EQ(V_VT(&alt.result.get()), VT_NULL) << "an absent attribute is null";
  EXPECT_EQ(Invoke(second.get(), L"setAttribute", DISPATCH_METHOD, {TextVariant(L"alt"), TextVariant(L"B")}).hr, S_OK);
  EXPECT_EQ(host_.Areas(url_)[1].alt, host::Text(u"B"));
}

TEST_F(FacesTest, ControlsAddTakesNamedArgumentsAndLeavesTheRestToTheHost) {
  auto bar = Object(Object(app(), L"CommandBars").get(), L"Item", {TextVariant(L"menu bar")});
  auto controls = Object(bar.get(), L"Controls");
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"Add"), const_cast<LPOLESTR>(L"parameter"), const_cast<LPOLESTR>(L"Type")};
  DISPID ids[3] = {};
  ASSERT_EQ(controls->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids), S_OK);
  VARIANT args[2] = {TextVariant(L"Prefix"), LongVariant(1)};
  DISPID named[2] = {ids[1], ids[2]};
  DISPPARAMS params{args, named, 2, 2};
  VariantValue result;
  ASSERT_EQ(controls->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), nullptr,
                             nullptr),
            S_OK);
  VariantClear(&args[0]);
  auto* control = V_DISPATCH(&result.get());
  EXPECT_EQ(V_I4(&Invoke(control, L"Type", DISPATCH_PROPERTYGET).result.get()), 1);
  EXPECT_EQ(host::com::TextOf(V_BSTR(&Invoke(control, L"Parameter", DISPATCH_PROPERTYGET).result.get())), u"Prefix");
  // Omitted Before: the control goes last.
  EXPECT_EQ(host_.MenuCaptions({}).size(), static_cast<std::size_t>(V_I4(&Invoke(controls.get(), L"Count", DISPATCH_PROPERTYGET).result.get())));
}

TEST_F(FacesTest, AFailureComesBackAsItsCodeWithADescription) {
  auto controls = Object(Object(Object(app(), L"CommandBars").get(), L"Item", {TextVariant(L"Menu Bar")}).get(), L"Controls");
  auto missing = Invoke(controls.get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {TextVariant(L"No such menu")});
  EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<std::uint32_t>(missing.scode), host::code::InvalidProcedureCall);
  EXPECT_NE(missing.description.find(u"No such menu"), host::Text::npos);

  // Through the table of operations: the HRESULT, and the error info.
  ComPtr<ICommandBarControls> typed = controls.As<ICommandBarControls>();
  ICommandBarControl* control = reinterpret_cast<ICommandBarControl*>(1);
  VARIANT index = TextVariant(L"No such menu");
  EXPECT_EQ(static_cast<std::uint32_t>(typed->Item(index, &control)), host::code::InvalidProcedureCall);
  VariantClear(&index);
  EXPECT_EQ(control, nullptr) << "no garbage in the result on failure";
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  Bstr description;
  info->GetDescription(description.put());
  EXPECT_FALSE(description.text().empty());
}

// Counts the events it receives; can refuse a page close or fail.
class Sink final : public IDispatch {
 public:
  explicit Sink(IID events) : events_(events) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != events_) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info,
                                   UINT*) override {
    ++calls;
    lastId = id;
    if (params->cArgs == 2 && V_VT(&params->rgvarg[0]) == (VT_BOOL | VT_BYREF)) {
      if (setCancel) *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
      if (events_ == DIID_ApplicationEvents && V_VT(&params->rgvarg[1]) == VT_DISPATCH) {
        auto* source = V_DISPATCH(&params->rgvarg[1]);
        if (auto document = Object(source, L"ActiveDocument"))
          seenUrl = host::com::TextOf(V_BSTR(&::standin::com::Invoke(document.get(), L"URL", DISPATCH_PROPERTYGET).result.get()));
      }
    }
    if (fail) {
      info->scode = static_cast<SCODE>(0x800A0009);
      info->bstrDescription = SysAllocString(L"the sink failed");
      return DISP_E_EXCEPTION;
    }
    return S_OK;
  }

  IID events_;
  ULONG refs = 1;
  int calls = 0;
  DISPID lastId = 0;
  bool setCancel = false, fail = false;
  host::Text seenUrl;
};

DWORD Advise(IDispatch* source, const IID& events, Sink& sink, ComPtr<IConnectionPoint>& point) {
  auto container = ComPtr<IDispatch>::Retain(source).As<IConnectionPointContainer>();
  EXPECT_TRUE(container);
  EXPECT_EQ(container->FindConnectionPoint(events, point.put()), S_OK);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
  return cookie;
}

TEST_F(FacesTest, PageCloseIsTheApplicationsDefaultEventAndCanBeRefused) {
  auto classInfo = application_.As<IProvideClassInfo2>();
  ASSERT_TRUE(classInfo);
  GUID source{};
  ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_EQ(source, DIID_ApplicationEvents);
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(classInfo->GetClassInfo(coclass.put()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  coclass->ReleaseTypeAttr(attributes);

  Sink sink(source);
  sink.setCancel = true;
  ComPtr<IConnectionPoint> point;
  const DWORD cookie = Advise(app(), source, sink, point);
  EXPECT_FALSE(host_.ClosePage(url_));
  EXPECT_EQ(sink.calls, 1);
  EXPECT_EQ(sink.seenUrl, url_);

  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(sink.refs, 1u) << "the host let go of the sink";
  EXPECT_TRUE(host_.ClosePage(url_));
  EXPECT_EQ(sink.calls, 1);
}

TEST_F(FacesTest, AButtonRaisesClickAndASinkFailureReachesTheHost) {
  auto controls = Object(Object(Object(app(), L"CommandBars").get(), L"Item", {TextVariant(L"Menu Bar")}).get(), L"Controls");
  auto button = Object(controls.get(), L"Add", {LongVariant(1)});
  DISPID put = DISPID_PROPERTYPUT;
  VARIANT caption = TextVariant(L"Press me");
  DISPPARAMS params{&caption, &put, 1, 1};
  ASSERT_EQ(button->Invoke(IdOf(button.get(), L"Caption"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                           nullptr),
            S_OK);
  VariantClear(&caption);

  Sink sink(DIID__CommandBarButtonEvents);
  ComPtr<IConnectionPoint> point;
  const DWORD cookie = Advise(button.get(), DIID__CommandBarButtonEvents, sink, point);
  host_.Click({u"Press me"});
  EXPECT_EQ(sink.calls, 1);
  EXPECT_EQ(sink.lastId, 1);

  sink.fail = true;
  const auto before = host_.Failures().size();
  host_.Click({u"Press me"});
  ASSERT_EQ(host_.Failures().size(), before + 1);
  EXPECT_EQ(host_.Failures().back().code, 0x800A0009u);
  point->Unadvise(cookie);

  // A popup raises no clicks.
  auto popup = Object(controls.get(), L"Add", {LongVariant(10)});
  auto container = popup.As<IConnectionPointContainer>();
  ComPtr<IConnectionPoint> none;
  EXPECT_EQ(container->FindConnectionPoint(DIID__CommandBarButtonEvents, none.put()), CONNECT_E_NOCONNECTION);
}

}  // namespace
}  // namespace standin::com
