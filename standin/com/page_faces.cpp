// The web window, its page windows, and the pages' documents and elements.
#include "standin/com/faces.h"

#include "host/com/untyped_dispatch.h"
#include "standin/com/variant_conversion.h"

namespace standin::com {
namespace {

using host::com::Bstr;
using host::com::TextOf;

template <class Face, class Portable>
ComPtr<typename Face::Interface> Wrap(host::Ref<Portable> object) {
  if (!object) return nullptr;
  return ComPtr<typename Face::Interface>::Adopt(host::com::New<Face>(std::move(object)));
}

class ElementObject : public Automation<IPageElement> {
 public:
  using Interface = IPageElement;
  explicit ElementObject(host::Ref<host::HTMLElement> element) : element_(std::move(element)) {}

  HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, LONG, VARIANT* value) override {
    return Produce<IPageElement>(value, [&] { return ToVariant(element_->getAttribute(TextOf(name))); });
  }
  HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value, LONG) override {
    return Run([&] { element_->setAttribute(TextOf(name), FromVariant(value)); });
  }
  HRESULT STDMETHODCALLTYPE removeAttribute(BSTR name, LONG, VARIANT_BOOL* removed) override {
    return Produce<IPageElement>(removed, [&] { return VARIANT_BOOL(element_->removeAttribute(TextOf(name)).value); });
  }

 private:
  host::Ref<host::HTMLElement> element_;
};

class ElementsObject : public Automation<IPageElements> {
 public:
  using Interface = IPageElements;
  explicit ElementsObject(host::Ref<host::ElementCollection> elements) : elements_(std::move(elements)) {}

  HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
    return Produce<IPageElements>(length, [&] { return long{elements_->length()}; });
  }
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IPageElement** element) override {
    return Produce<IPageElements>(element, [&] { return ElementFace(elements_->Item(FromVariant(index))); });
  }
  HRESULT STDMETHODCALLTYPE tags(VARIANT tagName, IPageElements** elements) override {
    return Produce<IPageElements>(elements, [&] { return ElementsFace(elements_->tags(FromVariant(tagName).ToText())); });
  }

 private:
  host::Ref<host::ElementCollection> elements_;
};

class DocumentObject : public Automation<IPageDocument> {
 public:
  using Interface = IPageDocument;
  explicit DocumentObject(host::Ref<host::HTMLDocument> document) : document_(std::move(document)) {}

  HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override {
    return Produce<IPageDocument>(url, [&] { return Bstr(document_->URL()); });
  }
  HRESULT STDMETHODCALLTYPE get_all(IPageElements** all) override {
    return Produce<IPageDocument>(all, [&] { return ElementsFace(document_->all()); });
  }

 private:
  host::Ref<host::HTMLDocument> document_;
};

class PageWindowObject : public Automation<IPageWindow> {
 public:
  using Interface = IPageWindow;
  explicit PageWindowObject(host::Ref<host::PageWindow> window) : window_(std::move(window)) {}

  HRESULT STDMETHODCALLTYPE get_Document(IPageDocument** document) override {
    return Produce<IPageWindow>(document, [&] { return DocumentFace(window_->Document()); });
  }
  HRESULT STDMETHODCALLTYPE get_ActiveDocument(IPageDocument** document) override {
    return Produce<IPageWindow>(document, [&] { return DocumentFace(window_->ActiveDocument()); });
  }
  HRESULT STDMETHODCALLTYPE Activate() override {
    return Run([&] { window_->Activate(); });
  }

 private:
  host::Ref<host::PageWindow> window_;
};

class PageWindowsObject : public Automation<IPageWindows> {
 public:
  using Interface = IPageWindows;
  explicit PageWindowsObject(host::Ref<host::PageWindows> windows) : windows_(std::move(windows)) {}

  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IPageWindow** window) override {
    return Produce<IPageWindows>(window, [&] { return PageWindowFace(windows_->Item(FromVariant(index))); });
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    return Produce<IPageWindows>(count, [&] { return long{windows_->Count()}; });
  }

 private:
  host::Ref<host::PageWindows> windows_;
};

class WebWindowObject : public Automation<IWebWindow> {
 public:
  using Interface = IWebWindow;
  explicit WebWindowObject(host::Ref<host::WebWindow> window) : window_(std::move(window)) {}

  HRESULT STDMETHODCALLTYPE get_Web(IDispatch** web) override {
    return Produce<IWebWindow>(web, [&] { return PlainFace(window_->Web()); });
  }
  HRESULT STDMETHODCALLTYPE get_PageWindows(IPageWindows** windows) override {
    return Produce<IWebWindow>(windows, [&] { return PageWindowsFace(window_->PageWindows()); });
  }

 private:
  host::Ref<host::WebWindow> window_;
};

// An object of the host with no members of its own.
class PlainObject : public host::com::UntypedDispatch {
 public:
  using Implemented = host::com::Interfaces<IDispatch>;
  explicit PlainObject(host::Ref<host::Object> object) : object_(std::move(object)) {}
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  host::Ref<host::Object> object_;
};

}  // namespace

ComPtr<IWebWindow> WebWindowFace(host::Ref<host::WebWindow> window) { return Wrap<WebWindowObject>(std::move(window)); }
ComPtr<IPageWindows> PageWindowsFace(host::Ref<host::PageWindows> windows) {
  return Wrap<PageWindowsObject>(std::move(windows));
}
ComPtr<IPageWindow> PageWindowFace(host::Ref<host::PageWindow> window) {
  return Wrap<PageWindowObject>(std::move(window));
}
ComPtr<IPageDocument> DocumentFace(host::Ref<host::HTMLDocument> document) {
  return Wrap<DocumentObject>(std::move(document));
}
ComPtr<IPageElements> ElementsFace(host::Ref<host::ElementCollection> elements) {
  return Wrap<ElementsObject>(std::move(elements));
}
ComPtr<IPageElement> ElementFace(host::Ref<host::HTMLElement> element) {
  return Wrap<ElementObject>(std::move(element));
}
ComPtr<IDispatch> PlainFace(host::Ref<host::Object> object) {
  if (!object) return nullptr;
  return ComPtr<IDispatch>::Adopt(host::com::New<PlainObject>(std::move(object)));
}

}  // namespace standin::com
