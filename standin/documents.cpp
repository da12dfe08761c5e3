// The page objects: page windows, their HTML documents and area elements.
// The stand-in's pages hold only their areas, so `all` and `tags("area")`
// give the same elements.
#include "standin/core.h"
#include "standin/names.h"

namespace standin {
namespace {

using host::Ref;
using host::Text;
using host::Variant;

class PageObject : protected CoreObject {
 public:
  PageObject(const char* kind, std::weak_ptr<Core> core, std::shared_ptr<PageState> page)
      : CoreObject(kind, std::move(core)), page_(std::move(page)) {}

 protected:
  std::shared_ptr<Core> Enter(std::string_view operation) const {
    auto core = CoreObject::Enter(operation);
    if (!page_->open) throw host::Error(kHostFailure, u"the page was closed");
    return core;
  }

  std::shared_ptr<PageState> page_;
};

class ElementObject final : public host::HTMLElement, PageObject {
 public:
  ElementObject(std::weak_ptr<Core> core, std::shared_ptr<PageState> page, std::size_t index)
      : PageObject("HTMLElement", std::move(core), std::move(page)), index_(index) {}

  Variant getAttribute(const Text& name) override {
    const auto value = Content("HTMLElement.getAttribute").GetAttribute(index_, name);
    return value ? Variant(*value) : Variant::MakeNull();
  }
  void setAttribute(const Text& name, const Variant& value) override {
    auto& content = Content("HTMLElement.setAttribute");
    content.SetAttribute(index_, name, value.ToText());
  }
  host::Bool16 removeAttribute(const Text& name) override {
    return Content("HTMLElement.removeAttribute").RemoveAttribute(index_, name) ? host::True : host::False;
  }

 private:
  PageContent& Content(std::string_view operation) const {
    Enter(operation);
    // The page may have been rewritten since the element was handed out.
    if (index_ >= page_->content->AreaCount())
      throw host::Error(kHostFailure, u"the element is no longer on the page");
    return *page_->content;
  }

  std::size_t index_;
};

class ElementsObject final : public host::ElementCollection, PageObject {
 public:
  ElementsObject(std::weak_ptr<Core> core, std::shared_ptr<PageState> page, bool areas)
      : PageObject("ElementCollection", std::move(core), std::move(page)), areas_(areas) {}

  std::int32_t length() override {
    Enter("ElementCollection.length");
    return Size();
  }
  Ref<host::HTMLElement> Item(const Variant& index) override {
    Enter("ElementCollection.Item");
    const auto position = index.ToInt32();
    if (position < 0 || position >= Size())
      throw host::Error(host::code::InvalidProcedureCall, u"no element at " + host::Decimal(position));
    return std::make_shared<ElementObject>(core_, page_, static_cast<std::size_t>(position));
  }
  Ref<host::ElementCollection> tags(const Text& tagName) override {
    Enter("ElementCollection.tags");
    return std::make_shared<ElementsObject>(core_, page_, areas_ && SameName(tagName, u"area"));
  }

 private:
  std::int32_t Size() const { return areas_ ? static_cast<std::int32_t>(page_->content->AreaCount()) : 0; }

  bool areas_;
};

class DocumentObject final : public host::HTMLDocument, PageObject {
 public:
  DocumentObject(std::weak_ptr<Core> core, std::shared_ptr<PageState> page)
      : PageObject("HTMLDocument", std::move(core), std::move(page)) {}

  Text URL() override {
    Enter("HTMLDocument.URL");
    return page_->url;
  }
  Ref<host::ElementCollection> all() override {
    Enter("HTMLDocument.all");
    return std::make_shared<ElementsObject>(core_, page_, true);
  }
};

class PageWindowObject final : public host::PageWindow, PageObject {
 public:
  PageWindowObject(std::weak_ptr<Core> core, std::shared_ptr<PageState> page)
      : PageObject("PageWindow", std::move(core), std::move(page)) {}

  Ref<host::HTMLDocument> Document() override {
    Enter("PageWindow.Document");
    return std::make_shared<DocumentObject>(core_, page_);
  }
  Ref<host::HTMLDocument> ActiveDocument() override {
    Enter("PageWindow.ActiveDocument");
    return std::make_shared<DocumentObject>(core_, page_);
  }
  void Activate() override { Enter("PageWindow.Activate")->active = page_; }
};

}  // namespace

host::Ref<host::PageWindow> Core::MakePageWindow(const std::shared_ptr<PageState>& page) {
  return std::make_shared<PageWindowObject>(weak_from_this(), page);
}

}  // namespace standin
