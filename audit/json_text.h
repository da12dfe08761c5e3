#pragma once
// JSON text as the tool writes it, made by nlohmann-json so that it is
// valid whatever the pages hold.
#include <nlohmann/json.hpp>
#include <string>

namespace audit {

// `json` on one line: bytes that are no UTF-8 as U+FFFD, and DEL and the C1
// controls as \u escapes too, as a terminal showing the output would act on
// them.
std::string JsonText(const nlohmann::ordered_json& json);

}  // namespace audit
