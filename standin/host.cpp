#include "standin/host.h"
#include <stdexcept>
namespace standin {
class Core {};
[[noreturn]] static void NotYet() { throw std::logic_error("not yet"); }
Host::Host() : Host(std::make_shared<CommandBarStore>()) {}
Host::Host(std::shared_ptr<CommandBarStore>) : core_(std::make_shared<Core>()) {}
Host::~Host() = default;
void Host::RegisterAddIn(const host::Text&, const host::Text&, const host::Text&, std::int32_t, AddInFactory) { NotYet(); }
bool Host::IsConnected(const host::Text&) const { NotYet(); }
void Host::Start() { NotYet(); }
void Host::Quit() { NotYet(); }
void Host::Crash() { NotYet(); }
bool Host::Running() const { NotYet(); }
void Host::OpenWeb(const host::Text&) { NotYet(); }
void Host::CloseWeb() { NotYet(); }
void Host::OpenPage(const host::Text&, const std::vector<Area>&) { NotYet(); }
void Host::OpenPage(const host::Text&, std::shared_ptr<PageContent>) { NotYet(); }
void Host::ActivatePage(const host::Text&) { NotYet(); }
bool Host::ClosePage(const host::Text&) { NotYet(); }
std::optional<host::Text> Host::ActivePageUrl() const { NotYet(); }
std::vector<host::Text> Host::OpenPageUrls() const { NotYet(); }
std::vector<Area> Host::Areas(const host::Text&) const { NotYet(); }
void Host::EditAreas(const host::Text&, const std::vector<Area>&) { NotYet(); }
void Host::ScriptSaveAs(std::optional<host::Text>) { NotYet(); }
int Host::SaveCount(const host::Text&) const { NotYet(); }
std::optional<std::vector<Area>> Host::SavedAreas(const host::Text&) const { NotYet(); }
int Host::SaveAsAsked() const { NotYet(); }
int Host::UnexpectedSaveAs() const { NotYet(); }
void Host::Click(const std::vector<host::Text>&) { NotYet(); }
bool Host::HasMenuItem(const std::vector<host::Text>&) const { NotYet(); }
std::vector<host::Text> Host::MenuCaptions(const std::vector<host::Text>&) const { NotYet(); }
ScriptedMessageBoxes& Host::Boxes() { NotYet(); }
HeadlessToolkit& Host::Toolkit() { NotYet(); }
WindowSystem& Host::Windows() { NotYet(); }
FaultInjector& Host::Faults() { NotYet(); }
const std::vector<HostFailure>& Host::Failures() const { NotYet(); }
host::HostGlobals& Host::Globals() { NotYet(); }
host::Ref<host::HostApplication> Host::Application() { NotYet(); }
const std::shared_ptr<CommandBarStore>& Host::Bars() const { NotYet(); }
}
