// What the add-ins hold of the host once they are disconnected: nothing,
// whatever the session came to and however the disconnection came (the
// session's own end, the author unticking the add-ins in the COM add-ins
// list, or the host's shutdown), while both libraries stay loaded. A dialog
// still open at the disconnection closes without writing or saving.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "installed_host.h"
#include "standin/live_objects.h"

namespace lifecycle {
namespace {

using host::Text;
using standin::Area;

const Text kUnsaved = u"unsaved:///new_page_1.htm";
const std::vector<Area> kAreas = {{u"home.htm", std::nullopt}, {u"about.htm", u"old"}, {std::nullopt, u"no link"}};

// A host run on a machine with both add-ins, the web and kPage open.
struct PageOpen {
  PageOpen() {
    run.host.OpenWeb();
    run.host.OpenPage(kPage, kAreas);
  }
  Machine machine;
  InstalledHost run{machine};
};

void OpenDialog(InstalledHost& run) {
  run.host.Click(kTessaly);
  ASSERT_TRUE(run.ShownDialog()) << "no dialog";
}

void Press(InstalledHost& run, const char* button) {
  auto form = run.ShownDialog();
  ASSERT_TRUE(form) << "no dialog";
  ASSERT_TRUE(form->Click({button}));
}

struct Outcome {
  const char* name;
  // Plays the author's moves on the host run with the page kPage open.
  std::function<void(InstalledHost&)> play;
  // Whether the moves leave the dialog open.
  bool dialogOpen = false;
};

const std::vector<Outcome> kOutcomes = {
    {"no page open", [](InstalledHost& run) {
       run.host.ClosePage(kPage);
       run.host.Click(kTessaly);
     }},
    {"no web open", [](InstalledHost& run) {
       run.host.CloseWeb();
       run.host.Click(kTessaly);
     }},
    {"unsaved page, answered No", [](InstalledHost& run) {
       run.host.OpenPage(kUnsaved, kAreas);
       run.host.Boxes().Answer(host::mb::ResultNo);
       run.host.Click(kTessaly);
     }},
    {"unsaved page, answered Yes, then Cancel", [](InstalledHost& run) {
       run.host.OpenPage(kUnsaved, kAreas);
       run.host.Boxes().Answer(host::mb::ResultYes);
       run.host.ScriptSaveAs(u"http://localhost/web/new.htm");
       OpenDialog(run);
       Press(run, "cmdCancel");
     }},
    {"no areas", [](InstalledHost& run) {
       run.host.OpenPage(u"http://localhost/web/plain.htm", {});
       run.host.Click(kTessaly);
     }},
    {"OK", [](InstalledHost& run) {
       OpenDialog(run);
       Press(run, "cmdOK");
     }},
    {"Cancel", [](InstalledHost& run) {
       OpenDialog(run);
       Press(run, "cmdCancel");
     }},
    {"the changed-map refusal, then Cancel", [](InstalledHost& run) {
       OpenDialog(run);
       run.host.EditAreas(kPage, {kAreas[0]});
       Press(run, "cmdOK");
       Press(run, "cmdCancel");
     }},
    {"a click while open, then OK", [](InstalledHost& run) {
       OpenDialog(run);
       run.host.Click(kTessaly);
       Press(run, "cmdOK");
     }},
    {"the guarded page refused closing, then Cancel", [](InstalledHost& run) {
       OpenDialog(run);
       EXPECT_FALSE(run.host.ClosePage(kPage));
       Press(run, "cmdCancel");
     }},
    {"left open", [](InstalledHost& run) { OpenDialog(run); }, true},
    {"left open after a click while open", [](InstalledHost& run) {
       OpenDialog(run);
       run.host.Click(kTessaly);
     }, true},
    {"left open after the guarded page refused closing", [](InstalledHost& run) {
       OpenDialog(run);
       EXPECT_FALSE(run.host.ClosePage(kPage));
     }, true},
};

enum class Ending { HostShutdown, UntickedInTheList };

void End(InstalledHost& run, Ending ending) {
  if (ending == Ending::HostShutdown) {
    run.host.Quit();
    return;
  }
  for (const auto& listed : run.host.AddInList()) {
    if (listed.ticked) run.host.TickAddIn(listed.progId, false);
  }
}

TEST(Disconnection, LeavesNoHostObjectHeldWhateverTheSessionCameTo) {
  for (const auto& outcome : kOutcomes) {
    for (const Ending ending : {Ending::HostShutdown, Ending::UntickedInTheList}) {
      SCOPED_TRACE(std::string(outcome.name) +
                   (ending == Ending::HostShutdown ? ", host shut down" : ", unticked in the COM add-ins list"));
      const auto liveBefore = standin::LiveObjectsByKind();
      PageOpen page;
      auto& run = page.run;
      outcome.play(run);
      if (outcome.dialogOpen) {
        // Typed, but never stored: only Next and OK store a text.
        ASSERT_TRUE(run.ShownDialog());
        ASSERT_TRUE(run.ShownDialog()->Type({"txtMapnote"}, u"typed"));
      }
      const int savesBefore = run.host.SaveCount(kPage);
      const auto areasBefore = run.host.Areas(kPage);
      const auto boxesBefore = run.host.Boxes().Shown().size();

      End(run, ending);

      EXPECT_FALSE(run.host.IsConnected(u"Mapnote.Connect"));
      EXPECT_FALSE(run.host.IsConnected(u"zarvik.Connect"));
      EXPECT_EQ(standin::Describe(standin::LiveObjectsByKind()), standin::Describe(liveBefore))
          << "held by the disconnected add-ins";
      EXPECT_FALSE(run.ShownDialog()) << "the dialog outlived its add-in";
      EXPECT_EQ(run.host.Toolkit().CountForms(kDialogTitle), 0);
      EXPECT_EQ(run.host.Areas(kPage), areasBefore) << "the disconnection wrote to the page";
      EXPECT_EQ(run.host.SaveCount(kPage), savesBefore) << "the disconnection saved the page";
      EXPECT_EQ(run.host.Boxes().Shown().size(), boxesBefore) << "the disconnection asked the author";
      run.ExpectNoFailures();
    }
  }
}

// The session's texts stay for the next one, as the library stays loaded;
// its host objects do not.
TEST(Disconnection, KeepsTheSessionTextsButNoneOfItsObjects) {
  PageOpen page;
  auto& run = page.run;
  OpenDialog(run);
  run.host.TickAddIn(u"Mapnote.Connect", false);
  const auto& at = run.mapnoteLibrary.at;
  EXPECT_EQ(at.EditedPageUrl, kPage);
  EXPECT_EQ(at.AreaCount.value(), 3);
  EXPECT_EQ(at.AreaAlts[host::Int16(1)], u"old");
  EXPECT_FALSE(at.HostApp);
  EXPECT_FALSE(at.EditedPageWindow);
  const auto list = run.host.AddInList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].friendlyName, u"Zarvik Support");
  EXPECT_TRUE(list[0].ticked);
  EXPECT_EQ(list[1].friendlyName, u"Zarvik Tessaly");
  EXPECT_FALSE(list[1].ticked);
  // The guard holds the page no more; ticked again, the add-in starts afresh.
  EXPECT_TRUE(run.host.ClosePage(kPage));
  run.host.OpenPage(kPage, kAreas);
  run.host.TickAddIn(u"Mapnote.Connect", true);
  EXPECT_TRUE(run.host.IsConnected(u"Mapnote.Connect"));
  OpenDialog(run);
  Press(run, "cmdCancel");
  run.ExpectNoFailures();
}

// OK on a page left as it was writes every area back, the one without a
// link too, and saves.
TEST(Disconnection, OkOnAnUnchangedPageWithAnUnlinkedAreaWritesAndSaves) {
  PageOpen page;
  auto& run = page.run;
  OpenDialog(run);
  const auto& faults = run.host.Faults();
  const int set = faults.Calls("HTMLElement.setAttribute"), removed = faults.Calls("HTMLElement.removeAttribute");
  Press(run, "cmdOK");
  EXPECT_EQ(faults.Calls("HTMLElement.setAttribute") - set, 2);
  EXPECT_EQ(faults.Calls("HTMLElement.removeAttribute") - removed, 1);
  EXPECT_EQ(run.host.Areas(kPage), kAreas);
  EXPECT_EQ(run.host.SaveCount(kPage), 1);
  EXPECT_EQ(run.host.SavedAreas(kPage), kAreas);
  EXPECT_FALSE(run.host.IsConnected(u"Mapnote.Connect"));
  run.ExpectNoFailures();
}

}  // namespace
}  // namespace lifecycle
