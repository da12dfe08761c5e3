#include "audit/web_settings.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "audit/whole_file.h"
#include "host/error.h"
#include "pages/page_file.h"
#include "pages/utf8_path.h"

namespace audit {
namespace {

[[noreturn]] void Unusable(const std::string& file, const std::string& why) {
  throw host::Error(host::code::InvalidProcedureCall, host::FromUtf8(file + ": " + why));
}

std::vector<std::string> Strings(const nlohmann::json& value, const std::string& file, const char* key) {
  std::vector<std::string> out;
  if (value.is_string()) return {value.get<std::string>()};
  if (!value.is_array()) Unusable(file, std::string("\"") + key + "\" takes a list of strings");
  for (const auto& item : value) {
    if (!item.is_string()) Unusable(file, std::string("\"") + key + "\" takes a list of strings");
    out.push_back(item.get<std::string>());
  }
  return out;
}

}  // namespace

Options WithWebSettings(const Options& options, const std::string& web) {
  const std::string file = web + "/" + kSettingsFileName;
  std::error_code ec;
  if (!std::filesystem::exists(pages::PathOf(file), ec)) return options;
  const std::string text = ReadWholeFile(file, "the settings");
  nlohmann::json settings;
  try {
    settings = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    Unusable(file, std::string("is not JSON: ") + e.what());
  }
  if (!settings.is_object()) Unusable(file, "holds no object of settings");
  Options merged = options;
  for (const auto& [key, value] : settings.items()) {
    if (key == "rules") {
      if (!value.is_object()) Unusable(file, "\"rules\" takes an object of rule names and severities");
      for (const auto& [name, severity] : value.items()) {
        const auto rule = RuleNamed(name);
        if (!rule) Unusable(file, "unknown rule \"" + name + "\"");
        const auto level = severity.is_string() ? SeverityNamed(severity.get<std::string>()) : std::nullopt;
        if (!level) Unusable(file, "the rule \"" + name + "\" takes off, warning or error");
        auto& given = merged.rules.given[static_cast<std::size_t>(*rule)];
        if (!given) given = *level;
      }
    } else if (key == "ext") {
      if (!merged.extensions) merged.extensions = Strings(value, file, "ext");
    } else if (key == "exclude") {
      const std::vector<std::string> patterns = Strings(value, file, "exclude");
      merged.excluded.insert(merged.excluded.begin(), patterns.begin(), patterns.end());
    } else if (key == "shared-target" || key == "aria" || key == "quality") {
      if (!value.is_boolean()) Unusable(file, "\"" + key + "\" takes true or false");
      const bool on = value.get<bool>();
      if (key == "shared-target" && !options.sharedTargetGiven) merged.audit.sharedTarget = on;
      if (key == "aria" && !options.ariaGiven) merged.audit.aria = on;
      if (key == "quality" && !options.qualityGiven) merged.audit.quality = on;
    } else {
      Unusable(file, "unknown setting \"" + key + "\"");
    }
  }
  return merged;
}

}  // namespace audit
