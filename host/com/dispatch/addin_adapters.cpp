// The host's add-in list and its records of the add-ins.
#include "host/com/dispatch/adapted.h"
#include "host/com/dispatch/adapters.h"
#include "host/com/dispatch/dispatch_variant.h"
#include "host/com/dispatch/event_sink.h"

namespace host::com {
namespace {

class COMAddInAdapter final : public COMAddIn, public Adapted {
 public:
  using Adapted::Adapted;
  Text ProgId() override { return late().Get(u"ProgId").ToText(); }
  Bool16 Connect() override { return late().Get(u"Connect").ToBool(); }
  void put_Connect(Bool16 value) override { late().Put(u"Connect", value); }

  // The record's events, when it has an events interface with
  // OnDisconnection; a record without one raises none.
  Connection Advise(AddInInstanceEvents& sink) override {
    const auto events = FindEventInterface(dispatch(), u"OnDisconnection");
    if (!events) return {};
    const DISPID onDisconnection = events->member;
    const DISPID onAddInsUpdate = OtherMember(*events, u"OnAddInsUpdate");
    const DISPID onBeginShutdown = OtherMember(*events, u"OnBeginShutdown");
    auto handler = [&sink, onDisconnection, onAddInsUpdate, onBeginShutdown](DISPID member, DISPPARAMS& params) {
      Custom custom;  // the host's array, which no add-in reads
      if (member == DISPID_UNKNOWN) return;
      if (member == onDisconnection) {
        const auto mode = FromVariant(EventArgument(params, 2, 0)).ToInt32();
        sink.OnDisconnection(static_cast<ext_DisconnectMode>(mode), custom);
      } else if (member == onAddInsUpdate) {
        EventArgument(params, 1, 0);
        sink.OnAddInsUpdate(custom);
      } else if (member == onBeginShutdown) {
        EventArgument(params, 1, 0);
        sink.OnBeginShutdown(custom);
      }
    };
    return advisories_.Add(host::com::Advise(dispatch(), events->iid, std::move(handler)));
  }

 private:
  Advisories advisories_;
};

class COMAddInsAdapter final : public COMAddIns, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<COMAddIn> Item(const Variant& index) override { return AdaptAddIn(ItemAt(index)); }
  std::int32_t Count() override { return late().Get(u"Count").ToInt32(); }
};

}  // namespace

Ref<COMAddIns> AdaptAddIns(LateBound o) { return NewAdapter<COMAddInsAdapter>(std::move(o)); }
Ref<COMAddIn> AdaptAddIn(LateBound o) { return NewAdapter<COMAddInAdapter>(std::move(o)); }

}  // namespace host::com
