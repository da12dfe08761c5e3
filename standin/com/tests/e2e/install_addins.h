#pragma once
// Installs the add-ins in the current Wine prefix as a new user would:
// regsvr32 for both DLLs, then regedit for the menu entry, and checks the
// keys that gives. Prints one line per check; 0 when all passed.
#include <string>

namespace e2e {

struct Installation {
  std::string mapnoteDll, zarvikDll, menuReg;  // Unix paths
};

int InstallAddIns(const Installation& files);

// Runs a command line and waits up to two minutes for it: its exit code, -1
// when it could not start.
unsigned long RunAndWait(const std::wstring& commandLine);

}  // namespace e2e
