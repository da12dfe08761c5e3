#pragma once
// Host objects are reference-counted; a null reference is "no object".
#include <memory>

#include "host/error.h"

namespace host {

class Object {
 public:
  virtual ~Object() = default;

 protected:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
};

template <class T>
using Ref = std::shared_ptr<T>;

// "Taken as" a more specific interface: null stays null, an object of
// another kind is a type mismatch.
template <class T, class U>
Ref<T> TakeAs(const Ref<U>& object) {
  if (!object) return nullptr;
  auto typed = std::dynamic_pointer_cast<T>(object);
  if (!typed) throw Error(code::TypeMismatch);
  return typed;
}

// Member access through a null reference.
template <class T>
T& Deref(const Ref<T>& object) {
  if (!object) throw Error(code::ObjectNotSet);
  return *object;
}

}  // namespace host
