// Writes the installer package's registry rows as WiX include files, from
// the registration table the DLLs register themselves with and from the
// menu entry's .reg file, so that the package and the DLLs cannot disagree.
//
//   package_rows MENU_REG OUT_DIR    writes OUT_DIR/{mapnote,zarvik,menu}.wxi,
//                                    and menu-conditions.sql for msibuild
//   package_rows --list MENU_REG     prints every row the package must hold,
//                                    one "ROOT\KEY|NAME=VALUE" a line, the
//                                    value as the package holds it (#N a DWORD)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/com/registration_table.h"
#include "host/text.h"
#include "mapnote/win/registration.h"
#include "standin/reg_file.h"
#include "standin/windows1252.h"
#include "zarvik/win/registration.h"

namespace {

using host::com::RegistryEntry;

// One value of the package: the MSI root ("HKCR" holds the classes, which a
// per-user install writes under the user's Software\Classes and a
// per-machine one under the machine's), its key, and what it holds.
struct Row {
  std::string root, key, name, type, value;  // type "string" or "integer"
};

std::string Utf8(const std::wstring& text) { return host::ToUtf8(std::u16string(text.begin(), text.end())); }

// The package installs each DLL into INSTALLDIR, as the file named after it.
std::vector<Row> ServerRows(const host::com::ClassRegistration& info, const std::string& file) {
  const std::wstring fileKey(file.begin(), file.end());
  const host::com::ServerLocation server{L"[#" + fileKey + L"]", L"[INSTALLDIR]", false};
  std::vector<Row> rows;
  for (const RegistryEntry& entry : RegistrationTable(info, server)) {
    const std::string key = entry.root == RegistryEntry::Root::Classes
                                ? Utf8(entry.key)
                                : Utf8(std::wstring(host::com::kAddInsKey) + L"\\" + entry.key);
    const std::string root = entry.root == RegistryEntry::Root::Classes ? "HKCR" : "HKCU";
    for (const auto& value : entry.values) {
      if (value.number)
        rows.push_back({root, key, Utf8(value.name), "integer", std::to_string(*value.number)});
      else
        rows.push_back({root, key, Utf8(value.name), "string", Utf8(value.text)});
    }
  }
  return rows;
}

// The .reg file's values below `key` of the current user's hive.
void AddRegRows(standin::Registry& registry, const std::string& key, std::vector<Row>& rows) {
  standin::Windows1252 codePage;
  for (const auto& value : registry.Values("HKEY_CURRENT_USER\\" + key)) {
    if (value.type != host::reg::kRegSz) throw std::runtime_error("only REG_SZ values in the menu entry's file");
    std::string ansi(value.data.begin(), value.data.end());
    while (!ansi.empty() && ansi.back() == '\0') ansi.pop_back();
    rows.push_back({"HKCU", key, value.name, "string", host::ToUtf8(codePage.ToUtf16(ansi))});
  }
  for (const auto& child : registry.SubKeys("HKEY_CURRENT_USER\\" + key)) AddRegRows(registry, key + "\\" + child, rows);
}

// The menu entries are the installing user's, in every kind of install.
std::vector<Row> MenuRows(const std::string& regFile) {
  standin::Registry registry;
  standin::ImportRegFile(registry, regFile);
  for (const char* hive : {"HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_USERS"})
    if (!registry.SubKeys(hive).empty()) throw std::runtime_error(regFile + " writes below " + hive);
  std::vector<Row> rows;
  for (const auto& child : registry.SubKeys("HKEY_CURRENT_USER")) AddRegRows(registry, child, rows);
  return rows;
}

std::string Xml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

void Write(const std::string& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + file);
}

std::string Include(const std::string& source, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- Written by the build from " + source +
         "; edit that instead. -->\n<Include>\n" + body + "</Include>\n";
}

std::string Element(const Row& row, const std::string& indent, bool keyPath = false) {
  std::string xml = indent + "<RegistryValue Root=\"" + row.root + "\" Key=\"" + Xml(row.key) + "\"";
  if (!row.name.empty()) xml += " Name=\"" + Xml(row.name) + "\"";
  xml += " Type=\"" + row.type + "\" Value=\"" + Xml(row.value) + "\"";
  return xml + (keyPath ? " KeyPath=\"yes\"/>\n" : "/>\n");
}

std::string ServerInclude(const std::string& source, const std::vector<Row>& rows) {
  std::string body;
  for (const Row& row : rows) body += Element(row, "  ");
  return Include(source, body);
}

// A menu entry is the package's only when there was none before it: a value
// that another package (or a person) wrote is neither replaced nor removed.
// Each entry is a component of its own, with a note beside it in the
// package's own key (where zarvik-addins.wxs notes its folder too), which
// says the entry is the package's when it is upgraded or removed. The
// component's condition reads both, as they were, by registry searches.
// wixl writes no component conditions, so they come as SQL for msibuild,
// one statement a line.
constexpr const char* kPackageNotes = "Software\\Zarvik\\Installer package";

Row Note(const Row& entry) { return {"HKCU", kPackageNotes, "Menu " + entry.name, "string", entry.value}; }

struct MenuPart {
  std::string include, conditions;
};

MenuPart Menu(const std::vector<Row>& rows) {
  MenuPart part;
  std::string properties, components, refs;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const std::string id = "MenuEntry" + std::to_string(i + 1), before = "MENUENTRY" + std::to_string(i + 1);
    const auto search = [&](const std::string& property, const Row& found) {
      return "  <Property Id=\"" + property + "\">\n    <RegistrySearch Id=\"" + property + "\" Root=\"" + found.root +
             "\" Key=\"" + Xml(found.key) + "\" Name=\"" + Xml(found.name) + "\" Type=\"raw\"/>\n  </Property>\n";
    };
    properties += search(before, row) + search(before + "OURS", Note(row));
    components += "    <Component Id=\"" + id + "\" Guid=\"*\">\n" + Element(row, "      ", true) + Element(Note(row), "      ") +
                  "    </Component>\n";
    refs += "    <ComponentRef Id=\"" + id + "\"/>\n";
    part.conditions += "UPDATE `Component` SET `Condition` = 'NOT " + before + " OR " + before + "OURS' WHERE `Component` = '" +
                       id + "'\n";
  }
  part.include = Include("install/mapnote-menu.reg", properties + "  <DirectoryRef Id=\"INSTALLDIR\">\n" + components +
                                                         "  </DirectoryRef>\n  <Feature Id=\"MenuEntries\" Level=\"1\" Display=\"hidden\">\n" +
                                                         refs + "  </Feature>\n");
  return part;
}

}  // namespace

int main(int argc, char** argv) try {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 2) {
    std::cerr << "usage: package_rows MENU_REG OUT_DIR | package_rows --list MENU_REG\n";
    return 2;
  }
  const bool list = args[0] == "--list";
  const std::string menuReg = list ? args[1] : args[0];
  const auto mapnote = ServerRows(mapnote::win::kRegistration, "mapnote.dll");
  const auto zarvik = ServerRows(zarvik::win::kRegistration, "zarvik.dll");
  const auto menu = MenuRows(menuReg);
  if (list) {
    std::vector<Row> all = mapnote;
    all.insert(all.end(), zarvik.begin(), zarvik.end());
    for (const Row& row : menu) {
      all.push_back(row);
      all.push_back(Note(row));
    }
    for (const Row& row : all)
        std::printf("%s\\%s|%s=%s%s\n", row.root.c_str(), row.key.c_str(), row.name.c_str(),
                    row.type == "integer" ? "#" : "", row.value.c_str());
    return 0;
  }
  Write(args[1] + "/mapnote.wxi", ServerInclude("mapnote/win/registration.h", mapnote));
  Write(args[1] + "/zarvik.wxi", ServerInclude("zarvik/win/registration.h", zarvik));
  const MenuPart part = Menu(menu);
  Write(args[1] + "/menu.wxi", part.include);
  Write(args[1] + "/menu-conditions.sql", part.conditions);
  return 0;
} catch (const std::exception& e) {
  std::cerr << "package_rows: " << e.what() << "\n";
  return 1;
}
