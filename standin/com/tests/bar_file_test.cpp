// The main menu bar kept between runs: what one run leaves is what the next
// one starts with, texts of any kind included, and a damaged file never
// gives a half-read bar.
#include "standin/com/bar_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "standin/command_bars.h"

namespace standin::com {
namespace {

std::shared_ptr<ControlNode> Add(const std::shared_ptr<ControlList>& list, std::int32_t type, host::Text caption) {
  auto control = std::make_shared<ControlNode>();
  control->type = type;
  control->caption = std::move(caption);
  control->parent = list;
  if (type == host::msoControlPopup) control->children = std::make_shared<ControlList>();
  list->push_back(control);
  return control;
}

class BarFileTest : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }
  const std::string path_ = "bar_file_test.bars";
};

TEST_F(BarFileTest, WhatARunLeavesOnTheBarIsThereAtTheNextStart) {
  CommandBarStore store;
  auto& bar = store.State()->bars.front().controls;
  auto popup = Add(bar, host::msoControlPopup, u"Zarvik");
  popup->tag = u"Zarvik";
  auto item = Add(popup->children, host::msoControlButton, u"Tab\there, line\r\nthere, back\\slash");
  item->onAction = u"!<Mapnote.Connect>";
  item->parameter = u"Mapnote";
  item->tag = u"";
  Add(popup->children, host::msoControlButton, u"Gone with its run")->temporary = true;
  Add(bar, host::msoControlButton, u"After the popup");
  ASSERT_TRUE(SaveBars(store, path_));

  const auto loaded = LoadBars(path_);
  EXPECT_EQ(MenuBarCaptions(*loaded), MenuBarCaptions(store));
  const auto& controls = *loaded->State()->bars.front().controls;
  ASSERT_EQ(controls.size(), bar->size());
  const auto& zarvik = controls[controls.size() - 2];
  EXPECT_EQ(zarvik->type, host::msoControlPopup);
  EXPECT_EQ(zarvik->tag, u"Zarvik");
  ASSERT_TRUE(zarvik->children);
  ASSERT_EQ(zarvik->children->size(), 1u) << "temporary controls are not kept";
  const auto& kept = *zarvik->children->front();
  EXPECT_EQ(kept.caption, item->caption);
  EXPECT_EQ(kept.onAction, u"!<Mapnote.Connect>");
  EXPECT_EQ(kept.parameter, u"Mapnote");
  EXPECT_EQ(kept.parent.lock(), zarvik->children);
  EXPECT_EQ(controls.back()->caption, u"After the popup");
  EXPECT_FALSE(controls.back()->children);
}

TEST_F(BarFileTest, AMissingOrDamagedFileGivesTheHostsOwnBars) {
  const auto fresh = MenuBarCaptions(CommandBarStore());
  EXPECT_EQ(MenuBarCaptions(*LoadBars(path_)), fresh);
  for (const char* damage : {"0\t10\t1\tZarvik\n", "0\t10\t1\tZarvik\tZarvik\t\t\n2\t1\t1\tDeep\t\t\t\n",
                             "x\t1\t1\ta\tb\tc\td\n"}) {
    std::ofstream(path_, std::ios::binary) << damage;
    EXPECT_EQ(MenuBarCaptions(*LoadBars(path_)), fresh) << damage;
  }
}

}  // namespace
}  // namespace standin::com
