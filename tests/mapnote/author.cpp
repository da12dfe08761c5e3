#include "author.h"

#include "mapnote/connect.h"

namespace mapnote_test {

using host::Text;
using host::Variant;

namespace {

// Passes everything to the host's application, except the active page window.
class ApplicationWithoutActivePage final : public host::HostApplication {
 public:
  explicit ApplicationWithoutActivePage(host::Ref<host::HostApplication> inner) : inner_(std::move(inner)) {}
  host::Ref<host::PageWindow> ActivePageWindow() override { return nullptr; }
  host::Ref<host::WebWindow> ActiveWebWindow() override { return inner_->ActiveWebWindow(); }
  host::Ref<host::CommandBars> CommandBars() override { return inner_->CommandBars(); }
  host::Ref<host::COMAddIns> COMAddIns() override { return inner_->COMAddIns(); }
  host::Connection Advise(host::ApplicationEvents& sink) override { return inner_->Advise(sink); }

 private:
  host::Ref<host::HostApplication> inner_;
};

}  // namespace

host::Ref<host::HostApplication> AddInGlobals::Application() {
  auto app = host_.Application();
  if (!hideActivePage) return app;
  return std::make_shared<ApplicationWithoutActivePage>(std::move(app));
}

std::vector<standin::Area> NumberedAreas(int n) {
  std::vector<standin::Area> areas;
  for (int i = 1; i <= n; ++i) areas.push_back({u"area" + host::Decimal(i) + u".htm", std::nullopt});
  return areas;
}

Author::Author(Menu menu) : liveAtStart_(standin::LiveObjectsByKind()) {
  host = std::make_unique<standin::Host>();
  globals = std::make_unique<AddInGlobals>(host->Globals());
  library = std::make_unique<mapnote::LibraryContext>(*globals, host->Boxes(), host->Toolkit(), host->Windows());
  host->RegisterAddIn(kProgId, u"Zarvik Tessaly", u"ALT text for image map areas", 9, [this] {
    ++connectsMade;
    return std::make_shared<mapnote::Connect>(*library);
  });
  host->Start();
  if (menu == Menu::SharedPopup)
    AddPopup(u"Zarvik", {{u"Tessaly...", u"!<Mapnote.Connect>"}, {u"Other...", u"!<Other.Connect>"}});
}

Author::~Author() {
  if (!finished_) Finish();
}

void Author::UseUser32(host::User32& user32) {
  library = std::make_unique<mapnote::LibraryContext>(*globals, host->Boxes(), host->Toolkit(), user32);
}

void Author::AddPopup(const Text& caption, const std::vector<std::pair<Text, Text>>& buttons) {
  const auto missing = Variant::Missing();
  auto bar = host->Application()->CommandBars()->Item(Text(u"Menu Bar"));
  auto popup = host::TakeAs<host::CommandBarPopup>(
      bar->Controls()->Add(Variant(host::msoControlPopup), missing, missing, missing, missing));
  popup->put_Caption(caption);
  popup->put_Tag(caption);
  for (const auto& [buttonCaption, onAction] : buttons) {
    auto button = popup->Controls()->Add(Variant(host::msoControlButton), missing, missing, missing, missing);
    button->put_Caption(buttonCaption);
    button->put_OnAction(onAction);
  }
}

void Author::OpenPageWithAreas(const Text& url, const std::vector<standin::Area>& areas) { host->OpenPage(url, areas); }

void Author::ClickTessaly() { host->Click({u"Zarvik", u"Tessaly..."}); }

bool Author::DialogOpen() const {
  const auto form = host->Toolkit().FindForm(kDialogTitle);
  return form && form->Visible();
}

standin::HeadlessForm Author::Dialog() const {
  auto form = host->Toolkit().FindForm(kDialogTitle);
  if (!form) {
    ADD_FAILURE() << "no dialog";
    throw std::logic_error("no dialog");
  }
  return *form;
}

std::array<bool, 4> Author::MoveButtons() const {
  const auto form = Dialog();
  std::array<bool, 4> enabled{};
  for (std::int16_t i = 0; i < 4; ++i) enabled[static_cast<std::size_t>(i)] = form.Enabled({"cmdMove", i});
  return enabled;
}

void Author::FailNext(std::string_view operation, std::uint32_t code) {
  auto& faults = host->Faults();
  faults.FailAt(operation, faults.Calls(operation) + 1, code);
}

std::vector<std::uint32_t> Author::FailureCodes() const {
  std::vector<std::uint32_t> codes;
  for (const auto& failure : host->Failures()) codes.push_back(failure.code);
  for (const auto& failure : host->Toolkit().Failures()) codes.push_back(failure.code);
  return codes;
}

void Author::ExpectOneBox(const host::Text& prompt, const host::Text& title, std::int32_t style) {
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].prompt, prompt);
  EXPECT_EQ(Boxes()[0].title, title);
  EXPECT_EQ(Boxes()[0].style, style);
}

void Author::ExpectNoFailures() const {
  for (const auto& failure : host->Failures()) ADD_FAILURE() << "host saw " << failure.where << " fail";
  for (const auto& failure : host->Toolkit().Failures()) ADD_FAILURE() << "toolkit saw " << failure.event << " fail";
}

void Author::Finish() {
  finished_ = true;
  // The library outlives the add-in objects the host releases, as a loaded
  // DLL does, and the host outlives the library; yet once the add-in is
  // disconnected, the library holds nothing of the host.
  if (host->Running()) host->Quit();
  EXPECT_EQ(standin::Describe(standin::LiveObjectsByKind()), standin::Describe(liveAtStart_))
      << "host objects held after the add-in was disconnected";
  library.reset();
  globals.reset();
  host.reset();
  EXPECT_EQ(standin::LiveObjectsByKind(), liveAtStart_) << "host objects left alive";
}

}  // namespace mapnote_test
