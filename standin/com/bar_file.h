#pragma once
// The host keeps its main menu bar from one run to the next, as the real
// host keeps its command bars: what a run leaves on the bar (an add-in's
// popup that its shutdown did not delete, say) is there at the next start.
// Temporary controls go with their run and are never kept.
#include <memory>
#include <string>

#include "standin/command_bar_store.h"

namespace standin::com {

// A store with the main menu bar read from `path`; the host's fresh bars
// when there is no such file or it cannot be read.
std::shared_ptr<CommandBarStore> LoadBars(const std::string& path);

// Writes the store's main menu bar to `path`; false when it cannot.
bool SaveBars(const CommandBarStore& store, const std::string& path);

// The captions of the main menu bar's controls, joined by '|'.
std::string MenuBarCaptions(const CommandBarStore& store);

}  // namespace standin::com
