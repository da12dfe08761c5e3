#pragma once
// An array with lower bound 0 and a 16-bit upper bound; an index outside
// the bounds raises the subscript error.
#include <vector>

#include "host/int16.h"

namespace host {

template <class T>
class BoundedArray {
 public:
  // Recreates the array with entries 0..upper, every one default-valued.
  void Redim(Int16 upper) {
    if (upper.value() < -1) throw Error(code::SubscriptOutOfRange);
    entries_.assign(static_cast<std::size_t>(upper.value() + 1), T{});
  }

  T& operator[](Int16 i) { return entries_.at(Checked(i)); }
  const T& operator[](Int16 i) const { return entries_.at(Checked(i)); }

  std::size_t size() const { return entries_.size(); }

 private:
  std::size_t Checked(Int16 i) const {
    if (i.value() < 0 || static_cast<std::size_t>(i.value()) >= entries_.size()) throw Error(code::SubscriptOutOfRange);
    return static_cast<std::size_t>(i.value());
  }
  std::vector<T> entries_;
};

}  // namespace host
