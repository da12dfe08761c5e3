#include "audit/baseline.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "audit/whole_file.h"
#include "host/error.h"
#include "pages/page_file.h"
#include "pages/utf8_path.h"

namespace audit {
namespace {

[[noreturn]] void Unusable(const std::string& file, const std::string& why) {
  throw host::Error(host::code::InvalidProcedureCall, host::FromUtf8("the baseline " + file + " " + why));
}

}  // namespace

Baseline::Key Baseline::KeyOf(const std::string& web, const std::string& path, const Finding& finding,
                              const std::string& tag) {
  return {web, path, finding.map.value_or(""), finding.href.value_or(""), std::string(RuleName(finding.rule)), tag};
}

Baseline Baseline::Read(const std::string& file) {
  Baseline baseline;
  std::error_code ec;
  if (!std::filesystem::exists(pages::PathOf(file), ec)) return baseline;
  const std::string text = ReadWholeFile(file, "the baseline");
  try {
    const nlohmann::json json = nlohmann::json::parse(text);
    for (const auto& f : json.at("findings")) {
      ++baseline.left_[{f.value("web", std::string()), f.at("path").get<std::string>(), f.at("map").get<std::string>(),
                        f.at("href").get<std::string>(), f.at("rule").get<std::string>(), f.at("tag").get<std::string>()}];
    }
  } catch (const nlohmann::json::exception& e) {
    Unusable(file, std::string("is no baseline of mapnote-audit: ") + e.what());
  }
  return baseline;
}

bool Baseline::Takes(const std::string& web, const std::string& path, const Finding& finding, const std::string& tag) {
  for (const std::string& recordedWeb : {web, std::string()}) {
    const auto it = left_.find(KeyOf(recordedWeb, path, finding, tag));
    if (it == left_.end() || it->second == 0) continue;
    --it->second;
    ++taken_;
    return true;
  }
  return false;
}

std::size_t Baseline::Gone() const {
  std::size_t gone = 0;
  for (const auto& [key, count] : left_) gone += count;
  return gone;
}

void Baseline::Record(const std::string& web, const std::string& path, const Finding& finding, const std::string& tag) {
  ++left_[KeyOf(web, path, finding, tag)];
}

void Baseline::Write(const std::string& file) const {
  nlohmann::json findings = nlohmann::json::array();
  for (const auto& [key, count] : left_) {
    const auto& [web, path, map, href, rule, tag] = key;
    nlohmann::json finding = {{"path", path}, {"map", map}, {"href", href}, {"rule", rule}, {"tag", tag}};
    if (!web.empty()) finding["web"] = web;
    for (std::size_t i = 0; i < count; ++i) findings.push_back(finding);
  }
  const nlohmann::json baseline = {{"tool", "mapnote-audit"}, {"findings", findings}};
  pages::ReplacePageFile(file, baseline.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}

}  // namespace audit
