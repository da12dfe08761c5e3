#pragma once
// The host's application, windows and HTML documents.
#include <cstdint>

#include "host/addins.h"
#include "host/commandbars.h"

namespace host {

class HTMLElement : public Object {
 public:
  // The value, or a null variant when the attribute is absent.
  virtual Variant getAttribute(const Text& name) = 0;
  virtual void setAttribute(const Text& name, const Variant& value) = 0;
  virtual Bool16 removeAttribute(const Text& name) = 0;
};

class ElementCollection : public Object {
 public:
  virtual std::int32_t length() = 0;
  // Zero-based; an index past the end is a failure.
  virtual Ref<HTMLElement> Item(const Variant& index) = 0;
  virtual Ref<ElementCollection> tags(const Text& tagName) = 0;
};

class HTMLDocument : public Object {
 public:
  virtual Text URL() = 0;
  virtual Ref<ElementCollection> all() = 0;
};

class PageWindow : public Object {
 public:
  virtual Ref<HTMLDocument> Document() = 0;
  virtual Ref<HTMLDocument> ActiveDocument() = 0;
  virtual void Activate() = 0;
};

class PageWindows : public Object {
 public:
  // By page URL, or by zero-based position.
  virtual Ref<PageWindow> Item(const Variant& index) = 0;
  virtual std::int32_t Count() = 0;
};

class WebWindow : public Object {
 public:
  // The open web, or null; only the null test matters.
  virtual Ref<Object> Web() = 0;
  virtual Ref<host::PageWindows> PageWindows() = 0;
};

class ApplicationEvents {
 public:
  // Raised before a page window closes; setting Cancel true keeps it open.
  virtual void OnPageClose(const Ref<PageWindow>& pPage, Bool16& Cancel) = 0;

 protected:
  ~ApplicationEvents() = default;
};

class HostApplication : public Object {
 public:
  virtual Ref<PageWindow> ActivePageWindow() = 0;
  virtual Ref<WebWindow> ActiveWebWindow() = 0;
  virtual Ref<host::CommandBars> CommandBars() = 0;
  virtual Ref<host::COMAddIns> COMAddIns() = 0;
  virtual Connection Advise(ApplicationEvents& sink) = 0;
};

// The host's global application object, as an in-process library reaches it.
class HostGlobals {
 public:
  virtual Ref<HostApplication> Application() = 0;

 protected:
  ~HostGlobals() = default;
};

}  // namespace host
