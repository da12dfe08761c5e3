#pragma once
// The audit as one SARIF 2.1.0 log, the form code-scanning services read:
// the tool with its three rules, a result per finding placed at its area tag,
// and the pages that could not be read as notifications.
#include <string>
#include <string_view>
#include <vector>

#include "audit/page_audit.h"
#include "pages/encoding.h"

namespace audit {

// The finding's area tag as the page writes it, decoded to UTF-8.
std::string AreaTagText(const Finding& finding, std::string_view page, pages::Encoding encoding);

class SarifLog {
 public:
  // `web`: the web folder as the user named it (UTF-8); the log gives its
  // absolute file URI as the base of every page's URI.
  explicit SarifLog(const std::string& web);

  // `path` relative to the web, with '/'; `tag` the area tag's text, from
  // AreaTagText.
  // `error`: the rule is set as an error, else a warning; `baselined`: the
  // run compared with a baseline, which the finding was not in.
  void AddFinding(const std::string& path, const Finding& finding, const std::string& tag, bool error = true,
                  bool baselined = false);

  // A page or folder that could not be read, and why; `path` empty when the
  // reason names no page.
  void AddUnread(const std::string& path, const std::string& reason);

  // The whole log, ending with a newline.
  std::string Text() const;

 private:
  std::string webUri_;
  std::vector<std::string> results_, notifications_;  // each a JSON object
};

}  // namespace audit
