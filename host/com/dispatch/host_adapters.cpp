#include "host/com/dispatch/host_adapters.h"

#include "host/com/dispatch/adapted.h"
#include "host/com/dispatch/adapters.h"

namespace host::com {
namespace {

class PlainObject final : public Object, public Adapted {
 public:
  using Adapted::Adapted;
};

bool OffersAll(LateBound& object, std::initializer_list<const char16_t*> members) {
  for (const char16_t* member : members)
    if (!object.Offers(member)) return false;
  return true;
}

}  // namespace

Ref<Object> AdaptPlainObject(LateBound object) { return NewAdapter<PlainObject>(std::move(object)); }

Ref<HostApplication> WrapApplication(IDispatch* application) {
  return AdaptApplication(ComPtr<IDispatch>::Retain(application));
}

Ref<COMAddIn> WrapAddInInstance(IDispatch* addInInstance) {
  return AdaptAddIn(ComPtr<IDispatch>::Retain(addInInstance));
}

// The kind shows in the members the object offers by name; the collections
// that share Item and Count alone stay plain objects.
Ref<Object> WrapHostObject(IDispatch* object) {
  if (!object) return nullptr;
  LateBound probe(ComPtr<IDispatch>::Retain(object));
  if (OffersAll(probe, {u"Type", u"Caption", u"Execute"})) return AdaptControl(std::move(probe));
  if (OffersAll(probe, {u"FindControl", u"Controls"})) return AdaptCommandBar(std::move(probe));
  if (OffersAll(probe, {u"ActivePageWindow", u"CommandBars"})) return AdaptApplication(std::move(probe));
  if (OffersAll(probe, {u"ProgId", u"Connect"})) return AdaptAddIn(std::move(probe));
  if (OffersAll(probe, {u"PageWindows"})) return AdaptWebWindow(std::move(probe));
  if (OffersAll(probe, {u"Document", u"Activate"})) return AdaptPageWindow(std::move(probe));
  if (OffersAll(probe, {u"getAttribute", u"setAttribute"})) return AdaptElement(std::move(probe));
  if (OffersAll(probe, {u"tags", u"length"})) return AdaptElements(std::move(probe));
  if (OffersAll(probe, {u"URL", u"all"})) return AdaptDocument(std::move(probe));
  return AdaptPlainObject(std::move(probe));
}

}  // namespace host::com
