// Every host, toolkit and system call the add-in makes in an author's
// sessions is made to fail in turn. Whatever fails, the failure reaches the
// host or the toolkit, the page never holds a text on the wrong area or a
// save of half-written texts, the author can still end the session, and no
// host object outlives the run.
#include <algorithm>
#include <map>

#include "author.h"
#include "tests/support/fault_sweep.h"

namespace mapnote_test {
namespace {

using host::ControlId;
using host::Text;
using standin::Area;

using sweep::Attempt;
using sweep::kInjected;

const ControlId kAlt{"txtMapnote"};
const Text kUnsaved = u"unsaved:///new_page_1.htm";

// What the author typed while each area was the current one.
class Typist {
 public:
  explicit Typist(Author& author) : author_(author) {}
  void Type(standin::HeadlessForm& form, const Text& text) {
    if (form.Type(kAlt, text)) typed_[author_.library->at.CurrentArea.value()].push_back(text);
  }
  const std::vector<Text>& TypedAt(std::size_t area) { return typed_[static_cast<std::int16_t>(area)]; }

 private:
  Author& author_;
  std::map<std::int16_t, std::vector<Text>> typed_;
};

struct Scenario {
  const char* name;
  std::vector<Area> before;  // page A as opened
  void (*play)(Author&, Typist&);
};

const std::vector<Area> kMixedAreas = {{u"area1.htm", u"old"}, {std::nullopt, std::nullopt}, {u"area3.htm", u""}};

void EditSaveAndTryToClose(Author& a, Typist& typist) {
  a.host->OpenWeb();
  a.ClickTessaly();  // no page yet: the warning
  a.OpenPageWithAreas(kPageB, NumberedAreas(1));
  a.OpenPageWithAreas(kPageA, kMixedAreas);
  a.ClickTessaly();
  if (!a.DialogOpen()) return;
  auto form = a.Dialog();
  typist.Type(form, u"one");
  form.PressEnter();
  typist.Type(form, u"two");
  form.Click({"cmdMove", 3});
  a.ClickTessaly();  // brings the dialog back
  a.host->ActivatePage(kPageB);
  a.host->ClosePage(kPageA);  // held by the guard
  typist.Type(form, u"");
  form.Click({"cmdOK"});
}

void SaveFirstThenEdit(Author& a, Typist& typist) {
  a.host->OpenWeb();
  a.OpenPageWithAreas(kUnsaved, NumberedAreas(2));
  a.host->Boxes().Answer(host::mb::ResultYes);
  a.host->ScriptSaveAs(kPageA);
  a.ClickTessaly();
  if (!a.DialogOpen()) return;
  auto form = a.Dialog();
  typist.Type(form, u"first");
  form.Click({"cmdMove", 2});
  typist.Type(form, u"second");
  form.Click({"cmdMove", 0});
  form.Click({"cmdOK"});
}

const Scenario kScenarios[] = {
    {"EditSaveAndTryToClose", kMixedAreas, EditSaveAndTryToClose},
    {"SaveFirstThenEdit", NumberedAreas(2), SaveFirstThenEdit},
};

// Page A's areas, under whichever URL it has now.
std::optional<std::vector<Area>> PageAreas(Author& a) {
  for (const auto& url : {kPageA, kUnsaved}) {
    try {
      return a.host->Areas(url);
    } catch (const std::invalid_argument&) {
    }
  }
  return std::nullopt;
}

// The attribute a text becomes on the page.
std::optional<Text> AsWritten(const Text& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// A move that fails after it changed the current area leaves the box showing
// the text of the area before, and what the author stores next lands on the
// new current area. Moves roll nothing back, so those runs are not held to
// the per-area check.
bool AMoveFailed(const Author& a) {
  for (const auto& failure : a.host->Toolkit().Failures()) {
    if (failure.event.starts_with("Click cmdMove")) return true;
  }
  return false;
}

void CheckRun(Author& a, const Scenario& scenario, Typist& typist, const std::vector<std::uint32_t>& thrown) {
  auto codes = a.FailureCodes();
  codes.insert(codes.end(), thrown.begin(), thrown.end());
  EXPECT_NE(std::find(codes.begin(), codes.end(), kInjected), codes.end()) << "the failure was swallowed";

  if (const auto areas = PageAreas(a)) {
    ASSERT_EQ(areas->size(), scenario.before.size());
    for (std::size_t i = 0; i < areas->size(); ++i) {
      const Area& area = (*areas)[i];
      EXPECT_EQ(area.href, scenario.before[i].href);
      if (AMoveFailed(a)) continue;
      // OK writes back the texts it read too, an empty one as no attribute.
      const auto& original = scenario.before[i].alt;
      bool expected = area.alt == original || area.alt == AsWritten(original.value_or(u""));
      for (const auto& text : typist.TypedAt(i)) expected = expected || area.alt == AsWritten(text);
      EXPECT_TRUE(expected) << "area " << i << " holds a text typed for another area";
    }
  }
  int saves = 0;
  try {
    saves = a.host->SaveCount(kPageA);
  } catch (const std::invalid_argument&) {
    // Still unsaved: the page never got its URL.
  }
  const auto saved = saves > 0 ? a.host->SavedAreas(kPageA) : std::nullopt;
  // A save of the page as it was opened is the one asked before editing;
  // any other follows the writing of every area's text.
  if (saved && *saved != scenario.before) {
    const auto& at = a.library->at;
    ASSERT_EQ(saved->size(), static_cast<std::size_t>(at.AreaCount.value()));
    for (std::int16_t i = 0; i < at.AreaCount.value(); ++i) {
      EXPECT_EQ((*saved)[static_cast<std::size_t>(i)].alt, AsWritten(at.AreaAlts[i])) << "saved half-written, area " << i;
    }
  }
  EXPECT_FALSE(a.DialogOpen()) << "the author could not end the session";
}

TEST(FaultSweep, EveryCallTheAddInMakesMayFail) {
  int injected = 0;
  for (const auto& scenario : kScenarios) {
    injected += sweep::SweepEveryCall(scenario.name, [&](std::string_view operation, int k) {
      Author author;
      const int target = author.host->Faults().Calls(operation) + k;
      author.host->Faults().FailAt(operation, target, kInjected);
      std::vector<std::uint32_t> thrown;
      Typist typist(author);
      Attempt(thrown, [&] { scenario.play(author, typist); });
      // The author ends whatever session is left open.
      for (int attempt = 0; attempt < 2 && author.DialogOpen(); ++attempt) {
        Attempt(thrown, [&] { author.Dialog().PressEscape(); });
      }
      if (author.host->Faults().Calls(operation) < target) return false;  // the run never got that far
      CheckRun(author, scenario, typist, thrown);
      author.Finish();
      return true;
    });
    if (HasFailure()) return;
  }
  RecordProperty("failures_injected", injected);
  EXPECT_GT(injected, 100) << "the sweep reached too few calls to mean anything";
}

}  // namespace
}  // namespace mapnote_test
