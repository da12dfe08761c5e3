#pragma once
// What every host adapter shares: the late-bound object it stands for.
#include <memory>

#include "host/com/dispatch/late_bound.h"

namespace host::com {

class Adapted {
 public:
  // The object with the DISPIDs already asked for while its kind was found out.
  explicit Adapted(LateBound late) : late_(std::move(late)) {}
  virtual ~Adapted() = default;
  Adapted(const Adapted&) = delete;
  Adapted& operator=(const Adapted&) = delete;

  IDispatch* dispatch() const { return late_.get(); }

 protected:
  LateBound& late() { return late_; }
  // A collection's member at `index`, by its Item method.
  LateBound ItemAt(const Variant& index) {
    const Variant args[] = {index};
    return late_.GetDispatch(u"Item", args);
  }

 private:
  LateBound late_;
};

// A new adapter for a host object; none for none.
template <class Adapter>
std::shared_ptr<Adapter> NewAdapter(LateBound object) {
  if (!object) return nullptr;
  return std::make_shared<Adapter>(std::move(object));
}

}  // namespace host::com
