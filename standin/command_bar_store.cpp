#include "standin/command_bar_store.h"

#include "standin/command_bars.h"

namespace standin {
namespace {

std::shared_ptr<ControlNode> Popup(const host::Text& caption, const std::shared_ptr<ControlList>& parent) {
  auto popup = std::make_shared<ControlNode>();
  popup->type = host::msoControlPopup;
  popup->caption = caption;
  popup->children = std::make_shared<ControlList>();
  popup->parent = parent;
  return popup;
}

std::shared_ptr<ControlNode> SaveButton(const std::shared_ptr<ControlList>& parent) {
  auto save = std::make_shared<ControlNode>();
  save->id = 3;
  save->builtIn = BuiltIn::Save;
  save->caption = u"&Save";
  save->parent = parent;
  return save;
}

}  // namespace

CommandBarStore::CommandBarStore() : state_(std::make_shared<BarStoreState>()) {
  BarNode menuBar{u"Menu Bar"};
  for (const auto* caption : {u"&File", u"&Edit", u"&View", u"&Insert", u"F&ormat", u"&Tools", u"T&able", u"F&rames",
                              u"&Window", u"&Help"})
    menuBar.controls->push_back(Popup(caption, menuBar.controls));
  BarNode file{u"File"};
  file.controls->push_back(SaveButton(file.controls));
  state_->bars = {menuBar, file};
}

CommandBarStore::~CommandBarStore() = default;

}  // namespace standin
