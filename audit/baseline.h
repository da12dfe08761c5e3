#pragma once
// Findings known and accepted, kept in a file so that a check can pass on
// an old web and fail on what is new. A finding is known by its page, map,
// link, rule and the text of its area tag, not by its line, so that edits
// elsewhere on the page keep it known.
#include <cstddef>
#include <map>
#include <string>
#include <tuple>

#include "audit/page_audit.h"

namespace audit {

class Baseline {
 public:
  Baseline() = default;
  // Throws host::Error naming the file for one that cannot be read or is
  // no baseline; a file that is not there is an empty baseline.
  static Baseline Read(const std::string& file);

  // Whether the finding (of the page at `path` in the web `web`, its area
  // tag `tag`) is a known one; each recorded finding answers for one
  // finding only. `web` is empty for a run of one web; a finding recorded
  // without a web answers for its page in any.
  bool Takes(const std::string& web, const std::string& path, const Finding& finding, const std::string& tag);
  std::size_t Taken() const { return taken_; }
  // The recorded findings no finding of this run answered to (after
  // Record: all of them).
  std::size_t Gone() const;

  // For --update-baseline.
  void Record(const std::string& web, const std::string& path, const Finding& finding, const std::string& tag);
  // Writes the findings recorded, all at once, over `file`.
  void Write(const std::string& file) const;

 private:
  // web, path, map, href, rule, tag
  using Key = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>;
  static Key KeyOf(const std::string& web, const std::string& path, const Finding& finding, const std::string& tag);
  std::map<Key, std::size_t> left_;
  std::size_t taken_ = 0;
};

}  // namespace audit
