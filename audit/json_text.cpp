#include "audit/json_text.h"

#include <cstdio>

namespace audit {

std::string JsonText(const nlohmann::ordered_json& json) {
  std::string text = json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  // Outside strings the text is ASCII without DEL, so each of these is a
  // character of a string, and its escape is the same character. Most texts
  // have none.
  std::size_t at = text.find_first_of("\x7F\xC2");
  if (at == std::string::npos) return text;
  std::string out = text.substr(0, at);
  for (; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    unsigned control = 0x100;
    if (byte == 0x7F) {
      control = byte;
    } else if (byte == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
      control = static_cast<unsigned char>(text[++at]);
    }
    if (control == 0x100) {
      out += text[at];
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", control);
    out += escaped;
  }
  return out;
}

}  // namespace audit
