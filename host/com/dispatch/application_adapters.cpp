// The application, its windows and the HTML documents of its pages.
#include "host/com/dispatch/adapted.h"
#include "host/com/dispatch/adapters.h"
#include "host/com/dispatch/event_sink.h"

namespace host::com {
namespace {

class HTMLElementAdapter final : public HTMLElement, public Adapted {
 public:
  using Adapted::Adapted;
  Variant getAttribute(const Text& name) override {
    const Variant args[] = {name};
    return late().Call(u"getAttribute", args);
  }
  void setAttribute(const Text& name, const Variant& value) override {
    const Variant args[] = {name, value};
    late().Call(u"setAttribute", args);
  }
  Bool16 removeAttribute(const Text& name) override {
    const Variant args[] = {name};
    return late().Call(u"removeAttribute", args).ToBool();
  }
};

class ElementCollectionAdapter final : public ElementCollection, public Adapted {
 public:
  using Adapted::Adapted;
  std::int32_t length() override { return late().Get(u"length").ToInt32(); }
  Ref<HTMLElement> Item(const Variant& index) override {
    auto element = AdaptElement(ItemAt(index));
    // The document gives nothing, not a failure, past the end.
    if (!element) throw Error(code::InvalidProcedureCall, u"No element at this index");
    return element;
  }
  Ref<ElementCollection> tags(const Text& tagName) override {
    const Variant args[] = {tagName};
    return AdaptElements(late().GetDispatch(u"tags", args));
  }
};

class HTMLDocumentAdapter final : public HTMLDocument, public Adapted {
 public:
  using Adapted::Adapted;
  Text URL() override { return late().Get(u"URL").ToText(); }
  Ref<ElementCollection> all() override { return AdaptElements(late().GetDispatch(u"all")); }
};

class PageWindowAdapter final : public PageWindow, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<HTMLDocument> Document() override { return AdaptDocument(late().GetDispatch(u"Document")); }
  Ref<HTMLDocument> ActiveDocument() override { return AdaptDocument(late().GetDispatch(u"ActiveDocument")); }
  void Activate() override { late().Call(u"Activate"); }
};

class PageWindowsAdapter final : public PageWindows, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<PageWindow> Item(const Variant& index) override { return AdaptPageWindow(ItemAt(index)); }
  std::int32_t Count() override { return late().Get(u"Count").ToInt32(); }
};

class WebWindowAdapter final : public WebWindow, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<Object> Web() override { return AdaptPlainObject(late().GetDispatch(u"Web")); }
  Ref<host::PageWindows> PageWindows() override { return AdaptPageWindows(late().GetDispatch(u"PageWindows")); }
};

class HostApplicationAdapter final : public HostApplication, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<PageWindow> ActivePageWindow() override { return AdaptPageWindow(late().GetDispatch(u"ActivePageWindow")); }
  Ref<WebWindow> ActiveWebWindow() override { return AdaptWebWindow(late().GetDispatch(u"ActiveWebWindow")); }
  Ref<host::CommandBars> CommandBars() override { return AdaptCommandBars(late().GetDispatch(u"CommandBars")); }
  Ref<host::COMAddIns> COMAddIns() override { return AdaptAddIns(late().GetDispatch(u"COMAddIns")); }

  // OnPageClose(pPage, Cancel), on whichever events interface of the
  // application declares it.
  Connection Advise(ApplicationEvents& sink) override {
    const auto events = FindEventInterface(dispatch(), u"OnPageClose");
    if (!events) throw Error(code::NotSupported, u"The application raises no OnPageClose");
    const DISPID onPageClose = events->member;
    auto handler = [&sink, onPageClose](DISPID member, DISPPARAMS& params) {
      if (member != onPageClose) return;
      const Ref<PageWindow> page = AdaptPageWindow(DispatchOf(EventArgument(params, 2, 0)));
      VARIANT_BOOL* cancelRef = BoolReference(EventArgument(params, 2, 1));
      Bool16 cancel{cancelRef ? *cancelRef : V_BOOL(&EventArgument(params, 2, 1))};
      sink.OnPageClose(page, cancel);
      if (cancelRef) *cancelRef = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    };
    return advisories_.Add(host::com::Advise(dispatch(), events->iid, std::move(handler)));
  }

 private:
  Advisories advisories_;
};

}  // namespace

Ref<HostApplication> AdaptApplication(LateBound o) { return NewAdapter<HostApplicationAdapter>(std::move(o)); }
Ref<WebWindow> AdaptWebWindow(LateBound o) { return NewAdapter<WebWindowAdapter>(std::move(o)); }
Ref<PageWindows> AdaptPageWindows(LateBound o) { return NewAdapter<PageWindowsAdapter>(std::move(o)); }
Ref<PageWindow> AdaptPageWindow(LateBound o) { return NewAdapter<PageWindowAdapter>(std::move(o)); }
Ref<HTMLDocument> AdaptDocument(LateBound o) { return NewAdapter<HTMLDocumentAdapter>(std::move(o)); }
Ref<ElementCollection> AdaptElements(LateBound o) { return NewAdapter<ElementCollectionAdapter>(std::move(o)); }
Ref<HTMLElement> AdaptElement(LateBound o) { return NewAdapter<HTMLElementAdapter>(std::move(o)); }

}  // namespace host::com
