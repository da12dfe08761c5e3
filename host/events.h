#pragma once
// Event delivery: a source hands out a Connection per advised sink; dropping
// the connection stops delivery. WithEvents is an event-receiving reference.
#include <functional>
#include <utility>

#include "host/object.h"

namespace host {

class Connection {
 public:
  Connection() = default;
  explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
  Connection(Connection&& other) noexcept : disconnect_(std::exchange(other.disconnect_, nullptr)) {}
  Connection& operator=(Connection&& other) noexcept {
    if (this != &other) {
      Reset();
      disconnect_ = std::exchange(other.disconnect_, nullptr);
    }
    return *this;
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { Reset(); }

  void Reset() noexcept {
    if (auto disconnect = std::exchange(disconnect_, nullptr)) disconnect();
  }
  bool connected() const { return static_cast<bool>(disconnect_); }

 private:
  std::function<void()> disconnect_;
};

// Holds an object and receives its events into Sink for as long as it holds
// it. Source must offer `Connection Advise(Sink&)`.
template <class Source, class Sink>
class WithEvents {
 public:
  explicit WithEvents(Sink& sink) : sink_(sink) {}
  WithEvents(const WithEvents&) = delete;
  WithEvents& operator=(const WithEvents&) = delete;

  // Stops delivery from the old object before the new one is advised; a
  // failing advise leaves the reference null.
  void Set(Ref<Source> source) {
    connection_.Reset();
    object_.reset();
    if (source) {
      connection_ = source->Advise(sink_);
      object_ = std::move(source);
    }
  }

  const Ref<Source>& get() const { return object_; }
  Source& operator*() const { return Deref(object_); }
  Source* operator->() const { return &Deref(object_); }
  explicit operator bool() const { return static_cast<bool>(object_); }

 private:
  Sink& sink_;
  Ref<Source> object_;
  Connection connection_;
};

}  // namespace host
