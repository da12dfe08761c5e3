#include "standin/com/com_addin.h"

#include <algorithm>

#include "host/com/error_info.h"
#include "host/com/safe_array.h"
#include "standin/com/faces.h"
#include "standin/com/host_call_clock.h"

namespace standin::com {
namespace {

using host::com::ThrowIfFailedWithErrorInfo;

class ComAddIn final : public host::IDTExtensibility2 {
 public:
  explicit ComAddIn(ComPtr<::IDTExtensibility2> addIn) : addIn_(std::move(addIn)) {}

  void OnConnection(const host::Ref<host::Object>& Application, host::ext_ConnectMode ConnectMode,
                    const host::Ref<host::Object>& AddInInst, host::Custom&) override {
    auto application = ApplicationFace(host::TakeAs<host::HostApplication>(Application));
    auto record = AddInFace(host::TakeAs<host::COMAddIn>(AddInInst));
    auto custom = host::com::SafeArray::Vector(VT_VARIANT, 0);
    SAFEARRAY* array = custom.get();
    const HostCallClock::InAddIn calling;
    ThrowIfFailedWithErrorInfo(
        addIn_->OnConnection(application.get(), static_cast<ext_ConnectMode>(ConnectMode), record.get(), &array));
  }
  void OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom&) override {
    auto custom = host::com::SafeArray::Vector(VT_VARIANT, 0);
    SAFEARRAY* array = custom.get();
    const HostCallClock::InAddIn calling;
    ThrowIfFailedWithErrorInfo(addIn_->OnDisconnection(static_cast<ext_DisconnectMode>(RemoveMode), &array));
  }
  void OnAddInsUpdate(host::Custom&) override { CallWithCustom(&::IDTExtensibility2::OnAddInsUpdate); }
  void OnStartupComplete(host::Custom&) override { CallWithCustom(&::IDTExtensibility2::OnStartupComplete); }
  void OnBeginShutdown(host::Custom&) override { CallWithCustom(&::IDTExtensibility2::OnBeginShutdown); }

 private:
  void CallWithCustom(HRESULT (STDMETHODCALLTYPE ::IDTExtensibility2::*method)(SAFEARRAY**)) {
    auto custom = host::com::SafeArray::Vector(VT_VARIANT, 0);
    SAFEARRAY* array = custom.get();
    const HostCallClock::InAddIn calling;
    ThrowIfFailedWithErrorInfo((addIn_.get()->*method)(&array));
  }

  ComPtr<::IDTExtensibility2> addIn_;
};

std::wstring ServerPath(const CLSID& clsid) {
  LPOLESTR text = nullptr;
  if (FAILED(StringFromCLSID(clsid, &text))) return {};
  std::wstring key = L"CLSID\\" + std::wstring(text) + L"\\InprocServer32";
  CoTaskMemFree(text);
  wchar_t path[MAX_PATH * 2] = {};
  LONG size = sizeof(path);
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), path, &size) != ERROR_SUCCESS) return {};
  return path;
}

}  // namespace

void LoadedServers::Note(const CLSID& clsid) {
  auto path = ServerPath(clsid);
  if (path.empty()) return;
  if (std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(std::move(path));
}

std::vector<LoadedServers::Answer> LoadedServers::AskCanUnloadNow() const {
  std::vector<Answer> answers;
  for (const auto& path : paths_) {
    Answer answer{path, E_FAIL};
    if (HMODULE module = GetModuleHandleW(path.c_str())) {
      using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
      auto ask = reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
      answer.canUnloadNow = ask ? ask() : E_NOINTERFACE;
    }
    answers.push_back(std::move(answer));
  }
  return answers;
}

AddInFactory ComAddInFactory(std::wstring progId, std::shared_ptr<LoadedServers> servers) {
  return [progId = std::move(progId), servers = std::move(servers)]() -> std::shared_ptr<host::IDTExtensibility2> {
    CLSID clsid{};
    ThrowIfFailedWithErrorInfo(CLSIDFromProgID(progId.c_str(), &clsid));
    ComPtr<IUnknown> object;
    ThrowIfFailedWithErrorInfo(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void()));
    servers->Note(clsid);
    ComPtr<::IDTExtensibility2> addIn;
    ThrowIfFailedWithErrorInfo(object->QueryInterface(IID_IDTExtensibility2, addIn.put_void()));
    return std::make_shared<ComAddIn>(std::move(addIn));
  };
}

}  // namespace standin::com
