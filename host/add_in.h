#pragma once
// What every add-in's Connect shares: the host's connection calls and the
// add-in instance's events, each passed to a handler named after its object
// and event (IDTExtensibility2_OnConnection, AddInInstance_OnDisconnection,
// ...), which does nothing unless the add-in overrides it. The add-in
// instance's events share their names with the connection interface's
// calls, so they arrive through a receiver of their own, to be advised on
// the host's record of the add-in. Whatever a disconnection does, and when
// a connection fails half-way, ReleaseHostObjects runs afterwards: the
// host expects every reference back, and the next connection fetches them
// again.
#include "host/addins.h"

namespace host {

class AddIn : public IDTExtensibility2 {
 public:
  void OnConnection(const Ref<Object>& Application, ext_ConnectMode ConnectMode, const Ref<Object>& AddInInst,
                    Custom& custom) final;
  void OnDisconnection(ext_DisconnectMode RemoveMode, Custom& custom) final;
  void OnAddInsUpdate(Custom& custom) final { IDTExtensibility2_OnAddInsUpdate(custom); }
  void OnStartupComplete(Custom& custom) final { IDTExtensibility2_OnStartupComplete(custom); }
  void OnBeginShutdown(Custom& custom) final { IDTExtensibility2_OnBeginShutdown(custom); }

 protected:
  AddIn() = default;
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  virtual void IDTExtensibility2_OnConnection(const Ref<Object>& /*Application*/, ext_ConnectMode /*ConnectMode*/,
                                              const Ref<Object>& /*AddInInst*/, Custom& /*custom*/) {}
  virtual void IDTExtensibility2_OnDisconnection(ext_DisconnectMode /*RemoveMode*/, Custom& /*custom*/) {}
  virtual void IDTExtensibility2_OnStartupComplete(Custom& /*custom*/) {}
  virtual void IDTExtensibility2_OnAddInsUpdate(Custom& /*custom*/) {}
  virtual void IDTExtensibility2_OnBeginShutdown(Custom& /*custom*/) {}
  virtual void AddInInstance_OnDisconnection(ext_DisconnectMode /*RemoveMode*/, Custom& /*custom*/) {}
  virtual void AddInInstance_OnAddInsUpdate(Custom& /*custom*/) {}
  virtual void AddInInstance_OnBeginShutdown(Custom& /*custom*/) {}
  // Drops every host object the add-in holds.
  virtual void ReleaseHostObjects() {}

  // The receiver of the add-in instance's events.
  AddInInstanceEvents& AddInInstanceReceiver() { return receiver_; }

 private:
  class Receiver final : public AddInInstanceEvents {
   public:
    explicit Receiver(AddIn& owner) : owner_(owner) {}
    void OnDisconnection(ext_DisconnectMode RemoveMode, Custom& custom) override {
      owner_.AddInInstance_OnDisconnection(RemoveMode, custom);
    }
    void OnAddInsUpdate(Custom& custom) override { owner_.AddInInstance_OnAddInsUpdate(custom); }
    void OnBeginShutdown(Custom& custom) override { owner_.AddInInstance_OnBeginShutdown(custom); }

   private:
    AddIn& owner_;
  };

  Receiver receiver_{*this};
};

}  // namespace host
