// The COM add-in list and the host's record of each add-in.
#include "standin/core.h"

namespace standin {
namespace {

using host::Ref;
using host::Variant;

class AddInObject final : public host::COMAddIn, CoreObject {
 public:
  AddInObject(std::weak_ptr<Core> core, std::shared_ptr<AddInRecord> record)
      : CoreObject("COMAddIn", std::move(core)), record_(std::move(record)) {}

  host::Text ProgId() override {
    Enter("COMAddIn.ProgId");
    return record_->progId;
  }
  host::Bool16 Connect() override {
    Enter("COMAddIn.Connect");
    return record_->instance ? host::True : host::False;
  }
  void put_Connect(host::Bool16 value) override {
    auto core = Enter("COMAddIn.put_Connect");
    if (value) {
      core->Connect(record_, host::ext_ConnectMode::ext_cm_AfterStartup);
    } else {
      core->Disconnect(*record_, host::ext_DisconnectMode::ext_dm_UserClosed);
    }
  }
  host::Connection Advise(host::AddInInstanceEvents& sink) override {
    Enter("COMAddIn.Advise");
    return record_->receivers.Add(sink);
  }

 private:
  std::shared_ptr<AddInRecord> record_;
};

class AddInsObject final : public host::COMAddIns, CoreObject {
 public:
  explicit AddInsObject(std::weak_ptr<Core> core) : CoreObject("COMAddIns", std::move(core)) {}

  Ref<host::COMAddIn> Item(const Variant& index) override {
    auto core = Enter("COMAddIns.Item");
    return core->MakeAddIn(ItemAt(index, core->addIns, 1, host::code::SubscriptOutOfRange, u"add-in",
                                  [&](const host::Text& progId) { return core->FindAddIn(progId); }));
  }
  std::int32_t Count() override {
    auto core = Enter("COMAddIns.Count");
    return static_cast<std::int32_t>(core->addIns.size());
  }
};

}  // namespace

host::Ref<host::COMAddIns> Core::MakeAddIns() { return std::make_shared<AddInsObject>(weak_from_this()); }

host::Ref<host::COMAddIn> Core::MakeAddIn(const std::shared_ptr<AddInRecord>& record) {
  return std::make_shared<AddInObject>(weak_from_this(), record);
}

}  // namespace standin
