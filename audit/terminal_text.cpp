#include "audit/terminal_text.h"

#include <cstdio>

#include "host/text.h"

namespace audit {
namespace {

void AppendEscape(std::string& out, const char* format, unsigned value) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, format, value);
  out += escaped;
}

}  // namespace

std::string ForTerminal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const host::Utf8Step step = host::NextUtf8(text, i);
    if (!step.valid) {
      for (std::size_t b = i; b < i + step.length; ++b) AppendEscape(out, "\\x%02x", static_cast<unsigned char>(text[b]));
    } else if (step.c == '\n') {
      out += "\\n";
    } else if (step.c == '\r') {
      out += "\\r";
    } else if (step.c == '\t') {
      out += "\\t";
    } else if (step.c < 0x20 || step.c == 0x7F) {
      AppendEscape(out, "\\x%02x", static_cast<unsigned>(step.c));
    } else if (step.c >= 0x80 && step.c <= 0x9F) {
      AppendEscape(out, "\\u%04x", static_cast<unsigned>(step.c));
    } else {
      out.append(text, i, step.length);
    }
    i += step.length;
  }
  return out;
}

}  // namespace audit
