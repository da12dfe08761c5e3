#pragma once
// Inside the command-bar store: bars, their controls, and what a control
// needs from the host run it belongs to.
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/commandbars.h"
#include "standin/command_bar_store.h"
#include "standin/faults.h"
#include "standin/sink_list.h"

namespace standin {

// What the command bars ask of the host run they are attached to.
class CommandHost {
 public:
  virtual void Check(std::string_view operation) = 0;
  // Connects the add-in that a clicked control's OnAction names, if it is
  // not connected; a failure is the host's to record.
  virtual void ConnectOnDemand(const host::Text& progId) = 0;
  virtual void SaveActivePage() = 0;
  // A failure an add-in's handler returned to the host.
  virtual void Report(std::string where, std::uint32_t code) = 0;
  // Add-ins released while a call into add-in code is under way are kept
  // until the outermost one returns, as a COM caller keeps its callee.
  virtual void BeginDispatch() = 0;
  virtual void EndDispatch() = 0;

 protected:
  ~CommandHost() = default;
};

class DispatchScope {
 public:
  explicit DispatchScope(CommandHost& host) : host_(host) { host_.BeginDispatch(); }
  ~DispatchScope() { host_.EndDispatch(); }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;

 private:
  CommandHost& host_;
};

// Runs a call into add-in code; what it throws goes to the host's record
// of failures, and the host goes on.
template <class Call>
void Guarded(CommandHost& host, const std::string& where, Call call) {
  try {
    call();
  } catch (const host::Error& e) {
    host.Report(where, e.code());
  } catch (const std::exception&) {
    host.Report(where, kHostFailure);
  }
}

enum class BuiltIn { None, Save };

struct ControlNode;
using ControlList = std::vector<std::shared_ptr<ControlNode>>;

struct ControlNode {
  std::int32_t type = host::msoControlButton;
  std::int32_t id = 1;  // 1 for a custom control
  BuiltIn builtIn = BuiltIn::None;
  host::Text caption, tag, onAction, parameter;
  bool temporary = false;
  bool deleted = false;
  std::shared_ptr<ControlList> children;  // a popup's controls
  std::weak_ptr<ControlList> parent;
  SinkList<host::CommandBarButtonEvents> receivers;
};

struct BarNode {
  host::Text name;
  std::shared_ptr<ControlList> controls = std::make_shared<ControlList>();
};

struct BarStoreState {
  std::vector<BarNode> bars;  // the first is the main menu bar
  std::weak_ptr<CommandHost> host;
};

host::Ref<host::CommandBars> MakeCommandBars(const std::shared_ptr<BarStoreState>& store);

// A run begins and ends on the store. Ending drops the run's temporary
// controls and its event receivers.
void Attach(BarStoreState& store, const std::shared_ptr<CommandHost>& host);
void Detach(BarStoreState& store);

// The author's click on a control: the add-in its OnAction names is
// connected first, then every receiver gets Click, then a built-in command
// runs unless a receiver cancelled it.
void Press(const std::shared_ptr<BarStoreState>& store, const std::shared_ptr<ControlNode>& control,
           CommandHost& host);

// The control at a path of captions from the main menu bar; null when none.
std::shared_ptr<ControlNode> FindPath(const BarStoreState& store, const std::vector<host::Text>& path);
// The controls at a path; the bar's own for an empty path, none when missing.
std::shared_ptr<ControlList> FindList(const BarStoreState& store, const std::vector<host::Text>& path);

// The ProgID that an OnAction "!<ProgID>" names.
std::optional<host::Text> DemandedAddIn(const host::Text& onAction);

}  // namespace standin
