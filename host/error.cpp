#include "host/error.h"

#include <cstdio>

namespace host {
namespace {
std::string Summary(std::uint32_t code, const Text& description) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  std::string what = hex;
  if (!description.empty()) what += ": " + ToUtf8(description);
  return what;
}
}  // namespace

Error::Error(std::uint32_t code, Text description)
    : std::runtime_error(Summary(code, description)), code_(code), description_(std::move(description)) {}

}  // namespace host
