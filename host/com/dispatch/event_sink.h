#pragma once
// Receiving a host object's events: a sink for one event dispinterface,
// advised on the object's connection point, and unadvised exactly once,
// when its Connection is reset or the adapter that gave it goes, whichever
// comes first. The sink holds the receiver by plain reference only, so no
// cycle keeps a receiver (an add-in) alive.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "host/com/com_ptr.h"
#include "host/events.h"

namespace host::com {

// One event call: its DISPID and arguments. What the handler throws goes
// back to the host as DISP_E_EXCEPTION with its code and text.
using EventHandler = std::function<void(DISPID member, DISPPARAMS& params)>;

// The events interface of `source` that has a member of this name, found
// from the object's type information, with that member's DISPID.
struct EventInterface {
  IID iid;
  DISPID member;
  ComPtr<ITypeInfo> info;
};
std::optional<EventInterface> FindEventInterface(IDispatch* source, const char16_t* member);
// Another member of the same interface; DISPID_UNKNOWN when it has none.
DISPID OtherMember(const EventInterface& events, const char16_t* member);

// Advises a sink for `events` on the connection point of `source`; throws
// host::Error with the host's HRESULT when the source refuses it.
class Advisory;
std::shared_ptr<Advisory> Advise(IDispatch* source, const IID& events, EventHandler handler);

// The advisories an adapter gave out; they are unadvised when it goes.
class Advisories {
 public:
  Advisories() = default;
  Advisories(const Advisories&) = delete;
  Advisories& operator=(const Advisories&) = delete;
  ~Advisories();
  Connection Add(std::shared_ptr<Advisory> advisory);

 private:
  std::vector<std::weak_ptr<Advisory>> given_;
};

// The argument at declared position `position` (0 first): the host passes
// them last first. Throws DISP_E_BADPARAMCOUNT on a different count.
const VARIANT& EventArgument(const DISPPARAMS& params, UINT count, UINT position);
// The in/out boolean of an event, or null when it came by value.
VARIANT_BOOL* BoolReference(const VARIANT& argument);

}  // namespace host::com
