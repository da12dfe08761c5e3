#pragma once
// The audit as one SARIF 2.1.0 log, the form code-scanning services read:
// the tool with its three rules, a result per finding placed at its area tag,
// and the pages that could not be read as notifications.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "audit/page_audit.h"
#include "pages/encoding.h"

namespace audit {

// The finding's area tag as the page writes it, decoded to UTF-8.
std::string AreaTagText(const Finding& finding, std::string_view page, pages::Encoding encoding);

// Written as it goes: the head at once, each result as it is added, the
// pages that could not be read at the end.
class SarifLog {
 public:
  // `webs`: the web folders as the user named them (UTF-8); the log gives
  // each one's absolute file URI as the base of its pages' URIs, the
  // first's named WEBROOT, the next WEBROOT2 and on.
  SarifLog(std::ostream& out, const std::vector<std::string>& webs);

  // A finding's result, made on any thread; AddResult puts it in the log,
  // in the order the results go out. `path` relative to the web of index
  // `web`, with '/'; `tag` the area tag's text, from AreaTagText. `error`:
  // the rule is set as an error, else a warning; `baselined`: the run
  // compared with a baseline, which the finding was not in.
  std::string ResultText(std::size_t web, const std::string& path, const Finding& finding, const std::string& tag,
                         bool error, bool baselined) const;
  void AddResult(std::string_view text);

  // A page or folder that could not be read, and why; no web or an empty
  // `path` when the reason names no page.
  void AddUnread(std::optional<std::size_t> web, const std::string& path, const std::string& reason);

  // Ends the log, with a newline.
  void Finish();

 private:
  std::ostream& out_;
  std::vector<std::string> bases_;  // each web's uriBaseId
  std::size_t results_ = 0;
  std::vector<std::string> notifications_;  // each a JSON object
};

}  // namespace audit
