#pragma once
// The receivers advised on one event source. A Connection stays safe to drop
// after its source is gone, and delivery copes with receivers that come and
// go while an event is being delivered.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "host/events.h"

namespace standin {

template <class Sink>
class SinkList {
 public:
  host::Connection Add(Sink& sink) {
    const auto id = next_++;
    entries_->emplace_back(id, &sink);
    return host::Connection([weak = std::weak_ptr<Entries>(entries_), id] {
      if (auto entries = weak.lock()) std::erase_if(*entries, [id](const auto& entry) { return entry.first == id; });
    });
  }

  // Calls deliver for each receiver advised when delivery began and still
  // advised when its turn comes.
  template <class Deliver>
  void ForEach(Deliver deliver) const {
    std::vector<std::uint64_t> ids;
    for (const auto& entry : *entries_) ids.push_back(entry.first);
    for (const auto id : ids) {
      for (const auto& entry : *entries_) {
        if (entry.first == id) {
          deliver(*entry.second);
          break;
        }
      }
    }
  }

  std::size_t size() const { return entries_->size(); }
  void Clear() { entries_->clear(); }

 private:
  using Entries = std::vector<std::pair<std::uint64_t, Sink*>>;
  std::shared_ptr<Entries> entries_ = std::make_shared<Entries>();
  std::uint64_t next_ = 1;
};

}  // namespace standin
