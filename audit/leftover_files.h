#pragma once
// What a stopped --apply leaves behind: the new content of a page written
// beside it under a temporary name, never renamed over it.
#include <string>
#include <vector>

namespace audit {

struct Leftovers {
  std::vector<std::string> removed;  // paths relative to the web
  std::vector<std::string> kept;     // could not be removed, with the reason
};

// Removes the files beside the web's pages whose names are exactly those of
// the page save's temporaries (no link, no folder). Only while the web's lock
// is held: then no save of ours is under way there.
Leftovers RemoveLeftovers(const std::string& web);

}  // namespace audit
