// The headless dialog toolkit: what the author can do to a form, and what the
// form's handlers see of it.
#include <gtest/gtest.h>

#include <functional>

#include "standin/headless_toolkit.h"

namespace {

using host::ControlId;
using host::ControlKind;

host::ControlDesign Control(std::string name, ControlKind kind, std::int32_t tab, host::Text caption = {}) {
  return {.name = std::move(name), .kind = kind, .caption = std::move(caption), .tabIndex = tab};
}

host::FormDesign Design() {
  host::FormDesign form;
  form.title = u"Test Form";
  form.controls.push_back(Control("lblName", ControlKind::Label, 0, u"Name:"));
  form.controls.push_back(Control("txtName", ControlKind::TextBox, 1));
  auto link = Control("txtLink", ControlKind::TextBox, 2, u"a.htm");
  link.readOnly = true;
  form.controls.push_back(link);
  auto go = Control("cmdGo", ControlKind::CommandButton, 3, u"Go");
  go.isDefault = true;
  form.controls.push_back(go);
  auto stop = Control("cmdStop", ControlKind::CommandButton, 4, u"Stop");
  stop.isCancel = true;
  form.controls.push_back(stop);
  auto save = Control("chkSave", ControlKind::CheckBox, 5, u"Save");
  save.value = 1;
  form.controls.push_back(save);
  return form;
}

struct Events final : host::FormEvents {
  void QueryUnload(host::Int16& Cancel, host::Int16 UnloadMode) override {
    log.push_back("QueryUnload " + std::to_string(UnloadMode.value()));
    if (refuseClose) Cancel = 1;
  }
  void Click(const ControlId& control) override {
    log.push_back("Click " + control.name);
    if (onClick) onClick(control);
  }
  void LostFocus(const ControlId& control) override { log.push_back("LostFocus " + control.name); }

  std::vector<std::string> log;
  bool refuseClose = false;
  std::function<void(const ControlId&)> onClick;
};

class Toolkit : public ::testing::Test {
 protected:
  Toolkit() {
    view = toolkit.CreateForm(Design(), events);
    view->ShowModeless();
  }
  standin::HeadlessForm Form() const { return *toolkit.FindForm(u"Test Form"); }

  std::shared_ptr<standin::FaultInjector> faults = std::make_shared<standin::FaultInjector>();
  std::shared_ptr<standin::WindowSystem> windows = std::make_shared<standin::WindowSystem>(faults);
  standin::HeadlessToolkit toolkit{windows, faults};
  Events events;
  std::unique_ptr<host::FormView> view;
};

TEST_F(Toolkit, AFormIsBuiltFromItsDesignInAWindowOfItsOwn) {
  auto form = Form();
  EXPECT_EQ(form.GetText({"lblName"}), u"Name:");
  EXPECT_EQ(view->GetText({"txtLink"}), u"a.htm");
  EXPECT_EQ(view->GetValue({"chkSave"}), 1);
  EXPECT_EQ(form.DefaultButton(), (ControlId{"cmdGo"}));
  EXPECT_EQ(form.CancelButton(), (ControlId{"cmdStop"}));
  EXPECT_EQ(form.Focus(), (ControlId{"txtName"}));  // the first that can take it
  EXPECT_TRUE(windows->Exists(view->hWnd()));
  EXPECT_TRUE(windows->Visible(view->hWnd()));
  view->Hide();
  EXPECT_FALSE(windows->Visible(view->hWnd()));
  EXPECT_THROW(view->GetText({"txtMissing"}), host::Error);
}

TEST_F(Toolkit, EnterPressesTheDefaultButtonAndEscapeTheCancelButtonWhileTheyAreEnabled) {
  auto form = Form();
  EXPECT_TRUE(form.PressEnter());
  EXPECT_TRUE(form.PressEscape());
  view->SetDefaultButton({"cmdStop"});
  EXPECT_TRUE(form.PressEnter());
  EXPECT_EQ(events.log, (std::vector<std::string>{"Click cmdGo", "Click cmdStop", "Click cmdStop"}));

  view->SetEnabled({"cmdStop"}, false);
  EXPECT_FALSE(form.PressEnter());
  EXPECT_FALSE(form.PressEscape());
  EXPECT_FALSE(form.Click({"cmdStop"}));
  EXPECT_EQ(events.log.size(), 3u);
  EXPECT_THROW(view->SetDefaultButton({"txtName"}), host::Error);
}

TEST_F(Toolkit, EnterPressesTheCommandButtonThatHasTheFocus) {
  auto form = Form();
  ASSERT_TRUE(form.FocusOn({"cmdStop"}));
  EXPECT_TRUE(form.PressEnter());
  EXPECT_EQ(events.log, (std::vector<std::string>{"LostFocus txtName", "Click cmdStop"}));
}

TEST_F(Toolkit, AClickMovesTheFocusFirstAndACheckBoxClickTogglesIt) {
  auto form = Form();
  EXPECT_TRUE(form.Click({"chkSave"}));
  EXPECT_EQ(view->GetValue({"chkSave"}), 0);
  EXPECT_TRUE(form.Click({"chkSave"}));
  EXPECT_EQ(view->GetValue({"chkSave"}), 1);
  EXPECT_FALSE(form.Click({"lblName"}));
  EXPECT_EQ(events.log, (std::vector<std::string>{"LostFocus txtName", "Click chkSave", "Click chkSave"}));
  EXPECT_EQ(form.Focus(), (ControlId{"chkSave"}));
}

TEST_F(Toolkit, TheAuthorTypesOnlyIntoAnEnabledEditableBox) {
  auto form = Form();
  EXPECT_TRUE(form.Type({"txtName"}, u"Home page"));
  EXPECT_EQ(view->GetText({"txtName"}), u"Home page");
  EXPECT_FALSE(form.Type({"txtLink"}, u"b.htm"));
  EXPECT_EQ(view->GetText({"txtLink"}), u"a.htm");
  view->SetEnabled({"txtName"}, false);
  EXPECT_FALSE(form.Type({"txtName"}, u"Other"));
  EXPECT_EQ(view->GetText({"txtName"}), u"Home page");
}

TEST_F(Toolkit, DisablingTheFocusedControlPassesTheFocusOnInTabOrder) {
  auto form = Form();
  ASSERT_TRUE(form.FocusOn({"cmdStop"}));
  events.log.clear();
  view->SetEnabled({"cmdStop"}, false);
  EXPECT_EQ(form.Focus(), (ControlId{"chkSave"}));
  EXPECT_EQ(events.log, std::vector<std::string>{"LostFocus cmdStop"});
  view->SetEnabled({"chkSave"}, false);
  EXPECT_EQ(form.Focus(), (ControlId{"txtName"}));  // round to the start
}

TEST_F(Toolkit, TheFocusGoesOnlyToAnEnabledControlOfAShownForm) {
  view->SetFocus({"txtLink"});
  EXPECT_EQ(Form().Focus(), (ControlId{"txtLink"}));
  EXPECT_EQ(events.log, std::vector<std::string>{"LostFocus txtName"});
  view->SetEnabled({"cmdGo"}, false);
  EXPECT_THROW(view->SetFocus({"cmdGo"}), host::Error);
  EXPECT_THROW(view->SetFocus({"lblName"}), host::Error);
  view->Hide();
  EXPECT_THROW(view->SetFocus({"txtName"}), host::Error);
  EXPECT_FALSE(Form().Click({"cmdStop"}));
  EXPECT_FALSE(Form().PressEscape());
}

TEST_F(Toolkit, ClosingFromTheControlMenuAsksQueryUnloadWhichCanRefuse) {
  auto form = Form();
  events.refuseClose = true;
  EXPECT_FALSE(form.CloseFromControlMenu());
  EXPECT_TRUE(form.Visible());
  events.refuseClose = false;
  EXPECT_TRUE(form.CloseFromControlMenu());
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(windows->Visible(form.hWnd()));
  EXPECT_EQ(events.log, (std::vector<std::string>{"QueryUnload 0", "QueryUnload 0"}));
}

TEST_F(Toolkit, AFailingHandlerIsRecordedAndTheToolkitGoesOn) {
  auto form = Form();
  events.onClick = [](const ControlId&) { throw host::Error(host::code::SubscriptOutOfRange); };
  EXPECT_TRUE(form.Click({"cmdGo"}));
  ASSERT_EQ(toolkit.Failures().size(), 1u);
  EXPECT_EQ(toolkit.Failures()[0].form, u"Test Form");
  EXPECT_EQ(toolkit.Failures()[0].event, "Click cmdGo");
  EXPECT_EQ(toolkit.Failures()[0].code, host::code::SubscriptOutOfRange);
  events.onClick = nullptr;
  EXPECT_TRUE(form.PressEscape());
  EXPECT_EQ(events.log.back(), "Click cmdStop");
}

TEST_F(Toolkit, AFormDroppedByItsOwnHandlerIsGoneAndItsWindowWithIt) {
  auto form = Form();
  const auto hWnd = form.hWnd();
  events.onClick = [this](const ControlId&) { view.reset(); };
  EXPECT_TRUE(form.Click({"cmdGo"}));
  EXPECT_FALSE(form.Exists());
  EXPECT_FALSE(form.PressEnter());
  EXPECT_FALSE(windows->Exists(hWnd));
  EXPECT_FALSE(toolkit.FindForm(u"Test Form"));
}

TEST_F(Toolkit, FormsAreFoundByTitleTheNewestFirst) {
  Events second;
  auto newer = toolkit.CreateForm(Design(), second);
  EXPECT_EQ(toolkit.CountForms(u"Test Form"), 2);
  EXPECT_EQ(toolkit.FindForm(u"Test Form")->hWnd(), newer->hWnd());
  newer.reset();
  EXPECT_EQ(toolkit.CountForms(u"Test Form"), 1);
  EXPECT_EQ(toolkit.FindForm(u"Test Form")->hWnd(), view->hWnd());
  EXPECT_FALSE(toolkit.FindForm(u"Other"));
}

}  // namespace
