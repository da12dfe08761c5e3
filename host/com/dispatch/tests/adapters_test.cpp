// The host adapters over a recording automation object: what goes out on
// each call, and what comes back.
#include <gtest/gtest.h>

#include "host/com/bstr.h"
#include "host/com/dispatch/host_adapters.h"
#include "host/com/dispatch/tests/fake_dispatch.h"
#include "host/com/tests/test_variants.h"

namespace host::com::testing {
namespace {

std::u16string TextIn(const VariantValue& v) {
  EXPECT_EQ(V_VT(&v.get()), VT_BSTR);
  return V_VT(&v.get()) == VT_BSTR ? TextOf(V_BSTR(&v.get())) : u"";
}

bool IsOmitted(const VariantValue& v) {
  return V_VT(&v.get()) == VT_ERROR && V_ERROR(&v.get()) == DISP_E_PARAMNOTFOUND;
}

// A command-bar control of the given Type, with the properties add-ins write.
ComPtr<FakeDispatch> Control(LONG type) {
  auto control = FakeDispatch::Make();
  control->Property(u"Type", 1, Owned(LongVariant(type)));
  control->Property(u"Caption", 2, Owned(TextVariant(L"Tessaly...")));
  control->Property(u"Tag", 3, Owned(TextVariant(L"")));
  control->Member(u"Execute", 4, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });
  return control;
}

// An application whose one member returns `object`.
Ref<HostApplication> ApplicationReturning(const std::u16string& member, IDispatch* object) {
  auto application = FakeDispatch::Make();
  application->ObjectMember(member, 10, object);
  return WrapApplication(application.get());
}

TEST(LateBinding, AsksForEachMembersDispidOncePerObject) {
  auto control = Control(msoControlButton);
  auto adapter = TakeAs<CommandBarControl>(WrapHostObject(control.get()));
  ASSERT_NE(adapter, nullptr);

  EXPECT_EQ(adapter->Caption(), u"Tessaly...");
  adapter->put_Caption(u"Other");
  EXPECT_EQ(adapter->Caption(), u"Other");
  adapter->Execute();
  adapter->Execute();
  EXPECT_EQ(control->Lookups(u"Caption"), 1);
  EXPECT_EQ(control->Lookups(u"Execute"), 1);
  EXPECT_EQ(control->Lookups(u"Type"), 1) << "the kind test's lookup is kept too";
}

TEST(LateBinding, PutsAPropertyWithDispidPropertyPut) {
  auto record = FakeDispatch::Make();
  record->Property(u"Connect", 5, VariantValue());
  WrapAddInInstance(record.get())->put_Connect(False);

  ASSERT_EQ(record->Calls().size(), 1u);
  const Invocation& put = record->Calls()[0];
  EXPECT_EQ(put.flags, DISPATCH_PROPERTYPUT);
  ASSERT_EQ(put.positional.size(), 1u);
  EXPECT_EQ(V_VT(&put.positional[0].get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(&put.positional[0].get()), VARIANT_FALSE);
}

TEST(LateBinding, PassesOmittedArgumentsAsParamNotFoundInTheirPlaces) {
  auto bar = FakeDispatch::Make();
  bar->Member(u"FindControl", 7, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });  // finds nothing
  auto bars = FakeDispatch::Make();
  bars->ObjectMember(u"Item", 1, bar.get());
  auto commandBars = ApplicationReturning(u"CommandBars", bars.get())->CommandBars();

  auto found = commandBars->Item(u"Menu Bar")->FindControl(Variant::Missing(), Variant::Missing(), u"Zarvik",
                                                           Variant::Missing(), Variant::Missing());
  EXPECT_EQ(found, nullptr);
  ASSERT_EQ(bar->Calls().size(), 1u);
  const auto& args = bar->Calls()[0].positional;
  ASSERT_EQ(args.size(), 5u);
  EXPECT_TRUE(IsOmitted(args[0]));
  EXPECT_TRUE(IsOmitted(args[1]));
  EXPECT_EQ(TextIn(args[2]), u"Zarvik") << "Tag is the third argument";
  EXPECT_TRUE(IsOmitted(args[3]));
  EXPECT_TRUE(IsOmitted(args[4]));
  EXPECT_EQ(TextIn(bars->Calls()[0].positional.at(0)), u"Menu Bar");
}

TEST(LateBinding, AddsControlsWithTheGivenArgumentsByName) {
  auto button = Control(msoControlButton);
  auto controls = FakeDispatch::Make();
  controls->ObjectMember(u"Add", 3, button.get());
  auto popup = Control(msoControlPopup);
  popup->ObjectMember(u"Controls", 9, controls.get());

  auto added = LateControls(WrapHostObject(popup.get()))
                   ->Add(msoControlButton, Variant::Missing(), u"Mapnote", Variant::Missing(), Variant::Missing());

  EXPECT_NE(TakeAs<CommandBarButton>(added), nullptr);
  const auto add = std::find(controls->LookupBatches().begin(), controls->LookupBatches().end(),
                             std::vector<std::u16string>{u"Add", u"Type", u"Parameter"});
  EXPECT_NE(add, controls->LookupBatches().end()) << "the member first, then its named arguments";
  ASSERT_EQ(controls->Calls().size(), 1u);
  const Invocation& call = controls->Calls()[0];
  EXPECT_TRUE(call.positional.empty());
  ASSERT_EQ(call.namedIds, (std::vector<DISPID>{controls->NamedId(u"Type"), controls->NamedId(u"Parameter")}));
  EXPECT_EQ(V_VT(&call.named[0].get()), VT_I4);
  EXPECT_EQ(V_I4(&call.named[0].get()), msoControlButton);
  EXPECT_EQ(TextIn(call.named[1]), u"Mapnote");
}

TEST(LateBinding, TakesItemsByTextOrSixteenBitIndex) {
  auto element = FakeDispatch::Make();
  element->Member(u"getAttribute", 1, [](const Invocation&, VARIANT* result, EXCEPINFO*) {
    V_VT(result) = VT_NULL;  // the attribute is absent
    return S_OK;
  });
  auto areas = FakeDispatch::Make();
  areas->ObjectMember(u"Item", 2, element.get());
  areas->Property(u"length", 3, Owned(LongVariant(4)));
  auto all = FakeDispatch::Make();
  all->ObjectMember(u"tags", 4, areas.get());
  auto document = FakeDispatch::Make();
  document->ObjectMember(u"all", 5, all.get());
  auto page = FakeDispatch::Make();
  page->ObjectMember(u"Document", 6, document.get());
  auto pages = FakeDispatch::Make();
  pages->ObjectMember(u"Item", 7, page.get());
  auto web = FakeDispatch::Make();
  web->ObjectMember(u"PageWindows", 8, pages.get());

  auto pageWindow = ApplicationReturning(u"ActiveWebWindow", web.get())->ActiveWebWindow()->PageWindows()->Item(
      u"http://web/a.htm");
  EXPECT_EQ(TextIn(pages->Calls().at(0).positional.at(0)), u"http://web/a.htm");

  auto collection = pageWindow->Document()->all()->tags(u"area");
  EXPECT_EQ(TextIn(all->Calls().at(0).positional.at(0)), u"area");
  EXPECT_EQ(collection->length(), 4);
  auto area = collection->Item(Int16(3));
  const VariantValue& index = areas->Calls().back().positional.at(0);
  EXPECT_EQ(V_VT(&index.get()), VT_I2);
  EXPECT_EQ(V_I2(&index.get()), 3);
  EXPECT_TRUE(area->getAttribute(u"alt").IsNull());

  // Past its end a collection gives nothing, which the adapter reports as a failure.
  auto emptyAreas = FakeDispatch::Make();
  emptyAreas->ObjectMember(u"Item", 2, nullptr);
  emptyAreas->Property(u"length", 3, Owned(LongVariant(0)));
  emptyAreas->ObjectMember(u"tags", 4, nullptr);
  auto empty = TakeAs<ElementCollection>(WrapHostObject(emptyAreas.get()));
  EXPECT_THROW(empty->Item(Int16(0)), Error);
}

TEST(LateBinding, GivesTheHostsFailureWithItsCodeAndText) {
  auto document = FakeDispatch::Make();
  document->FailingMember(u"URL", 1, static_cast<SCODE>(0x800A0009), 0, L"Subscript out of range");
  document->FailingMember(u"all", 2, 0, 1004, L"Method 'all' failed");
  auto page = FakeDispatch::Make();
  page->ObjectMember(u"Document", 1, document.get());
  page->Member(u"Activate", 2, [](const Invocation&, VARIANT*, EXCEPINFO*) { return E_ACCESSDENIED; });
  auto application = ApplicationReturning(u"ActivePageWindow", page.get());
  auto doc = application->ActivePageWindow()->Document();

  try {
    doc->URL();
    FAIL() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), 0x800A0009u);
    EXPECT_EQ(e.description(), u"Subscript out of range");
  }
  try {
    doc->all();
    FAIL() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), 0x800A03ECu) << "error number 1004";
    EXPECT_EQ(e.description(), u"Method 'all' failed");
  }
  try {
    application->ActivePageWindow()->Activate();
    FAIL() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), static_cast<std::uint32_t>(E_ACCESSDENIED));
  }
  try {
    application->COMAddIns();
    FAIL() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), code::NotSupported) << "a member the object does not know";
  }
}

}  // namespace
}  // namespace host::com::testing
