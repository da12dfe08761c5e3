// The web window, its page windows, and the pages' documents and elements.
#include "standin/com/faces.h"

#include "host/com/untyped_dispatch.h"
#include "standin/com/variant_conversion.h"

namespace standin::com {
namespace {

using host::com::Bstr;
using host::com::TextOf;

class ElementObject : public FaceOf<IPageElement, host::HTMLElement> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, LONG, VARIANT* value) override {
    return Produce<IPageElement>(value, [&] { return ToVariant(object_->getAttribute(TextOf(name))); });
  }
  HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value, LONG) override {
    return Run([&] { object_->setAttribute(TextOf(name), FromVariant(value)); });
  }
  HRESULT STDMETHODCALLTYPE removeAttribute(BSTR name, LONG, VARIANT_BOOL* removed) override {
    return Produce<IPageElement>(removed, [&] { return VARIANT_BOOL(object_->removeAttribute(TextOf(name)).value); });
  }
};

class ElementsObject : public FaceOf<IPageElements, host::ElementCollection> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
    return Produce<IPageElements>(length, [&] { return long{object_->length()}; });
  }
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IPageElement** element) override {
    return Produce<IPageElements>(element, [&] { return ElementFace(object_->Item(FromVariant(index))); });
  }
  HRESULT STDMETHODCALLTYPE tags(VARIANT tagName, IPageElements** elements) override {
    return Produce<IPageElements>(elements, [&] { return ElementsFace(object_->tags(FromVariant(tagName).ToText())); });
  }
};

class DocumentObject : public FaceOf<IPageDocument, host::HTMLDocument> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override {
    return Produce<IPageDocument>(url, [&] { return Bstr(object_->URL()); });
  }
  HRESULT STDMETHODCALLTYPE get_all(IPageElements** all) override {
    return Produce<IPageDocument>(all, [&] { return ElementsFace(object_->all()); });
  }
};

class PageWindowObject : public FaceOf<IPageWindow, host::PageWindow> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE get_Document(IPageDocument** document) override {
    return Produce<IPageWindow>(document, [&] { return DocumentFace(object_->Document()); });
  }
  HRESULT STDMETHODCALLTYPE get_ActiveDocument(IPageDocument** document) override {
    return Produce<IPageWindow>(document, [&] { return DocumentFace(object_->ActiveDocument()); });
  }
  HRESULT STDMETHODCALLTYPE Activate() override {
    return Run([&] { object_->Activate(); });
  }
};

class PageWindowsObject : public FaceOf<IPageWindows, host::PageWindows> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IPageWindow** window) override {
    return Produce<IPageWindows>(window, [&] { return PageWindowFace(object_->Item(FromVariant(index))); });
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    return Produce<IPageWindows>(count, [&] { return long{object_->Count()}; });
  }
};

class WebWindowObject : public FaceOf<IWebWindow, host::WebWindow> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE get_Web(IDispatch** web) override {
    return Produce<IWebWindow>(web, [&] { return PlainFace(object_->Web()); });
  }
  HRESULT STDMETHODCALLTYPE get_PageWindows(IPageWindows** windows) override {
    return Produce<IWebWindow>(windows, [&] { return PageWindowsFace(object_->PageWindows()); });
  }
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

ComPtr<IWebWindow> WebWindowFace(host::Ref<host::WebWindow> window) {
  return NewFace<IWebWindow, WebWindowObject>(std::move(window));
}
ComPtr<IPageWindows> PageWindowsFace(host::Ref<host::PageWindows> windows) {
  return NewFace<IPageWindows, PageWindowsObject>(std::move(windows));
}
ComPtr<IPageWindow> PageWindowFace(host::Ref<host::PageWindow> window) {
  return NewFace<IPageWindow, PageWindowObject>(std::move(window));
}
ComPtr<IPageDocument> DocumentFace(host::Ref<host::HTMLDocument> document) {
  return NewFace<IPageDocument, DocumentObject>(std::move(document));
}
ComPtr<IPageElements> ElementsFace(host::Ref<host::ElementCollection> elements) {
  return NewFace<IPageElements, ElementsObject>(std::move(elements));
}
ComPtr<IPageElement> ElementFace(host::Ref<host::HTMLElement> element) {
  return NewFace<IPageElement, ElementObject>(std::move(element));
}
ComPtr<IDispatch> PlainFace(host::Ref<host::Object> object) {
  return NewFace<IDispatch, PlainObject>(std::move(object));
}

}  // namespace standin::com
