// Host events through connection points: the button's Click, the
// application's OnPageClose found from type information, and the add-in
// record's events; each connection given back exactly once.
#include <gtest/gtest.h>

#include <stdexcept>

#include "host/com/bstr.h"
#include "host/com/module.h"
#include "host/com/dispatch/host_adapters.h"
#include "host/com/dispatch/tests/fake_dispatch.h"
#include "host/com/tests/test_variants.h"

namespace host::com::testing {
namespace {

constexpr IID kButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kApplicationEvents = {0x5C1D0E61, 0x2F43, 0x4B0E, {0x9A, 0x11, 0x30, 0x6E, 0x1B, 0x52, 0x77, 0x01}};
constexpr IID kOtherEvents = {0x5C1D0E61, 0x2F43, 0x4B0E, {0x9A, 0x11, 0x30, 0x6E, 0x1B, 0x52, 0x77, 0x02}};
constexpr IID kApplicationInterface = {0x5C1D0E61, 0x2F43, 0x4B0E, {0x9A, 0x11, 0x30, 0x6E, 0x1B, 0x52, 0x77, 0x03}};
constexpr CLSID kApplicationClass = {0x5C1D0E61, 0x2F43, 0x4B0E, {0x9A, 0x11, 0x30, 0x6E, 0x1B, 0x52, 0x77, 0x04}};
constexpr IID kAddInEvents = {0x5C1D0E61, 0x2F43, 0x4B0E, {0x9A, 0x11, 0x30, 0x6E, 0x1B, 0x52, 0x77, 0x05}};
constexpr CLSID kAddInClass = {0x5C1D0E61, 0x2F43, 0x4B0E, {0x9A, 0x11, 0x30, 0x6E, 0x1B, 0x52, 0x77, 0x06}};
constexpr DISPID kOnPageClose = 7;

ComPtr<FakeDispatch> Button() {
  auto button = FakeDispatch::Make();
  VariantValue type, caption;
  V_VT(&type.get()) = VT_I4;
  V_I4(&type.get()) = msoControlButton;
  V_VT(&caption.get()) = VT_BSTR;
  V_BSTR(&caption.get()) = SysAllocString(L"Tessaly...");
  button->Property(u"Type", 1, std::move(type));
  button->Property(u"Caption", 2, std::move(caption));
  button->Member(u"Execute", 3, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });
  button->OfferEvents(kButtonEvents);
  return button;
}

struct Clicks final : CommandBarButtonEvents {
  std::vector<Text> captions;
  bool cancel = false;
  bool fail = false;
  bool failOtherwise = false;
  void Click(const Ref<CommandBarButton>& Ctrl, Bool16& CancelDefault) override {
    captions.push_back(Deref(Ctrl).Caption());
    if (fail) throw Error(code::InvalidProcedureCall, u"No page");
    if (failOtherwise) throw std::length_error("too long");
    if (cancel) CancelDefault = True;
  }
};

TEST(ButtonClick, ArrivesWithTheButtonAndCanCancelTheDefault) {
  auto button = Button();
  const ULONG before = button->References();
  const long live = Module::Instance().objects();
  Clicks clicks;
  clicks.cancel = true;
  {
    auto adapter = TakeAs<CommandBarButton>(WrapHostObject(button.get()));
    // What an add-in holds of the host keeps its DLL loaded: the host
    // object, and the sink the host may still call.
    EXPECT_EQ(Module::Instance().objects(), live + 1);
    Connection connection = adapter->Advise(clicks);
    EXPECT_EQ(button->Sinks(kButtonEvents), 1u);
    EXPECT_EQ(Module::Instance().objects(), live + 2);

    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    ASSERT_EQ(button->Fire(kButtonEvents, 1, {ObjectVariant(button.get()), BoolRefVariant(&cancelDefault)}), S_OK);
    EXPECT_EQ(clicks.captions, std::vector<Text>{u"Tessaly..."});
    EXPECT_EQ(cancelDefault, VARIANT_TRUE) << "written back through the reference";

    EXPECT_EQ(button->Fire(kButtonEvents, 99, {}), S_OK) << "other members are ignored";
    connection.Reset();
    EXPECT_EQ(button->Sinks(kButtonEvents), 0u);
    button->Fire(kButtonEvents, 1, {ObjectVariant(button.get()), BoolRefVariant(&cancelDefault)});
    EXPECT_EQ(clicks.captions.size(), 1u) << "no click after the reset";
    EXPECT_EQ(Module::Instance().objects(), live + 1);
  }
  EXPECT_EQ(button->References(), before);
  EXPECT_EQ(Module::Instance().objects(), live);
}

TEST(ButtonClick, AFailingReceiverGivesTheHostAnExceptionNotACrash) {
  auto button = Button();
  Clicks clicks;
  clicks.fail = true;
  auto adapter = TakeAs<CommandBarButton>(WrapHostObject(button.get()));
  Connection connection = adapter->Advise(clicks);

  VARIANT_BOOL cancelDefault = VARIANT_FALSE;
  EXCEPINFO exception{};
  EXPECT_EQ(button->Fire(kButtonEvents, 1, {ObjectVariant(button.get()), BoolRefVariant(&cancelDefault)}, &exception),
            DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<std::uint32_t>(exception.scode), code::InvalidProcedureCall);
  EXPECT_EQ(TextOf(exception.bstrDescription), u"No page");
  SysFreeString(exception.bstrDescription);
  EXPECT_EQ(button->Fire(kButtonEvents, 1, {ObjectVariant(button.get())}), static_cast<HRESULT>(DISP_E_BADPARAMCOUNT));

  // Any other exception is unexpected, and keeps its text, as for a method.
  clicks.fail = false;
  clicks.failOtherwise = true;
  exception = EXCEPINFO{};
  EXPECT_EQ(button->Fire(kButtonEvents, 1, {ObjectVariant(button.get()), BoolRefVariant(&cancelDefault)}, &exception),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_UNEXPECTED);
  EXPECT_EQ(TextOf(exception.bstrDescription), u"too long");
  SysFreeString(exception.bstrDescription);
}

TEST(ButtonClick, IsUnadvisedWhenTheAdapterGoesFirst) {
  auto button = Button();
  Clicks clicks;
  Connection connection;
  {
    auto adapter = TakeAs<CommandBarButton>(WrapHostObject(button.get()));
    connection = adapter->Advise(clicks);
  }
  EXPECT_EQ(button->Sinks(kButtonEvents), 0u);
  connection.Reset();  // nothing left to give back
  EXPECT_EQ(button->References(), 1u);
}

struct PageCloses final : ApplicationEvents {
  std::vector<Text> urls;
  void OnPageClose(const Ref<PageWindow>& pPage, Bool16& Cancel) override {
    urls.push_back(Deref(Deref(pPage).ActiveDocument()).URL());
    Cancel = True;
  }
};

// An application whose OnPageClose lies on a second, non-default events interface.
class ApplicationEventsTest : public ::testing::Test {
 protected:
  ApplicationEventsTest() {
    VariantValue url;
    V_VT(&url.get()) = VT_BSTR;
    V_BSTR(&url.get()) = SysAllocString(L"http://web/a.htm");
    document->Property(u"URL", 1, std::move(url));
    page->ObjectMember(u"ActiveDocument", 1, document.get());
    application->OfferEvents(kOtherEvents);
    application->OfferEvents(kApplicationEvents);
  }

  ComPtr<ITypeInfo> Coclass() {
    auto own = types.Dispinterface(kApplicationInterface, L"Application", {{L"ActivePageWindow", 1}});
    auto other = types.Dispinterface(kOtherEvents, L"OtherEvents", {{L"OnQuit", 1}});
    auto events = types.Dispinterface(kApplicationEvents, L"ApplicationEvents",
                                      {{L"OnPageOpen", 6}, {L"OnPageClose", kOnPageClose}});
    application->DescribeBy(own);
    return types.Coclass(kApplicationClass, L"ApplicationClass",
                         {{own, IMPLTYPEFLAG_FDEFAULT},
                          {other, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
                          {events, IMPLTYPEFLAG_FSOURCE}});
  }

  void ExpectDelivered(PageCloses& closes) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    ASSERT_EQ(application->Fire(kApplicationEvents, kOnPageClose, {ObjectVariant(page.get()), BoolRefVariant(&cancel)}), S_OK);
    EXPECT_EQ(closes.urls, std::vector<Text>{u"http://web/a.htm"});
    EXPECT_EQ(cancel, VARIANT_TRUE);
  }

  TypeLibraryBuilder types;
  ComPtr<FakeDispatch> document = FakeDispatch::Make();
  ComPtr<FakeDispatch> page = FakeDispatch::Make();
  ComPtr<FakeDispatch> application = FakeDispatch::Make();
};

TEST_F(ApplicationEventsTest, OnPageCloseIsFoundThroughTheClassInformation) {
  application->ProvideClassInfo(Coclass());
  PageCloses closes;
  auto adapter = WrapApplication(application.get());
  Connection connection = adapter->Advise(closes);

  EXPECT_EQ(application->PointsAsked(), std::vector<IID>{kApplicationEvents});
  EXPECT_EQ(application->Sinks(kApplicationEvents), 1u);
  EXPECT_EQ(application->Sinks(kOtherEvents), 0u);
  ExpectDelivered(closes);
  connection.Reset();
  EXPECT_EQ(application->Sinks(kApplicationEvents), 0u);
}

TEST_F(ApplicationEventsTest, OnPageCloseIsFoundThroughTheTypeLibraryWithoutClassInformation) {
  Coclass();  // known only from the interface the application describes itself by
  PageCloses closes;
  auto adapter = WrapApplication(application.get());
  Connection connection = adapter->Advise(closes);
  ExpectDelivered(closes);
}

TEST_F(ApplicationEventsTest, AnApplicationWithoutTheEventRefusesTheAdvise) {
  PageCloses closes;
  auto adapter = WrapApplication(application.get());
  EXPECT_THROW(adapter->Advise(closes), Error);
  EXPECT_TRUE(application->PointsAsked().empty());
}

TEST_F(ApplicationEventsTest, NoReferenceIsLeftOnceTheConnectionAndTheAdapterAreGone) {
  application->ProvideClassInfo(Coclass());
  const ULONG applicationBefore = application->References(), pageBefore = page->References();
  {
    PageCloses closes;
    auto adapter = WrapApplication(application.get());
    Connection connection = adapter->Advise(closes);
    ExpectDelivered(closes);
  }
  EXPECT_EQ(application->Sinks(kApplicationEvents), 0u);
  EXPECT_EQ(application->References(), applicationBefore);
  EXPECT_EQ(page->References(), pageBefore);
}

struct Disconnections final : AddInInstanceEvents {
  std::vector<ext_DisconnectMode> modes;
  int shutdowns = 0;
  void OnDisconnection(ext_DisconnectMode RemoveMode, Custom&) override { modes.push_back(RemoveMode); }
  void OnAddInsUpdate(Custom&) override {}
  void OnBeginShutdown(Custom&) override { ++shutdowns; }
};

TEST(AddInInstanceEvents, ArriveWhenTheRecordHasThemAndAreNoneOtherwise) {
  Disconnections received;
  auto plainRecord = FakeDispatch::Make();
  EXPECT_FALSE(WrapAddInInstance(plainRecord.get())->Advise(received).connected());

  TypeLibraryBuilder types;
  auto events = types.Dispinterface(kAddInEvents, L"AddInEvents",
                                    {{L"OnDisconnection", 21}, {L"OnAddInsUpdate", 22}, {L"OnBeginShutdown", 23}});
  auto record = FakeDispatch::Make();
  record->OfferEvents(kAddInEvents);
  record->ProvideClassInfo(types.Coclass(kAddInClass, L"AddInRecord", {{events, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}}));
  auto adapter = WrapAddInInstance(record.get());
  Connection connection = adapter->Advise(received);
  ASSERT_TRUE(connection.connected());

  VARIANT custom;
  V_VT(&custom) = VT_EMPTY;
  EXPECT_EQ(record->Fire(kAddInEvents, 21, {LongVariant(1), custom}), S_OK);
  EXPECT_EQ(record->Fire(kAddInEvents, 23, {custom}), S_OK);
  EXPECT_EQ(received.modes, std::vector<ext_DisconnectMode>{ext_DisconnectMode::ext_dm_UserClosed});
  EXPECT_EQ(received.shutdowns, 1);
}

}  // namespace
}  // namespace host::com::testing
