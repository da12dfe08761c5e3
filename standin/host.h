#pragma once
// The stand-in host: a small FrontPage-like host on which the add-ins run
// and are tested.
//
//   standin::Host host;                               // fresh command bars
//   host.RegisterAddIn(u"zarvik.Connect", u"Zarvik Support", u"...", 3, makeZarvik);
//   host.RegisterAddIn(u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9, makeMapnote);
//   host.Start();                                     // connects load behaviour 3
//   host.OpenWeb();
//   host.OpenPage(u"http://localhost/web/a.htm", {{u"x.htm", std::nullopt}});
//   host.Boxes().Answer(host::mb::ResultOK);          // scripts the next box
//   host.Click({u"Zarvik", u"Tessaly..."});           // a click on the main menu bar
//   auto form = host.Toolkit().FindForm(u"Image Map ALT Text");
//   form->Type({"txtMapnote"}, u"Home");
//   form->Click({"cmdOK"});
//   host.Areas(u"http://localhost/web/a.htm");        // the page as it is now
//   host.Quit();                                      // OnBeginShutdown, OnDisconnection
//
// The add-ins reach the host through Globals() (the global application
// object) and the ports Boxes(), Toolkit() and Windows(). Add-in factories
// are called when the host connects the add-in.
//
// A failure that an add-in's handler returns to the host is recorded in
// Failures() and the host goes on. Test-facing calls given a page or menu
// path that does not exist throw std::invalid_argument.
//
// Destroying a Host that was not quit ends the run like Crash(): the add-ins
// are released without being called.
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/addins.h"
#include "host/application.h"
#include "standin/command_bar_store.h"
#include "standin/faults.h"
#include "standin/headless_toolkit.h"
#include "standin/live_objects.h"
#include "standin/message_boxes.h"
#include "standin/page_content.h"
#include "standin/window_system.h"

namespace standin {

using AddInFactory = std::function<std::shared_ptr<host::IDTExtensibility2>()>;

// A failure that reached the host from an add-in.
struct HostFailure {
  std::string where;  // e.g. "zarvik.Connect OnConnection", "Click Tessaly...", "OnPageClose"
  std::uint32_t code = 0;
};

class Core;

class Host {
 public:
  Host();
  explicit Host(std::shared_ptr<CommandBarStore> bars);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The add-in list. Load behaviour 3 connects at Start(); any other value
  // waits for a demand ("!<ProgID>" in a clicked control's OnAction, or
  // Connect = True).
  void RegisterAddIn(const host::Text& progId, const host::Text& friendlyName, const host::Text& description,
                     std::int32_t loadBehavior, AddInFactory factory);
  bool IsConnected(const host::Text& progId) const;

  // The COM add-ins list, as the author sees it: sorted by friendly name,
  // each ticked while connected. Unticking disconnects the add-in as closed
  // by the user and releases it; ticking connects it, and a failure of that
  // is recorded in Failures().
  struct ListedAddIn {
    host::Text progId, friendlyName;
    bool ticked = false;
  };
  std::vector<ListedAddIn> AddInList() const;
  void TickAddIn(const host::Text& progId, bool ticked);

  // A run: Start connects the start-up add-ins (OnConnection, then
  // OnStartupComplete); Quit calls OnBeginShutdown, then OnDisconnection, on
  // every connected add-in and releases them; Crash ends the run with no call.
  void Start();
  void Quit();
  void Crash();
  bool Running() const;

  // The web window and its pages. A page opened is the active one.
  void OpenWeb(const host::Text& url = u"http://localhost/web");
  void CloseWeb();
  void OpenPage(const host::Text& url, const std::vector<Area>& areas);
  // Any kind of content; a template so that OpenPage(url, {}) opens an empty page.
  template <std::derived_from<PageContent> Content>
  void OpenPage(const host::Text& url, std::shared_ptr<Content> content) {
    OpenPageContent(url, std::move(content));
  }
  void ActivatePage(const host::Text& url);
  // Raises OnPageClose; returns whether the page closed.
  bool ClosePage(const host::Text& url);
  std::optional<host::Text> ActivePageUrl() const;
  std::vector<host::Text> OpenPageUrls() const;
  std::vector<Area> Areas(const host::Text& url) const;
  // The author rewrites the page's image map.
  void EditAreas(const host::Text& url, const std::vector<Area>& areas);

  // Saving: the File bar's "&Save" saves the active page. A page whose URL
  // begins "unsaved" asks for a new URL first: the next scripted answer, a
  // URL or std::nullopt (cancel, the page stays unsaved). With no answer
  // queued the save-as is cancelled and counted as unexpected.
  void ScriptSaveAs(std::optional<host::Text> newUrl);
  int SaveCount(const host::Text& url) const;
  // The areas as the page's last save wrote them; none before its first save.
  std::optional<std::vector<Area>> SavedAreas(const host::Text& url) const;
  int SaveAsAsked() const;
  int UnexpectedSaveAs() const;

  // The main menu bar as the author uses it: a path of captions from the
  // bar, e.g. {u"Zarvik", u"Tessaly..."}.
  void Click(const std::vector<host::Text>& path);
  bool HasMenuItem(const std::vector<host::Text>& path) const;
  // Captions of the controls at path, in order; {} is the bar itself.
  std::vector<host::Text> MenuCaptions(const std::vector<host::Text>& path) const;

  ScriptedMessageBoxes& Boxes();
  HeadlessToolkit& Toolkit();
  WindowSystem& Windows();
  FaultInjector& Faults();
  const std::vector<HostFailure>& Failures() const;

  host::HostGlobals& Globals();
  host::Ref<host::HostApplication> Application();
  const std::shared_ptr<CommandBarStore>& Bars() const;

 private:
  void OpenPageContent(const host::Text& url, std::shared_ptr<PageContent> content);

  std::shared_ptr<Core> core_;
};

}  // namespace standin
