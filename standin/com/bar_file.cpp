#include "standin/com/bar_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "standin/command_bars.h"

namespace standin::com {
namespace {

// One line per control, depth first: depth, type, id, caption, tag,
// OnAction and parameter, separated by tabs, with tabs, line ends and
// backslashes escaped.
std::string Escape(const host::Text& text) {
  std::string out;
  for (char c : host::ToUtf8(text)) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

host::Text Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return host::FromUtf8(out);
}

void Write(std::ostream& out, const ControlList& controls, int depth) {
  for (const auto& control : controls) {
    if (control->temporary || control->deleted) continue;
    out << depth << '\t' << control->type << '\t' << control->id << '\t' << Escape(control->caption) << '\t'
        << Escape(control->tag) << '\t' << Escape(control->onAction) << '\t' << Escape(control->parameter) << '\n';
    if (control->children) Write(out, *control->children, depth + 1);
  }
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

}  // namespace

std::shared_ptr<CommandBarStore> LoadBars(const std::string& path) {
  auto store = std::make_shared<CommandBarStore>();
  std::ifstream in(path, std::ios::binary);
  if (!in) return store;
  auto bar = std::make_shared<ControlList>();
  std::vector<std::shared_ptr<ControlList>> levels{bar};
  std::string line;
  while (std::getline(in, line)) {
    const auto fields = Fields(line);
    if (fields.size() != 7) return std::make_shared<CommandBarStore>();
    std::size_t depth = 0;
    try {
      depth = std::stoul(fields[0]);
      auto control = std::make_shared<ControlNode>();
      control->type = std::stoi(fields[1]);
      control->id = std::stoi(fields[2]);
      if (depth >= levels.size()) return std::make_shared<CommandBarStore>();
      control->caption = Unescape(fields[3]);
      control->tag = Unescape(fields[4]);
      control->onAction = Unescape(fields[5]);
      control->parameter = Unescape(fields[6]);
      levels.resize(depth + 1);
      control->parent = levels[depth];
      if (control->type == host::msoControlPopup) control->children = std::make_shared<ControlList>();
      levels[depth]->push_back(control);
      if (control->children) levels.push_back(control->children);
    } catch (const std::exception&) {
      return std::make_shared<CommandBarStore>();
    }
  }
  store->State()->bars.front().controls = bar;
  return store;
}

bool SaveBars(const CommandBarStore& store, const std::string& path) {
  std::ostringstream out;
  Write(out, *store.State()->bars.front().controls, 0);
  // A new file beside the old, then renamed over it, so that a failed write
  // never leaves half a menu bar for the next start.
  const auto temporary = path + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!(file << out.str()) || !file.flush()) return false;
  }
  std::remove(path.c_str());
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string MenuBarCaptions(const CommandBarStore& store) {
  std::string captions;
  for (const auto& control : *store.State()->bars.front().controls) {
    if (control->deleted) continue;
    if (!captions.empty()) captions += '|';
    captions += host::ToUtf8(control->caption);
  }
  return captions;
}

}  // namespace standin::com
