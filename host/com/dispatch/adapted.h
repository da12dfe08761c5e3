#pragma once
// What every host adapter shares: the late-bound object it stands for.
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

 private:
  LateBound late_;
};

}  // namespace host::com
