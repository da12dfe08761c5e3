// The menu add-in's start and shutdown, and then a whole host run with both
// add-ins, with every stand-in call they make failing in turn. Whatever
// fails, the failure's code reaches the host, no host object outlives the
// run, no area gets a text typed for another, a save follows only a complete
// write, and the next run on the same machine works as if nothing happened.
#include <gtest/gtest.h>

#include <map>

#include "installed_host.h"
#include "standin/live_objects.h"
#include "tests/support/fault_sweep.h"

namespace lifecycle {
namespace {

using host::Text;
using standin::Area;
using sweep::kInjected;

const std::vector<Area> kBefore = {{u"home.htm", std::nullopt}, {u"about.htm", u"old"}, {u"contact.htm", u""}};

std::optional<Text> AsWritten(const Text& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// What the author typed while each area was the current one.
class Typist {
 public:
  explicit Typist(InstalledHost& run) : run_(run) {}
  void Type(standin::HeadlessForm& form, const Text& text) {
    if (form.Type({"txtMapnote"}, text)) typed_[run_.mapnoteLibrary.at.CurrentArea.value()].push_back(text);
  }
  const std::vector<Text>& TypedAt(std::size_t area) { return typed_[static_cast<std::int16_t>(area)]; }

 private:
  InstalledHost& run_;
  std::map<std::int16_t, std::vector<Text>> typed_;
};

// The page as OK is about to write it: the stored texts, and the box's text
// for the area shown.
std::vector<Area> AboutToWrite(InstalledHost& run, standin::HeadlessForm& form) {
  const auto& at = run.mapnoteLibrary.at;
  std::vector<Area> areas = kBefore;
  for (std::int16_t i = 0; i < at.AreaCount.value() && static_cast<std::size_t>(i) < areas.size(); ++i) {
    const Text text = i == at.CurrentArea.value() ? form.GetText({"txtMapnote"}) : at.AreaAlts[i];
    areas[static_cast<std::size_t>(i)].alt = AsWritten(text);
  }
  return areas;
}

// Start, one session written and saved, then one cancelled.
void PlayWholeRun(InstalledHost& run, Typist& typist, std::optional<std::vector<Area>>& aboutToSave) {
  auto& host = run.host;
  host.OpenWeb();
  host.OpenPage(kPage, kBefore);
  if (!host.HasMenuItem(kTessaly)) return;  // the menu was never built
  host.Click(kTessaly);
  if (auto form = run.ShownDialog()) {
    typist.Type(*form, u"Home");
    form->Click({"cmdMove", 2});
    typist.Type(*form, u"About us");
    aboutToSave = AboutToWrite(run, *form);
    form->Click({"cmdOK"});
  }
  if (host.HasMenuItem(kTessaly) && !run.ShownDialog()) host.Click(kTessaly);
  if (auto form = run.ShownDialog()) {
    typist.Type(*form, u"never written");
    form->Click({"cmdCancel"});
  }
}

// Every registry entry has its one working item. A build that failed
// half-way leaves what it had added, as nothing is rolled back; the next
// build finishes such an item instead of adding a second one.
void ExpectEveryEntry(InstalledHost& run) {
  ASSERT_TRUE(run.host.HasMenuItem({u"Zarvik"}));
  auto popup = host::TakeAs<host::CommandBarPopup>(
      run.host.Application()->CommandBars()->Item(Text(u"Menu Bar"))->Controls()->Item(Text(u"Zarvik")));
  auto items = popup->Controls();
  std::map<Text, int> working;
  for (std::int32_t i = 1; i <= items->Count(); ++i) {
    const auto item = items->Item(host::Variant(i));
    const Text onAction = item->OnAction();
    EXPECT_EQ(onAction, u"!<" + item->Parameter() + u".Connect>") << "item " << i;
    EXPECT_EQ(item->Tag(), item->Parameter()) << "item " << i;
    ++working[item->Caption()];
  }
  EXPECT_EQ(items->Count(), 25);
  for (const auto& caption : Machine::MenuCaptions()) EXPECT_EQ(working[caption], 1) << host::ToUtf8(caption);
}

// Once the host has quit, the libraries, still loaded, hold nothing of it.
void ExpectNothingHeld(const std::map<std::string, std::int64_t>& liveBefore) {
  EXPECT_EQ(standin::Describe(standin::LiveObjectsByKind()), standin::Describe(liveBefore))
      << "host objects held by the disconnected add-ins";
}

// A clean run on the machine that a failed run left behind: the whole menu,
// a session that writes and saves, and a clean quit.
void ExpectTheNextRunWorks(Machine& machine) {
  SCOPED_TRACE("the next run");
  InstalledHost run(machine);
  ExpectEveryEntry(run);
  run.host.OpenWeb();
  run.host.OpenPage(kPage, kBefore);
  run.host.Click(kTessaly);
  auto form = run.ShownDialog();
  ASSERT_TRUE(form);
  form->Type({"txtMapnote"}, u"Home");
  form->Click({"cmdOK"});
  const std::vector<Area> written = {{u"home.htm", u"Home"}, {u"about.htm", u"old"}, {u"contact.htm", std::nullopt}};
  EXPECT_EQ(run.host.Areas(kPage), written);
  EXPECT_EQ(run.host.SavedAreas(kPage), written);
  // A popup whose tag could not be set is not found by tag again, so the
  // next start adds another; the quit removes one of them. What is left
  // is an empty popup, rebuilt by the start after.
  run.host.Quit();
  run.ExpectNoFailures();
}

void ExpectPageIntact(InstalledHost& run, Typist& typist, const std::optional<std::vector<Area>>& aboutToSave) {
  const auto areas = run.host.Areas(kPage);
  ASSERT_EQ(areas.size(), kBefore.size());
  for (std::size_t i = 0; i < areas.size(); ++i) {
    EXPECT_EQ(areas[i].href, kBefore[i].href);
    // OK writes back the texts it read too, an empty one as no attribute.
    const auto& original = kBefore[i].alt;
    bool expected = areas[i].alt == original || areas[i].alt == AsWritten(original.value_or(u""));
    for (const auto& text : typist.TypedAt(i)) expected = expected || areas[i].alt == AsWritten(text);
    EXPECT_TRUE(expected) << "area " << i << " holds a text typed for another area";
  }
  if (run.host.SaveCount(kPage) > 0) {
    ASSERT_TRUE(aboutToSave) << "saved without OK";
    EXPECT_EQ(run.host.SavedAreas(kPage), *aboutToSave) << "saved before every text was written";
  }
}

TEST(MenuFaultSweep, EveryCallOfTheMenuBuildAndItsRemovalMayFail) {
  const int injected = sweep::SweepEveryCall("zarvik start and quit", [](std::string_view operation, int k) {
    const auto liveBefore = standin::LiveObjectsByKind();
    Machine machine;
    std::vector<std::uint32_t> codes;
    {
      InstalledHost run(machine, InstalledHost::Start::Later);
      run.host.Faults().FailAt(operation, k, kInjected);
      sweep::Attempt(codes, [&] {
        run.host.Start();
        run.host.Quit();
      });
      if (run.host.Faults().Calls(operation) < k) return false;
      ExpectNothingHeld(liveBefore);
      const auto reported = run.FailureCodes();
      codes.insert(codes.end(), reported.begin(), reported.end());
    }
    EXPECT_TRUE(sweep::Contains(codes, kInjected)) << "the failure was swallowed";
    EXPECT_EQ(machine.registry.OpenHandles(), 0u) << "a registry key was left open";
    EXPECT_EQ(standin::LiveObjectsByKind(), liveBefore) << "host objects left alive";
    ExpectTheNextRunWorks(machine);
    return true;
  });
  RecordProperty("failures_injected", injected);
  EXPECT_GT(injected, 100) << "the sweep reached too few calls to mean anything";
}

TEST(WholeRunFaultSweep, EveryCallOfBothAddInsOverAHostRunMayFail) {
  const int injected = sweep::SweepEveryCall("whole run", [](std::string_view operation, int k) {
    const auto liveBefore = standin::LiveObjectsByKind();
    Machine machine;
    std::vector<std::uint32_t> codes;
    {
      InstalledHost run(machine, InstalledHost::Start::Later);
      run.host.Faults().FailAt(operation, k, kInjected);
      Typist typist(run);
      std::optional<std::vector<Area>> aboutToSave;
      sweep::Attempt(codes, [&] {
        run.host.Start();
        PlayWholeRun(run, typist, aboutToSave);
      });
      // The author ends whatever session is left open, then the host quits.
      for (int attempt = 0; attempt < 2 && run.ShownDialog(); ++attempt) {
        sweep::Attempt(codes, [&] { run.ShownDialog()->PressEscape(); });
      }
      if (run.host.Running()) sweep::Attempt(codes, [&] { run.host.Quit(); });
      if (run.host.Faults().Calls(operation) < k) return false;
      ExpectNothingHeld(liveBefore);
      const auto reported = run.FailureCodes();
      codes.insert(codes.end(), reported.begin(), reported.end());
      EXPECT_FALSE(run.ShownDialog()) << "the author could not end the session";
      ExpectPageIntact(run, typist, aboutToSave);
    }
    EXPECT_TRUE(sweep::Contains(codes, kInjected)) << "the failure was swallowed";
    EXPECT_EQ(standin::LiveObjectsByKind(), liveBefore) << "host objects left alive";
    ExpectTheNextRunWorks(machine);
    return true;
  });
  RecordProperty("failures_injected", injected);
  EXPECT_GT(injected, 250) << "the sweep reached too few calls to mean anything";
}

}  // namespace
}  // namespace lifecycle
