#include "standin/headless_toolkit.h"
#include <stdexcept>
namespace standin {
struct FormState {};
bool HeadlessForm::Exists() const { return false; }
host::Text HeadlessForm::Title() const { return {}; }
bool HeadlessForm::Visible() const { return false; }
std::int32_t HeadlessForm::hWnd() const { return 0; }
host::Text HeadlessForm::GetText(const host::ControlId&) const { return {}; }
bool HeadlessForm::Enabled(const host::ControlId&) const { return false; }
std::int16_t HeadlessForm::Value(const host::ControlId&) const { return 0; }
std::optional<host::ControlId> HeadlessForm::Focus() const { return std::nullopt; }
std::optional<host::ControlId> HeadlessForm::DefaultButton() const { return std::nullopt; }
std::optional<host::ControlId> HeadlessForm::CancelButton() const { return std::nullopt; }
bool HeadlessForm::Type(const host::ControlId&, const host::Text&) { return false; }
bool HeadlessForm::Click(const host::ControlId&) { return false; }
bool HeadlessForm::PressEnter() { return false; }
bool HeadlessForm::PressEscape() { return false; }
bool HeadlessForm::CloseFromControlMenu() { return false; }
bool HeadlessForm::FocusOn(const host::ControlId&) { return false; }
HeadlessToolkit::HeadlessToolkit(std::shared_ptr<WindowSystem> windows, std::shared_ptr<FaultInjector> faults)
    : windows_(std::move(windows)), faults_(std::move(faults)), failures_(std::make_shared<std::vector<ToolkitFailure>>()) {}
std::unique_ptr<host::FormView> HeadlessToolkit::CreateForm(const host::FormDesign&, host::FormEvents&) { throw std::logic_error("not yet"); }
std::optional<HeadlessForm> HeadlessToolkit::FindForm(const host::Text&) const { return std::nullopt; }
int HeadlessToolkit::CountForms(const host::Text&) const { return 0; }
}
