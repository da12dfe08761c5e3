#pragma once
// A registered COM add-in as the portable host loads it: created by ProgID
// when the host connects it, and called through its IDTExtensibility2 with
// the COM faces of the host's application and of the add-in's record.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/addins.h"
#include "standin/host.h"

namespace standin::com {

// The in-process servers that created add-ins were loaded from, so that the
// host can ask each at quit whether it may be unloaded.
class LoadedServers {
 public:
  // Remembers the DLL registered for clsid, once; it is loaded by now.
  void Note(const CLSID& clsid);

  struct Answer {
    std::wstring path;
    HRESULT canUnloadNow = E_FAIL;  // E_NOINTERFACE when the export is missing
  };
  // Each DLL's DllCanUnloadNow, in the order they were first loaded.
  std::vector<Answer> AskCanUnloadNow() const;
  // Whether the DLL is still mapped into the process.
  static bool Loaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

 private:
  std::vector<std::wstring> paths_;
};

// Creates the add-in on each connection: CLSIDFromProgID, CoCreateInstance,
// then QueryInterface for IDTExtensibility2. A failure is thrown as
// host::Error with the HRESULT, which the host records.
AddInFactory ComAddInFactory(std::wstring progId, std::shared_ptr<LoadedServers> servers);

}  // namespace standin::com
