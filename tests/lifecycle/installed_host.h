#pragma once
// A machine with both add-ins installed, and one start of the stand-in host
// on it with both libraries loaded, as the DLLs would be. The registry and
// the command bars belong to the machine and outlive each host run.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "mapnote/library_context.h"
#include "standin/addin_entries.h"
#include "standin/host.h"
#include "standin/registry.h"
#include "standin/windows1252.h"
#include "zarvik/library_context.h"

namespace lifecycle {

inline const host::Text kPage = u"http://localhost/web/map.htm";
inline const std::vector<host::Text> kTessaly = {u"Zarvik", u"Tessaly..."};
inline const host::Text kDialogTitle = u"Image Map ALT Text";
inline constexpr const char* kMenuEntriesKey = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";

struct Machine {
  // Both add-ins' host entries, and the shared menu's list filled to all
  // 25 entries: "Mapnote,Tessaly..." first, then other installers' tools.
  Machine();
  // The captions the popup shows when every entry is there once.
  static std::vector<host::Text> MenuCaptions();

  standin::Registry registry;
  std::shared_ptr<standin::CommandBarStore> bars = std::make_shared<standin::CommandBarStore>();
};

class InstalledHost {
 public:
  // Loads the add-in entries and starts the host unless told to wait.
  enum class Start { Now, Later };
  explicit InstalledHost(Machine& machine, Start start = Start::Now);
  // Quits a host still running, before the libraries go.
  ~InstalledHost();
  InstalledHost(const InstalledHost&) = delete;
  InstalledHost& operator=(const InstalledHost&) = delete;

  std::optional<standin::HeadlessForm> ShownDialog();
  // Every failure that reached the host or the dialog toolkit.
  std::vector<std::uint32_t> FailureCodes();
  void ExpectNoFailures();

  standin::Host host;
  standin::Windows1252 codePage;
  zarvik::LibraryContext zarvikLibrary;
  mapnote::LibraryContext mapnoteLibrary;
  standin::ClassRegistry classes;
};

}  // namespace lifecycle
