#pragma once
// Every key and value below a registry key, as lines of text, so that two
// snapshots taken before and after an operation can be compared.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace host::com::testing {

// Keys as "HIVE\PATH", values as "HIVE\PATH|NAME=type:data", names in
// upper case as the registry ignores their case; data as it is (REG_SZ as
// its text, REG_DWORD in decimal, anything else in hex).
using Snapshot = std::set<std::wstring>;

void AddSubtree(Snapshot& snapshot, HKEY hive, const std::wstring& hiveName, const std::wstring& path);

std::wstring Upper(std::wstring text);

// For test messages.
std::string Narrow(const std::wstring& text);
std::string Narrow(const std::vector<std::wstring>& lines);

// Lines of `after` missing from `before`.
std::vector<std::wstring> Added(const Snapshot& before, const Snapshot& after);

}  // namespace host::com::testing
