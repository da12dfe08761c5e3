// Pages as the add-ins reach them: windows, documents and area elements;
// closing a page past the OnPageClose receivers; saving and save-as.
#include <gtest/gtest.h>

#include "tests/support/failure_code.h"

#include "standin/host.h"

namespace {

using host::Variant;
using standin::Area;

const host::Text kPage = u"http://localhost/web/map.htm";
const host::Text kOther = u"http://localhost/web/other.htm";
const host::Text kUnsaved = u"unsaved:///new_page_1.htm";

using test_support::FailureCodeOf;

host::Ref<host::ElementCollection> AreasOf(const host::Ref<host::PageWindow>& window) {
  return window->Document()->all()->tags(u"area");
}

void Save(standin::Host& host) {
  host.Application()->CommandBars()->Item(u"File")->Controls()->Item(u"&Save")->Execute();
}

TEST(Pages, AreasComeInDocumentOrderWithTheirAttributes) {
  standin::Host host;
  host.OpenPage(kPage, {{u"a.htm", u"First"}, {std::nullopt, u""}, {u"c.htm", std::nullopt}});
  auto areas = AreasOf(host.Application()->ActivePageWindow());
  ASSERT_EQ(areas->length(), 3);
  EXPECT_EQ(areas->Item(Variant(host::Int16(0)))->getAttribute(u"href"), Variant(u"a.htm"));
  EXPECT_EQ(areas->Item(0)->getAttribute(u"ALT"), Variant(u"First"));
  EXPECT_TRUE(areas->Item(1)->getAttribute(u"href").IsNull());
  EXPECT_EQ(areas->Item(1)->getAttribute(u"alt"), Variant(u""));
  EXPECT_TRUE(areas->Item(2)->getAttribute(u"alt").IsNull());
  for (const auto index : {-1, 3}) EXPECT_EQ(FailureCodeOf([&] { areas->Item(index); }), host::code::InvalidProcedureCall);
  EXPECT_EQ(host.Application()->ActivePageWindow()->Document()->all()->tags(u"AREA")->length(), 3);
  EXPECT_EQ(host.Application()->ActivePageWindow()->Document()->all()->tags(u"img")->length(), 0);
}

TEST(Pages, AttributesAreWrittenAndRemovedInThePage) {
  standin::Host host;
  host.OpenPage(kPage, {{u"a.htm", u"Old"}, {u"b.htm", std::nullopt}});
  auto areas = AreasOf(host.Application()->ActivePageWindow());
  areas->Item(0)->setAttribute(u"alt", Variant(u"  "));
  areas->Item(1)->setAttribute(u"alt", Variant(u"Second"));
  EXPECT_EQ(host.Areas(kPage), (std::vector<Area>{{u"a.htm", u"  "}, {u"b.htm", u"Second"}}));

  EXPECT_EQ(areas->Item(0)->removeAttribute(u"Alt"), host::True);
  EXPECT_EQ(areas->Item(0)->removeAttribute(u"alt"), host::False);
  EXPECT_EQ(FailureCodeOf([&] { areas->Item(1)->setAttribute(u"alt", Variant::MakeNull()); }), host::code::InvalidUseOfNull);
  EXPECT_EQ(host.Areas(kPage), (std::vector<Area>{{u"a.htm", std::nullopt}, {u"b.htm", u"Second"}}));
}

TEST(Pages, AnElementOfARewrittenImageMapNoLongerAnswers) {
  standin::Host host;
  host.OpenPage(kPage, {{u"a.htm", std::nullopt}, {u"b.htm", std::nullopt}});
  auto second = AreasOf(host.Application()->ActivePageWindow())->Item(1);
  host.EditAreas(kPage, {{u"a.htm", std::nullopt}});
  EXPECT_EQ(FailureCodeOf([&] { second->setAttribute(u"alt", Variant(u"x")); }), standin::kHostFailure);
  EXPECT_EQ(host.Areas(kPage), (std::vector<Area>{{u"a.htm", std::nullopt}}));
}

TEST(Pages, WindowsAreFoundByUrlAndActivated) {
  standin::Host host;
  auto app = host.Application();
  EXPECT_EQ(app->ActivePageWindow(), nullptr);
  EXPECT_EQ(app->ActiveWebWindow()->Web(), nullptr);
  host.OpenWeb();
  EXPECT_NE(app->ActiveWebWindow()->Web(), nullptr);

  host.OpenPage(kPage, {});
  host.OpenPage(kOther, {});
  EXPECT_EQ(host.ActivePageUrl(), kOther);
  auto windows = app->ActiveWebWindow()->PageWindows();
  EXPECT_EQ(windows->Count(), 2);
  windows->Item(kPage)->Activate();
  EXPECT_EQ(host.ActivePageUrl(), kPage);
  EXPECT_EQ(app->ActivePageWindow()->Document()->URL(), kPage);
  EXPECT_EQ(windows->Item(1)->ActiveDocument()->URL(), kOther);
  EXPECT_EQ(FailureCodeOf([&] { windows->Item(u"http://localhost/web/MAP.htm"); }), host::code::InvalidProcedureCall);
  EXPECT_EQ(FailureCodeOf([&] { windows->Item(2); }), host::code::InvalidProcedureCall);
}

struct CloseReceiver final : host::ApplicationEvents {
  void OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) override {
    urls.push_back(pPage->ActiveDocument()->URL());
    if (fail) throw host::Error(host::code::ObjectNotSet);
    if (cancel) Cancel = host::True;
  }
  std::vector<host::Text> urls;
  bool cancel = false;
  bool fail = false;
};

TEST(Pages, OnPageCloseComesBeforeThePageClosesAndCancelKeepsItOpen) {
  standin::Host host;
  host.OpenPage(kPage, {});
  host.OpenPage(kOther, {});
  CloseReceiver guard, watcher;
  auto app = host.Application();
  auto guardConnection = app->Advise(guard);
  auto watcherConnection = app->Advise(watcher);
  auto window = app->ActiveWebWindow()->PageWindows()->Item(kOther);

  guard.cancel = true;
  EXPECT_FALSE(host.ClosePage(kOther));
  EXPECT_EQ(host.OpenPageUrls(), (std::vector<host::Text>{kPage, kOther}));
  EXPECT_EQ(guard.urls, std::vector<host::Text>{kOther});
  EXPECT_EQ(watcher.urls, std::vector<host::Text>{kOther});

  guard.cancel = false;
  EXPECT_TRUE(host.ClosePage(kOther));
  EXPECT_EQ(host.OpenPageUrls(), std::vector<host::Text>{kPage});
  EXPECT_EQ(host.ActivePageUrl(), kPage);
  EXPECT_EQ(FailureCodeOf([&] { window->Document(); }), standin::kHostFailure);

  // A receiver that fails is recorded and does not hold the page.
  guardConnection.Reset();
  watcher.fail = true;
  EXPECT_TRUE(host.ClosePage(kPage));
  EXPECT_EQ(host.ActivePageUrl(), std::nullopt);
  ASSERT_EQ(host.Failures().size(), 1u);
  EXPECT_EQ(host.Failures()[0].where, "OnPageClose");
  EXPECT_EQ(guard.urls.size(), 2u);  // no longer advised
  EXPECT_THROW(host.ClosePage(kPage), std::invalid_argument);
}

TEST(Pages, SaveWritesTheActivePageAsItIsThen) {
  standin::Host host;
  host.OpenPage(kPage, {{u"a.htm", std::nullopt}});
  host.OpenPage(kOther, {});
  host.ActivatePage(kPage);
  EXPECT_EQ(host.SavedAreas(kPage), std::nullopt);
  AreasOf(host.Application()->ActivePageWindow())->Item(0)->setAttribute(u"alt", Variant(u"Home"));
  Save(host);
  host.EditAreas(kPage, {});
  EXPECT_EQ(host.SaveCount(kPage), 1);
  EXPECT_EQ(host.SaveCount(kOther), 0);
  EXPECT_EQ(host.SavedAreas(kPage), (std::vector<Area>{{u"a.htm", u"Home"}}));
  EXPECT_EQ(host.SaveAsAsked(), 0);
}

TEST(Pages, AnUnsavedPageIsSavedUnderTheUrlTheSaveAsAnswerGives) {
  standin::Host host;
  host.OpenPage(kUnsaved, {{u"a.htm", std::nullopt}});
  host.ScriptSaveAs(std::nullopt);
  Save(host);
  EXPECT_EQ(host.ActivePageUrl(), kUnsaved);
  EXPECT_EQ(host.SaveCount(kUnsaved), 0);

  host.ScriptSaveAs(kPage);
  Save(host);
  EXPECT_EQ(host.ActivePageUrl(), kPage);
  EXPECT_EQ(host.SaveCount(kPage), 1);
  EXPECT_EQ(host.Application()->ActiveWebWindow()->PageWindows()->Item(kPage)->Document()->URL(), kPage);
  EXPECT_EQ(FailureCodeOf([&] { host.Application()->ActiveWebWindow()->PageWindows()->Item(kUnsaved); }),
            host::code::InvalidProcedureCall);
  EXPECT_EQ(host.SaveAsAsked(), 2);
  EXPECT_EQ(host.UnexpectedSaveAs(), 0);
}

TEST(Pages, ASaveAsNobodyScriptedIsCancelledAndCounted) {
  standin::Host host;
  host.OpenPage(u"Unsaved.htm", {});  // only the exact lower-case prefix marks a new page
  host.OpenPage(kUnsaved, {});
  Save(host);
  EXPECT_EQ(host.ActivePageUrl(), kUnsaved);
  EXPECT_EQ(host.UnexpectedSaveAs(), 1);
  host.ActivatePage(u"Unsaved.htm");
  Save(host);
  EXPECT_EQ(host.SaveCount(u"Unsaved.htm"), 1);
  EXPECT_EQ(host.SaveAsAsked(), 1);
}

TEST(Pages, SaveWithNoPageOpenFails) {
  standin::Host host;
  EXPECT_EQ(FailureCodeOf([&] { Save(host); }), standin::kHostFailure);
}

}  // namespace
