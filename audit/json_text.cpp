#include "audit/json_text.h"

#include <cstdio>

namespace audit {

std::string JsonText(const nlohmann::ordered_json& json, int indent) {
  const std::string text = json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  // Outside strings the text is ASCII without DEL, so each of these is a
  // character of a string, and its escape is the same character.
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    unsigned control = 0x100;
    if (byte == 0x7F) {
      control = byte;
    } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      control = static_cast<unsigned char>(text[++i]);
    }
    if (control == 0x100) {
      out += text[i];
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", control);
    out += escaped;
  }
  return out;
}

}  // namespace audit
