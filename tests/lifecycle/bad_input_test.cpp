// Input at the edges of what the add-ins take: image maps of 32,767 and
// 32,768 areas, and registry entries of every type and of the longest
// lengths, through whole host runs.
#include <gtest/gtest.h>

#include "host/error.h"
#include "installed_host.h"
#include "standin/live_objects.h"

namespace lifecycle {
namespace {

using host::Text;
using standin::Area;

std::vector<Area> ManyAreas(int n) {
  std::vector<Area> areas(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) areas[static_cast<std::size_t>(i)].href = u"a" + host::Decimal(i) + u".htm";
  return areas;
}

TEST(LargestImageMap, AllOf32767AreasAreEditedWrittenAndSaved) {
  Machine machine;
  InstalledHost run(machine);
  auto areas = ManyAreas(32767);
  run.host.OpenWeb();
  run.host.OpenPage(kPage, areas);
  run.host.Click(kTessaly);
  auto form = run.ShownDialog();
  ASSERT_TRUE(form);
  EXPECT_EQ(form->GetText({"lblStatus"}), u"Image Map Area 1 of 32767");
  ASSERT_TRUE(form->Type({"txtMapnote"}, u"first"));
  ASSERT_TRUE(form->Click({"cmdMove", 3}));
  EXPECT_EQ(form->GetText({"lblStatus"}), u"Image Map Area 32767 of 32767");
  EXPECT_EQ(form->GetText({"txtLink"}), u"a32766.htm");
  ASSERT_TRUE(form->Type({"txtMapnote"}, u"last"));
  ASSERT_TRUE(form->Click({"cmdOK"}));
  areas.front().alt = u"first";
  areas.back().alt = u"last";
  EXPECT_EQ(run.host.Areas(kPage), areas);
  EXPECT_EQ(run.host.SavedAreas(kPage), areas);
  EXPECT_FALSE(run.ShownDialog());
  run.ExpectNoFailures();
}

TEST(LargestImageMap, OneAreaMoreIsAnOverflowThatChangesNothing) {
  const auto liveBefore = standin::LiveObjects();
  {
    Machine machine;
    InstalledHost run(machine);
    const auto areas = ManyAreas(32768);
    run.host.OpenWeb();
    run.host.OpenPage(kPage, areas);
    run.host.Click(kTessaly);
    ASSERT_EQ(run.host.Failures().size(), 1u);
    EXPECT_EQ(run.host.Failures()[0].code, host::code::Overflow);
    EXPECT_FALSE(run.ShownDialog());
    EXPECT_EQ(run.host.Areas(kPage), areas);
    EXPECT_EQ(run.host.SaveCount(kPage), 0);
    EXPECT_TRUE(run.host.ClosePage(kPage)) << "no session holds the page";

    // A page of a size the add-in takes works at once, in the same run.
    run.host.OpenPage(kPage, ManyAreas(2));
    run.host.Click(kTessaly);
    auto form = run.ShownDialog();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->GetText({"lblStatus"}), u"Image Map Area 1 of 2");
    ASSERT_TRUE(form->Click({"cmdCancel"}));
    run.host.Quit();
    EXPECT_EQ(run.host.Failures().size(), 1u);
  }
  EXPECT_EQ(standin::LiveObjects(), liveBefore);
}

// The popup's captions with the list of entries replaced by these values.
std::vector<Text> MenuFrom(const std::vector<standin::RegistryValue>& values, bool keyExists = true) {
  Machine machine;
  machine.registry.DeleteKey(kMenuEntriesKey);
  if (keyExists) machine.registry.CreateKey(kMenuEntriesKey);
  for (const auto& value : values) machine.registry.SetValue(kMenuEntriesKey, value.name, value.type, value.data);
  InstalledHost run(machine);
  std::vector<Text> captions;
  if (run.host.HasMenuItem({u"Zarvik"})) captions = run.host.MenuCaptions({u"Zarvik"});
  run.host.Quit();
  run.ExpectNoFailures();
  EXPECT_EQ(machine.registry.OpenHandles(), 0u);
  return captions;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(MenuEntries, OnlyStringValuesOfEveryTypeMakeItems) {
  std::vector<standin::RegistryValue> values;
  const std::uint32_t types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x7FFFFFFF, 0xFFFFFFFF};
  for (std::size_t i = 0; i < std::size(types); ++i) {
    values.push_back({std::to_string(i + 1), types[i], Bytes("Typed,Type " + std::to_string(types[i]) + '\0')});
  }
  EXPECT_EQ(MenuFrom(values), std::vector<Text>{u"Type 1"});
}

TEST(MenuEntries, NulsAndLengthsAtTheEdgeOfWhatTheReaderHolds) {
  const std::string prefix = "Long,";
  const std::vector<standin::RegistryValue> values = {
      {"1", host::reg::kRegSz, Bytes(std::string("Inner,Cap\0tion\0", 15))},
      {"2", host::reg::kRegSz, Bytes("Bare,Unterminated")},
      // The NUL at position 32,767: the longest text a 16-bit position finds.
      {"3", host::reg::kRegSz, Bytes(prefix + std::string(32766 - prefix.size(), 'x') + '\0')},
      // The NUL at 32,768 overflows the reader, which costs this entry only.
      {"4", host::reg::kRegSz, Bytes(prefix + std::string(32767 - prefix.size(), 'y') + '\0')},
      // Without a NUL there is no position to overflow.
      {"5", host::reg::kRegSz, Bytes(prefix + std::string(32768 - prefix.size(), 'z'))},
      {"6", host::reg::kRegSz, {}},
      {"7", host::reg::kRegSz, {0}},
  };
  const auto captions = MenuFrom(values);
  ASSERT_EQ(captions.size(), 4u);
  EXPECT_EQ(captions[0], u"Cap");
  EXPECT_EQ(captions[1], u"Unterminated");
  EXPECT_EQ(captions[2], Text(32766 - prefix.size(), u'x'));
  EXPECT_EQ(captions[3], Text(32768 - prefix.size(), u'z'));
}

TEST(MenuEntries, AMissingKeyOrAnEmptyOneGivesNoPopupAndAQuietShutdown) {
  EXPECT_TRUE(MenuFrom({}, false).empty());
  EXPECT_TRUE(MenuFrom({}, true).empty());
  EXPECT_TRUE(MenuFrom({{"1", host::reg::kRegSz, Bytes(std::string("\0Mapnote,Tessaly...", 19))}}).empty());
}

}  // namespace
}  // namespace lifecycle
