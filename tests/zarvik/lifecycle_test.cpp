// Both add-ins together in the stand-in host, as an author meets them: the
// shared menu built at start, the image-map add-in connected on demand from
// it, and the menu rebuilt at the next start.
#include <gtest/gtest.h>

#include <memory>

#include "mapnote/connect.h"
#include "mapnote/library_context.h"
#include "standin/addin_entries.h"
#include "standin/host.h"
#include "standin/reg_file.h"
#include "standin/windows1252.h"
#include "tests/support/installed_reg.h"
#include "zarvik/connect.h"

namespace {

using host::Text;
using standin::Area;

const Text Page = u"http://localhost/web/map.htm";
const std::vector<Text> Tessaly = {u"Zarvik", u"Tessaly..."};
const Text Dialog = u"Image Map ALT Text";

// One start of the host with both libraries loaded, as the DLLs would be.
struct HostRun {
  HostRun(const std::shared_ptr<standin::CommandBarStore>& bars, standin::Registry& registry)
      : host(bars), zarvikLibrary{host.Globals(), registry, codePage} {
    classes.Register(u"zarvik.Connect", [this] { return std::make_shared<zarvik::Connect>(zarvikLibrary); });
    classes.Register(u"Mapnote.Connect", [this] { return std::make_shared<mapnote::Connect>(mapnoteLibrary); });
    standin::LoadAddInEntries(host, registry, classes);
    host.Start();
  }

  void ExpectNoFailures() {
    for (const auto& f : host.Failures()) ADD_FAILURE() << f.where << " failed with " << std::hex << f.code;
    for (const auto& f : host.Toolkit().Failures()) ADD_FAILURE() << f.event << " failed with " << std::hex << f.code;
  }

  standin::Host host;
  standin::Windows1252 codePage;
  zarvik::LibraryContext zarvikLibrary;
  mapnote::LibraryContext mapnoteLibrary{host.Globals(), host.Boxes(), host.Toolkit(), host.Windows()};
  standin::ClassRegistry classes;
};

TEST(BothAddIns, FromTheSharedMenuToTheWrittenPageAndBackAtTheNextStart) {
  const auto liveBefore = standin::LiveObjects();
  {
    standin::Registry registry;
    standin::ImportReg(registry, tests::kInstalledReg);
    const auto bars = std::make_shared<standin::CommandBarStore>();
    {
      HostRun run(bars, registry);
      standin::Host& host = run.host;
      EXPECT_TRUE(host.IsConnected(u"zarvik.Connect"));
      EXPECT_FALSE(host.IsConnected(u"Mapnote.Connect"));
      EXPECT_EQ(host.MenuCaptions({u"Zarvik"}), std::vector<Text>{u"Tessaly..."});

      host.OpenWeb();
      host.OpenPage(Page, {Area{u"home.htm", std::nullopt}, Area{u"about.htm", u"old"}});
      host.Click(Tessaly);
      EXPECT_TRUE(host.IsConnected(u"Mapnote.Connect"));
      auto form = host.Toolkit().FindForm(Dialog);
      ASSERT_TRUE(form && form->Visible());
      EXPECT_TRUE(form->Type({"txtMapnote"}, u"Home"));
      EXPECT_TRUE(form->Click({"cmdMove", 2}));
      EXPECT_TRUE(form->Type({"txtMapnote"}, u"About us"));
      EXPECT_TRUE(form->Click({"cmdOK"}));
      const std::vector<Area> written = {Area{u"home.htm", u"Home"}, Area{u"about.htm", u"About us"}};
      EXPECT_EQ(host.Areas(Page), written);
      EXPECT_EQ(host.SavedAreas(Page), written);
      EXPECT_FALSE(host.IsConnected(u"Mapnote.Connect"));

      // The same item connects the add-in again for the next session.
      host.Click(Tessaly);
      EXPECT_TRUE(host.IsConnected(u"Mapnote.Connect"));
      form = host.Toolkit().FindForm(Dialog);
      ASSERT_TRUE(form && form->Visible());
      EXPECT_TRUE(form->Click({"cmdCancel"}));
      EXPECT_FALSE(host.IsConnected(u"Mapnote.Connect"));

      host.Quit();
      EXPECT_FALSE(host.HasMenuItem({u"Zarvik"}));
      run.ExpectNoFailures();
    }
    {
      HostRun run(bars, registry);
      // Built afresh: one item, not one left over plus one new.
      EXPECT_EQ(run.host.MenuCaptions({u"Zarvik"}), std::vector<Text>{u"Tessaly..."});
      run.host.Quit();
      run.ExpectNoFailures();
    }
  }
  EXPECT_EQ(standin::LiveObjects(), liveBefore);
}

}  // namespace
