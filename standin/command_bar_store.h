#pragma once
// The host's command bars, kept apart from a host run: a Host is constructed
// with a store, and a store outlives the run, so that what a run whose
// shutdown never came (Host::Crash) left on the bars is there at the next
// start. Temporary controls and event receivers go with the run that made
// them.
//
// A new store holds the host's own bars: "Menu Bar", the main menu bar, with
// the host's menus, and "File" with the built-in "&Save".
#include <memory>

namespace standin {

struct BarStoreState;

class CommandBarStore {
 public:
  CommandBarStore();
  ~CommandBarStore();
  CommandBarStore(const CommandBarStore&) = delete;
  CommandBarStore& operator=(const CommandBarStore&) = delete;

  // For the host that runs on the store.
  const std::shared_ptr<BarStoreState>& State() const { return state_; }

 private:
  std::shared_ptr<BarStoreState> state_;
};

}  // namespace standin
