// Fault injection at the n-th call, the message-box script, and the count of
// live objects that tells a leak.
#include <gtest/gtest.h>

#include "recording_addin.h"
#include "standin/host.h"

namespace {

using host::Variant;
using standin::Area;

const host::Text kPage = u"http://localhost/web/map.htm";
const host::Text kOther = u"http://localhost/web/other.htm";
constexpr std::uint32_t kInjected = 0x80004005;

TEST(Faults, TheNthCallFailsWithTheChosenCodeAndChangesNothing) {
  standin::Host host;
  host.OpenPage(kPage, {{u"a.htm", std::nullopt}, {u"b.htm", std::nullopt}});
  host.Faults().FailAt("HTMLElement.setAttribute", 2, 0x800A0046);
  auto areas = host.Application()->ActivePageWindow()->Document()->all()->tags(u"area");

  areas->Item(0)->setAttribute(u"alt", Variant(u"One"));
  try {
    areas->Item(1)->setAttribute(u"alt", Variant(u"Two"));
    FAIL() << "the planned failure did not come";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), 0x800A0046u);
  }
  EXPECT_EQ(host.Areas(kPage), (std::vector<Area>{{u"a.htm", u"One"}, {u"b.htm", std::nullopt}}));
  areas->Item(1)->setAttribute(u"alt", Variant(u"Two"));  // only the second call was planned
  EXPECT_EQ(host.Areas(kPage)[1].alt, u"Two");
  EXPECT_EQ(host.Faults().Calls("HTMLElement.setAttribute"), 3);
}

TEST(Faults, AFailingActivateLeavesTheActivePageAsItWas) {
  standin::Host host;
  host.OpenPage(kPage, {});
  host.OpenPage(kOther, {});
  host.Faults().FailAt("PageWindow.Activate", 1, kInjected);
  auto windows = host.Application()->ActiveWebWindow()->PageWindows();
  EXPECT_THROW(windows->Item(kPage)->Activate(), host::Error);
  EXPECT_EQ(host.ActivePageUrl(), kOther);
  windows->Item(kPage)->Activate();
  EXPECT_EQ(host.ActivePageUrl(), kPage);
}

TEST(Faults, ACommandBarOperationCanFailToo) {
  standin::Host host;
  host.Faults().FailAt("CommandBarControls.Add", 1, kInjected);
  auto controls = host.Application()->CommandBars()->Item(u"Menu Bar")->Controls();
  const auto count = controls->Count();
  const auto missing = Variant::Missing();
  EXPECT_THROW(controls->Add(missing, missing, missing, missing, missing), host::Error);
  EXPECT_EQ(controls->Count(), count);
}

TEST(Faults, APlanNamingNoOperationIsRefused) {
  standin::FaultInjector faults;
  EXPECT_THROW(faults.FailAt("PageWindow.Activated", 1, kInjected), std::invalid_argument);
  EXPECT_THROW(faults.FailAt("PageWindow.Activate", 0, kInjected), std::invalid_argument);
  EXPECT_NO_THROW(faults.FailAt("User32.SetMenuItemInfoA", 1, kInjected));
}

TEST(MessageBoxes, BoxesAreAnsweredFromTheScriptAndRecorded) {
  standin::Host host;
  auto& boxes = host.Boxes();
  boxes.Answer(host::mb::ResultYes);
  EXPECT_EQ(boxes.MsgBox(u"Save now?", host::mb::AskYesNo, u"Microsoft FrontPage"), host::mb::ResultYes);
  EXPECT_EQ(boxes.MsgBox(u"No web.", host::mb::Warning, u"Microsoft FrontPage"), host::mb::ResultOK);
  EXPECT_EQ(boxes.UnexpectedQuestions(), 0);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].prompt, u"Save now?");
  EXPECT_EQ(boxes.Shown()[0].style, 36);
  EXPECT_EQ(boxes.Shown()[0].title, u"Microsoft FrontPage");
  EXPECT_TRUE(boxes.Shown()[0].scripted);
  EXPECT_FALSE(boxes.Shown()[1].scripted);
}

TEST(MessageBoxes, AQuestionNobodyScriptedIsAnsweredNoAndCounted) {
  standin::Host host;
  auto& boxes = host.Boxes();
  EXPECT_EQ(boxes.MsgBox(u"Save now?", host::mb::AskYesNo, u"Microsoft FrontPage"), host::mb::ResultNo);
  EXPECT_EQ(boxes.UnexpectedQuestions(), 1);

  host.Faults().FailAt("MessageBoxes.MsgBox", 2, kInjected);
  boxes.Answer(host::mb::ResultOK);
  EXPECT_THROW(boxes.MsgBox(u"Lost", host::mb::Warning, u"t"), host::Error);
  EXPECT_EQ(boxes.Shown().size(), 1u);  // a box that failed to show was not seen
  EXPECT_EQ(boxes.PendingAnswers(), 1u);
}

TEST(LiveObjects, EveryObjectHandedOutIsCountedUntilItsLastReferenceGoes) {
  const auto before = standin::LiveObjects();
  host::Ref<host::HTMLElement> element;
  host::Ref<host::CommandBarControl> save;
  {
    standin::Host host;
    host.OpenPage(kPage, {{u"a.htm", std::nullopt}});
    element = host.Application()->ActivePageWindow()->Document()->all()->tags(u"area")->Item(0);
    save = host.Application()->CommandBars()->Item(u"File")->Controls()->Item(u"&Save");
    EXPECT_EQ(standin::LiveObjects(), before + 2);
  }
  // Outliving the host, they answer with a failure rather than crash.
  EXPECT_EQ(standin::LiveObjects(), before + 2);
  EXPECT_THROW(element->getAttribute(u"href"), host::Error);
  EXPECT_THROW(save->Execute(), host::Error);
  element.reset();
  save.reset();
  EXPECT_EQ(standin::LiveObjects(), before);
}

TEST(LiveObjects, AnAddInStillConnectedWhenTheHostGoesTakesItsReferencesWithIt) {
  const auto before = standin::LiveObjects();
  auto log = std::make_shared<standin_test::Log>();
  {
    standin::Host host;
    host.RegisterAddIn(u"a.Connect", u"A", u"", 3,
                       [log] { return std::make_shared<standin_test::RecordingAddIn>("A", log); });
    host.Start();
    EXPECT_GT(standin::LiveObjects(), before);  // the add-in holds the application and its record
  }
  EXPECT_EQ(log->back(), "A released");
  EXPECT_EQ(standin::LiveObjects(), before);
}

}  // namespace
