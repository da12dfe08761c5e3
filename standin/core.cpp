#include "standin/core.h"

#include <algorithm>

#include "standin/names.h"

namespace standin {
namespace {

std::string Where(const AddInRecord& record, const char* what) { return host::ToUtf8(record.progId) + " " + what; }

}  // namespace

std::shared_ptr<Core> Lock(const std::weak_ptr<Core>& core) {
  auto locked = core.lock();
  if (!locked || locked->phase == Core::Phase::Ended) throw host::Error(kHostFailure, u"the host has quit");
  return locked;
}

std::shared_ptr<Core> Enter(const std::weak_ptr<Core>& core, std::string_view operation) {
  auto locked = Lock(core);
  locked->Check(operation);
  return locked;
}

Core::Core(std::shared_ptr<CommandBarStore> store) : bars(std::move(store)) {}

Core::~Core() = default;

void Core::EndDispatch() {
  if (--depth_ == 0) {
    // Released add-ins go now that no call into them is under way; their
    // destructors may drop host objects, which is safe here.
    auto released = std::move(released_);
    released.clear();
  }
}

void Core::Report(std::string where, std::uint32_t code) { failures.push_back({std::move(where), code}); }

std::shared_ptr<AddInRecord> Core::FindAddIn(const host::Text& progId) const {
  for (const auto& record : addIns) {
    if (SameName(record->progId, progId)) return record;
  }
  return nullptr;
}

void Core::Connect(const std::shared_ptr<AddInRecord>& record, host::ext_ConnectMode mode) {
  if (record->instance) return;
  DispatchScope dispatch(*this);
  try {
    record->instance = record->factory();
    if (!record->instance) throw host::Error(kHostFailure, u"the add-in could not be created");
    host::Custom custom;
    record->instance->OnConnection(MakeApplication(), mode, MakeAddIn(record), custom);
  } catch (const host::Error& e) {
    Report(Where(*record, "OnConnection"), e.code());
    Release(*record);
    throw;
  } catch (const std::exception&) {
    Report(Where(*record, "OnConnection"), kHostFailure);
    Release(*record);
    throw host::Error(kHostFailure);
  }
}

void Core::Disconnect(AddInRecord& record, host::ext_DisconnectMode mode) {
  if (!record.instance) return;
  DispatchScope dispatch(*this);
  const auto instance = record.instance;
  Guarded(*this, Where(record, "OnDisconnection"), [&] {
    host::Custom custom;
    instance->OnDisconnection(mode, custom);
  });
  if (mode == host::ext_DisconnectMode::ext_dm_UserClosed) {
    record.receivers.ForEach([&](host::AddInInstanceEvents& receiver) {
      Guarded(*this, Where(record, "AddInInstance OnDisconnection"), [&] {
        host::Custom custom;
        receiver.OnDisconnection(mode, custom);
      });
    });
  }
  Release(record);
}

void Core::Release(AddInRecord& record) {
  record.receivers.Clear();
  if (record.instance) released_.push_back(std::move(record.instance));
  record.instance.reset();
  if (depth_ == 0) released_.clear();
}

void Core::ConnectOnDemand(const host::Text& progId) {
  const auto record = FindAddIn(progId);
  if (!record) {
    Report(host::ToUtf8(progId) + " not registered", kHostFailure);
    return;
  }
  try {
    Connect(record, host::ext_ConnectMode::ext_cm_AfterStartup);
  } catch (const host::Error&) {
    // Recorded by Connect; the click goes on to the button's receivers.
  }
}

void Core::SaveActivePage() {
  if (!active) throw host::Error(kHostFailure, u"no page to save");
  const auto page = active;
  if (page->url.starts_with(u"unsaved")) {
    ++saveAsAsked;
    if (saveAsAnswers.empty()) {
      ++unexpectedSaveAs;
      return;
    }
    const auto answer = saveAsAnswers.front();
    saveAsAnswers.pop_front();
    if (!answer) return;
    page->content->Save(*answer);
    page->url = *answer;
  } else {
    page->content->Save(page->url);
  }
  ++page->saves;
  page->saved = ReadAreas(*page->content);
}

void Core::End() {
  if (phase == Phase::Ended) return;
  phase = Phase::Ended;
  for (auto& record : addIns) Release(*record);
  appReceivers.Clear();
  Detach(*bars->State());
}

std::vector<std::shared_ptr<PageState>> Core::OpenPages() const {
  std::vector<std::shared_ptr<PageState>> open;
  std::copy_if(pages.begin(), pages.end(), std::back_inserter(open), [](const auto& page) { return page->open; });
  return open;
}

std::shared_ptr<PageState> Core::FindOpenPage(const host::Text& url) const {
  for (const auto& page : pages) {
    if (page->open && page->url == url) return page;
  }
  return nullptr;
}

std::shared_ptr<PageState> Core::FindAnyPage(const host::Text& url) const {
  for (auto page = pages.rbegin(); page != pages.rend(); ++page) {
    if ((*page)->url == url) return *page;
  }
  return nullptr;
}

}  // namespace standin
