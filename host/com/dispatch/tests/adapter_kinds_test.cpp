// Which adapter an object gets, how objects go back to the host, and that
// every reference taken is given back.
#include <gtest/gtest.h>

#include "host/com/bstr.h"
#include "host/com/dispatch/host_adapters.h"
#include "host/com/dispatch/tests/fake_dispatch.h"
#include "host/com/tests/test_variants.h"

namespace host::com::testing {
namespace {

ComPtr<FakeDispatch> Control(LONG type) {
  auto control = FakeDispatch::Make();
  control->Property(u"Type", 1, Owned(LongVariant(type)));
  control->Property(u"Caption", 2, VariantValue());
  control->Member(u"Execute", 3, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });
  return control;
}

// A bar whose Controls.Item gives the control of the Type asked for by index.
struct Bar {
  Bar() {
    controls->Member(u"Item", 1, [this](const Invocation& call, VARIANT* result, EXCEPINFO*) {
      IDispatch* which = V_I4(&call.positional.at(0).get()) == 1 ? popup.get() : V_I4(&call.positional.at(0).get()) == 2 ? button.get() : edit.get();
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = which;
      which->AddRef();
      return S_OK;
    });
    bar->ObjectMember(u"Controls", 2, controls.get());
    bar->Member(u"FindControl", 3, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });
  }
  ComPtr<FakeDispatch> popup = Control(msoControlPopup);
  ComPtr<FakeDispatch> button = Control(msoControlButton);
  ComPtr<FakeDispatch> edit = Control(2);  // msoControlEdit
  ComPtr<FakeDispatch> controls = FakeDispatch::Make();
  ComPtr<FakeDispatch> bar = FakeDispatch::Make();
};

TEST(AdapterKinds, AControlIsAPopupAButtonOrPlainByItsType) {
  Bar b;
  b.popup->ObjectMember(u"Controls", 4, b.controls.get());
  auto bar = TakeAs<CommandBar>(WrapHostObject(b.bar.get()));
  auto controls = bar->Controls();

  auto popup = controls->Item(1);
  EXPECT_NE(TakeAs<CommandBarPopup>(popup), nullptr);
  EXPECT_NE(LateControls(popup), nullptr) << "a popup has Controls of its own";
  auto button = controls->Item(2);
  EXPECT_NE(TakeAs<CommandBarButton>(button), nullptr);
  try {
    TakeAs<CommandBarPopup>(button);
    FAIL() << "a button taken as a popup";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), code::TypeMismatch);
  }
  auto edit = controls->Item(3);
  EXPECT_EQ(edit->Type(), 2);
  EXPECT_THROW(TakeAs<CommandBarButton>(edit), Error);
  EXPECT_THROW(LateControls(edit), Error);
}

TEST(AdapterKinds, AnObjectOfNoKnownKindIsAPlainObject) {
  auto application = FakeDispatch::Make();
  application->ObjectMember(u"ActivePageWindow", 1, nullptr);
  application->ObjectMember(u"CommandBars", 2, nullptr);
  auto other = FakeDispatch::Make();
  other->Property(u"Name", 1, VariantValue());

  EXPECT_NE(std::dynamic_pointer_cast<HostApplication>(WrapHostObject(application.get())), nullptr);
  auto plain = WrapHostObject(other.get());
  ASSERT_NE(plain, nullptr);
  EXPECT_THROW(TakeAs<CommandBar>(plain), Error);
  EXPECT_THROW(LateControls(plain), Error);
  EXPECT_EQ(WrapHostObject(nullptr), nullptr);
  EXPECT_EQ(WrapApplication(nullptr), nullptr);
}

TEST(AdapterKinds, ObjectsGoBackToTheHostAsTheirOwnIDispatch) {
  auto web = FakeDispatch::Make();
  auto element = FakeDispatch::Make();
  element->Member(u"setAttribute", 1, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });
  element->Member(u"getAttribute", 2, [](const Invocation&, VARIANT*, EXCEPINFO*) { return S_OK; });
  auto window = FakeDispatch::Make();
  window->ObjectMember(u"Web", 1, web.get());
  window->ObjectMember(u"PageWindows", 2, nullptr);

  auto webWindow = TakeAs<WebWindow>(WrapHostObject(window.get()));
  auto theWeb = webWindow->Web();
  ASSERT_NE(theWeb, nullptr);
  EXPECT_EQ(webWindow->PageWindows(), nullptr);

  auto area = TakeAs<HTMLElement>(WrapHostObject(element.get()));
  area->setAttribute(u"data", theWeb);
  const VariantValue& passed = element->Calls().at(0).positional.at(1);
  ASSERT_EQ(V_VT(&passed.get()), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(&passed.get()), static_cast<IDispatch*>(web.get()));

  struct NotAHostObject : Object {};
  try {
    area->setAttribute(u"data", Ref<Object>(std::make_shared<NotAHostObject>()));
    FAIL() << "an object of our own went to the host";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), code::TypeMismatch);
  }
}

TEST(AdapterKinds, EveryReferenceTakenIsGivenBack) {
  Bar b;
  b.popup->ObjectMember(u"Controls", 4, b.controls.get());
  const ULONG bar = b.bar->References(), controls = b.controls->References(), popup = b.popup->References();
  {
    auto adapter = TakeAs<CommandBar>(WrapHostObject(b.bar.get()));
    auto item = adapter->Controls()->Item(1);
    auto again = LateControls(item)->Item(2);
    EXPECT_GT(b.popup->References(), popup) << "held while the adapter lives";
  }
  EXPECT_EQ(b.bar->References(), bar);
  EXPECT_EQ(b.controls->References(), controls);
  EXPECT_EQ(b.popup->References(), popup);
  EXPECT_EQ(b.button->References(), 1u);
}

}  // namespace
}  // namespace host::com::testing
