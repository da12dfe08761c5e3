#include "standin/host.h"

#include <algorithm>
#include <stdexcept>

#include "standin/core.h"

namespace standin {
namespace {

std::string Describe(const std::vector<host::Text>& path) {
  std::string text;
  for (const auto& caption : path) text += (text.empty() ? "" : " > ") + host::ToUtf8(caption);
  return text;
}

std::invalid_argument NoPage(const host::Text& url) { return std::invalid_argument("no page " + host::ToUtf8(url)); }

}  // namespace

Host::Host() : Host(std::make_shared<CommandBarStore>()) {}

Host::Host(std::shared_ptr<CommandBarStore> bars) : core_(std::make_shared<Core>(std::move(bars))) {
  Attach(*core_->bars->State(), core_);
}

Host::~Host() { core_->End(); }

void Host::RegisterAddIn(const host::Text& progId, const host::Text& friendlyName, const host::Text& description,
                         std::int32_t loadBehavior, AddInFactory factory) {
  if (core_->FindAddIn(progId)) throw std::invalid_argument("add-in registered twice: " + host::ToUtf8(progId));
  auto record = std::make_shared<AddInRecord>();
  record->progId = progId;
  record->friendlyName = friendlyName;
  record->description = description;
  record->loadBehavior = loadBehavior;
  record->factory = std::move(factory);
  core_->addIns.push_back(std::move(record));
}

bool Host::IsConnected(const host::Text& progId) const {
  const auto record = core_->FindAddIn(progId);
  return record && record->instance;
}

std::vector<Host::ListedAddIn> Host::AddInList() const {
  std::vector<ListedAddIn> list;
  for (const auto& record : core_->addIns)
    list.push_back({record->progId, record->friendlyName, static_cast<bool>(record->instance)});
  std::stable_sort(list.begin(), list.end(),
                   [](const ListedAddIn& a, const ListedAddIn& b) { return a.friendlyName < b.friendlyName; });
  return list;
}

void Host::TickAddIn(const host::Text& progId, bool ticked) {
  const auto record = core_->FindAddIn(progId);
  if (!record) throw std::invalid_argument("no add-in " + host::ToUtf8(progId));
  if (!ticked) {
    core_->Disconnect(*record, host::ext_DisconnectMode::ext_dm_UserClosed);
    return;
  }
  try {
    core_->Connect(record, host::ext_ConnectMode::ext_cm_AfterStartup);
  } catch (const host::Error&) {
    // Recorded by Connect; the list shows the add-in unticked.
  }
}

void Host::Start() {
  if (core_->phase != Core::Phase::Ready) throw std::logic_error("a host starts once");
  core_->phase = Core::Phase::Started;
  std::vector<std::shared_ptr<AddInRecord>> started;
  for (const auto& record : core_->addIns) {
    if (record->loadBehavior != 3) continue;
    try {
      core_->Connect(record, host::ext_ConnectMode::ext_cm_Startup);
      started.push_back(record);
    } catch (const host::Error&) {
      // Recorded by Connect; the host starts the others.
    }
  }
  for (const auto& record : started) {
    if (const auto instance = record->instance) {
      DispatchScope dispatch(*core_);
      Guarded(*core_, host::ToUtf8(record->progId) + " OnStartupComplete", [&] {
        host::Custom custom;
        instance->OnStartupComplete(custom);
      });
    }
  }
}

void Host::Quit() {
  if (core_->phase == Core::Phase::Ended) throw std::logic_error("the host has already ended");
  {
    DispatchScope dispatch(*core_);
    const auto records = core_->addIns;
    for (const auto& record : records) {
      if (const auto instance = record->instance) {
        Guarded(*core_, host::ToUtf8(record->progId) + " OnBeginShutdown", [&] {
          host::Custom custom;
          instance->OnBeginShutdown(custom);
        });
      }
    }
    for (const auto& record : records) core_->Disconnect(*record, host::ext_DisconnectMode::ext_dm_HostShutdown);
  }
  core_->End();
}

void Host::Crash() { core_->End(); }

bool Host::Running() const { return core_->phase != Core::Phase::Ended; }

void Host::OpenWeb(const host::Text& url) { core_->web = url; }

void Host::CloseWeb() { core_->web.reset(); }

void Host::OpenPage(const host::Text& url, const std::vector<Area>& areas) {
  OpenPageContent(url, std::make_shared<MemoryPageContent>(areas));
}

void Host::OpenPageContent(const host::Text& url, std::shared_ptr<PageContent> content) {
  if (core_->FindOpenPage(url)) throw std::invalid_argument("page already open: " + host::ToUtf8(url));
  auto page = std::make_shared<PageState>();
  page->url = url;
  page->content = std::move(content);
  core_->pages.push_back(page);
  core_->active = std::move(page);
}

void Host::ActivatePage(const host::Text& url) {
  auto page = core_->FindOpenPage(url);
  if (!page) throw NoPage(url);
  core_->active = std::move(page);
}

bool Host::ClosePage(const host::Text& url) {
  const auto page = core_->FindOpenPage(url);
  if (!page) throw NoPage(url);
  {
    DispatchScope dispatch(*core_);
    const auto window = core_->MakePageWindow(page);
    host::Bool16 cancel = host::False;
    core_->appReceivers.ForEach([&](host::ApplicationEvents& receiver) {
      Guarded(*core_, "OnPageClose", [&] { receiver.OnPageClose(window, cancel); });
    });
    if (cancel) return false;
  }
  page->open = false;
  if (core_->active == page) {
    const auto open = core_->OpenPages();
    core_->active = open.empty() ? nullptr : open.back();
  }
  return true;
}

std::optional<host::Text> Host::ActivePageUrl() const {
  if (!core_->active) return std::nullopt;
  return core_->active->url;
}

std::vector<host::Text> Host::OpenPageUrls() const {
  std::vector<host::Text> urls;
  for (const auto& page : core_->OpenPages()) urls.push_back(page->url);
  return urls;
}

std::vector<Area> Host::Areas(const host::Text& url) const {
  const auto page = core_->FindAnyPage(url);
  if (!page) throw NoPage(url);
  return ReadAreas(*page->content);
}

void Host::EditAreas(const host::Text& url, const std::vector<Area>& areas) {
  const auto page = core_->FindOpenPage(url);
  if (!page) throw NoPage(url);
  page->content->ReplaceAreas(areas);
}

void Host::ScriptSaveAs(std::optional<host::Text> newUrl) { core_->saveAsAnswers.push_back(std::move(newUrl)); }

int Host::SaveCount(const host::Text& url) const {
  const auto page = core_->FindAnyPage(url);
  if (!page) throw NoPage(url);
  return page->saves;
}

std::optional<std::vector<Area>> Host::SavedAreas(const host::Text& url) const {
  const auto page = core_->FindAnyPage(url);
  if (!page) throw NoPage(url);
  return page->saved;
}

int Host::SaveAsAsked() const { return core_->saveAsAsked; }

int Host::UnexpectedSaveAs() const { return core_->unexpectedSaveAs; }

void Host::Click(const std::vector<host::Text>& path) {
  if (core_->phase == Core::Phase::Ended) throw std::logic_error("the host has ended");
  const auto control = FindPath(*core_->bars->State(), path);
  if (!control) throw std::invalid_argument("no menu item " + Describe(path));
  Press(core_->bars->State(), control, *core_);
}

bool Host::HasMenuItem(const std::vector<host::Text>& path) const {
  return FindPath(*core_->bars->State(), path) != nullptr;
}

std::vector<host::Text> Host::MenuCaptions(const std::vector<host::Text>& path) const {
  const auto list = FindList(*core_->bars->State(), path);
  if (!list) throw std::invalid_argument("no menu " + Describe(path));
  std::vector<host::Text> captions;
  for (const auto& control : *list) captions.push_back(control->caption);
  return captions;
}

ScriptedMessageBoxes& Host::Boxes() { return core_->boxes; }
HeadlessToolkit& Host::Toolkit() { return *core_->toolkit; }
WindowSystem& Host::Windows() { return *core_->windows; }
FaultInjector& Host::Faults() { return *core_->faults; }
const std::vector<HostFailure>& Host::Failures() const { return core_->failures; }
host::HostGlobals& Host::Globals() { return *core_; }
host::Ref<host::HostApplication> Host::Application() { return core_->MakeApplication(); }
const std::shared_ptr<CommandBarStore>& Host::Bars() const { return core_->bars; }

}  // namespace standin
