#pragma once
// The state of one host run, shared by the objects the host hands out. Those
// objects hold it weakly: once the Host is gone they fail instead of keeping
// the run alive.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/addins.h"
#include "host/application.h"
#include "standin/command_bars.h"
#include "standin/host.h"
#include "standin/live_objects.h"
#include "standin/sink_list.h"

namespace standin {

struct PageState {
  host::Text url;
  std::shared_ptr<PageContent> content;
  bool open = true;
  int saves = 0;
  std::optional<std::vector<Area>> saved;
};

struct AddInRecord {
  host::Text progId, friendlyName, description;
  std::int32_t loadBehavior = 0;
  AddInFactory factory;
  std::shared_ptr<host::IDTExtensibility2> instance;  // set while connected
  SinkList<host::AddInInstanceEvents> receivers;
};

class Core final : public CommandHost, public host::HostGlobals, public std::enable_shared_from_this<Core> {
 public:
  enum class Phase { Ready, Started, Ended };

  explicit Core(std::shared_ptr<CommandBarStore> bars);
  ~Core();

  // CommandHost
  void Check(std::string_view operation) override { faults->Check(operation); }
  void ConnectOnDemand(const host::Text& progId) override;
  void SaveActivePage() override;
  void Report(std::string where, std::uint32_t code) override;
  void BeginDispatch() override { ++depth_; }
  void EndDispatch() override;

  // HostGlobals
  host::Ref<host::HostApplication> Application() override;

  host::Ref<host::HostApplication> MakeApplication();
  host::Ref<host::PageWindow> MakePageWindow(const std::shared_ptr<PageState>& page);
  host::Ref<host::COMAddIns> MakeAddIns();
  host::Ref<host::COMAddIn> MakeAddIn(const std::shared_ptr<AddInRecord>& record);

  // ProgIDs are matched in any letter case, as COM does.
  std::shared_ptr<AddInRecord> FindAddIn(const host::Text& progId) const;
  // OnConnection; a failure leaves the add-in released, is recorded, and is thrown.
  void Connect(const std::shared_ptr<AddInRecord>& record, host::ext_ConnectMode mode);
  // OnDisconnection, the record's OnDisconnection event when the user
  // closed it, then release.
  void Disconnect(AddInRecord& record, host::ext_DisconnectMode mode);
  // Ends the run without calling the add-ins.
  void End();

  std::vector<std::shared_ptr<PageState>> OpenPages() const;
  std::shared_ptr<PageState> FindOpenPage(const host::Text& url) const;
  // The most recent page with that URL, closed ones included.
  std::shared_ptr<PageState> FindAnyPage(const host::Text& url) const;

  std::shared_ptr<FaultInjector> faults = std::make_shared<FaultInjector>();
  ScriptedMessageBoxes boxes{*faults};
  std::shared_ptr<WindowSystem> windows = std::make_shared<WindowSystem>(faults);
  std::shared_ptr<HeadlessToolkit> toolkit = std::make_shared<HeadlessToolkit>(windows, faults);
  std::shared_ptr<CommandBarStore> bars;

  Phase phase = Phase::Ready;
  std::optional<host::Text> web;
  std::vector<std::shared_ptr<PageState>> pages;  // every page opened, in order
  std::shared_ptr<PageState> active;
  std::vector<std::shared_ptr<AddInRecord>> addIns;
  SinkList<host::ApplicationEvents> appReceivers;
  std::vector<HostFailure> failures;
  std::deque<std::optional<host::Text>> saveAsAnswers;
  int saveAsAsked = 0;
  int unexpectedSaveAs = 0;

 private:
  void Release(AddInRecord& record);

  int depth_ = 0;
  std::vector<std::shared_ptr<host::IDTExtensibility2>> released_;
};

// The run behind an object the host handed out; fails once the run is gone.
std::shared_ptr<Core> Lock(const std::weak_ptr<Core>& core);
// The same, for a call named `operation`, which may be made to fail.
std::shared_ptr<Core> Enter(const std::weak_ptr<Core>& core, std::string_view operation);

// An object the host hands out: counted by kind, and holding the run only
// weakly, as a reference an add-in keeps must not keep the host alive.
class CoreObject : Counted {
 protected:
  CoreObject(const char* kind, std::weak_ptr<Core> core) : Counted(kind), core_(std::move(core)) {}
  std::shared_ptr<Core> Enter(std::string_view operation) const { return standin::Enter(core_, operation); }

  std::weak_ptr<Core> core_;
};

// What a collection's Item(index) names, as the host answers it: a text is
// a name, which `find` looks up (null for none), a number a position in
// `items` counted from `first`. An index that names nothing fails with
// `code`, a name with the collection's `kind` of item in its text.
template <class Item, class Find>
std::shared_ptr<Item> ItemAt(const host::Variant& index, const std::vector<std::shared_ptr<Item>>& items,
                             std::int32_t first, std::uint32_t code, const char16_t* kind, Find find) {
  if (index.IsText()) {
    const host::Text name = index.ToText();
    if (auto found = find(name)) return found;
    throw host::Error(code, u"no " + host::Text(kind) + u" " + name);
  }
  const std::int64_t position = std::int64_t{index.ToInt32()} - first;
  if (position < 0 || position >= static_cast<std::int64_t>(items.size())) throw host::Error(code);
  return items[static_cast<std::size_t>(position)];
}

}  // namespace standin
