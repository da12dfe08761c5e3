#pragma once
// Suggested alt texts: what the whole web says about each link target,
// gathered page by page, then asked for per area.
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "audit/page_reading.h"
#include "audit/suggestion.h"

namespace audit {

class Suggestions {
 public:
  // Pages go in in path order: ties between texts go to the one seen first.
  // The reading must hold its facts.
  void AddPage(const std::string& path, const PageReading& reading);

  // For an area of the page at `path` linking to `href`: the most frequent
  // non-blank alt of another area or of an image in a link to the same
  // target; else the most frequent text of a link to it (up to 150
  // characters); else the title of the target page.
  std::optional<Suggestion> For(const std::string& path, const std::string& href) const;

 private:
  // Texts in the order first seen, each with its count.
  class Tally {
   public:
    void Add(const std::string& text);
    const std::string& Most() const;

   private:
    std::vector<std::pair<std::string, std::size_t>> texts_;
    std::unordered_map<std::string, std::size_t> index_;
  };

  std::unordered_map<std::string, Tally> alts_, linkTexts_;  // by resolved target
  std::unordered_map<std::string, std::string> titles_;      // by page path
};

}  // namespace audit
