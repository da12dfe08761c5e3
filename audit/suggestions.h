#pragma once
// Suggested alt texts: what the whole web says about each link target,
// gathered page by page, then asked for per area.
#include <cstddef>
#include <functional>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "audit/page_audit.h"
#include "audit/page_reading.h"
#include "audit/suggestion.h"

namespace audit {

class Suggestions {
 public:
  // What one page says of its links' targets, each target resolved: worked
  // out on the thread that read the page, so that taking it in is no more
  // than counting.
  struct PageSays {
    // Each link's target and what it says, as pieces of `texts`: a page's
    // links are thousands of short strings on a big web.
    struct Link {
      bool text;  // a link's text, else an alt
      std::size_t targetAt, targetSize, saidAt, saidSize;
    };
    std::string texts;
    std::vector<Link> links;
    std::optional<std::string> title;
    std::vector<std::pair<std::string, std::string>> places;  // "/page.htm#place" and its text
  };
  // The reading must hold its facts.
  static PageSays WhatPageSays(const std::string& path, const PageReading& reading);

  // Pages go in in path order: ties between texts go to the one seen first.
  void AddPage(const std::string& path, PageSays says);
  void AddPage(const std::string& path, const PageReading& reading) { AddPage(path, WhatPageSays(path, reading)); }

  // For a finding of the page at `path` that has an href, the first usable
  // text (JudgeAltText) of: the most frequent non-blank alt of an area or
  // of an image in a link to the same target; the most frequent text of a
  // link to it (up to 150 characters); the title of the target page, for a
  // link to no place in it; the text of the place a link to a place in a
  // page leads to.
  std::optional<Suggestion> For(const std::string& path, const Finding& finding) const;

 private:
  // Looked up by a view of a page's texts, without a string of its own.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  template <typename Value>
  using TextMap = std::pmr::unordered_map<std::pmr::string, Value, TextHash, std::equal_to<>>;
  // Texts in the order first seen, each with its count.
  class Tally {
   public:
    using allocator_type = std::pmr::polymorphic_allocator<>;
    explicit Tally(const allocator_type& allocator) : texts_(allocator), index_(allocator) {}
    void Add(std::string_view text);
    // The most frequent text that `usable` takes, the first seen of a tie.
    template <typename Usable>
    const std::pmr::string* Most(Usable usable) const;

   private:
    std::pmr::vector<std::pair<std::pmr::string, std::size_t>> texts_;
    TextMap<std::size_t> index_;
  };

  // What the web says lives as long as the run and goes at once: tens of
  // thousands of short texts on a big web.
  std::pmr::monotonic_buffer_resource memory_;
  TextMap<Tally> alts_{&memory_}, linkTexts_{&memory_};  // by resolved target
  TextMap<std::pmr::string> titles_{&memory_};           // by page path
  TextMap<std::pmr::string> places_{&memory_};           // by resolved target, "/page.htm#place"
};

// The area's own title or aria-label, where usable: suggested before
// anything the web says of its target.
std::optional<Suggestion> OwnSuggestion(const ReadArea& area, const Finding& finding);

// The texts a map's areas keep: of each area with a non-blank alt that is
// no finding of the page's, the map, the text folded and its target.
struct KeptText {
  int map;
  std::string folded, target;
};
std::vector<KeptText> KeptTexts(const std::string& path, const PageReading& reading, const PageAudit& audit);

// Takes away the suggestions that would give one text to areas of the
// same map linking to different targets, among themselves or with the
// texts the map keeps: a listener could not tell those links apart.
void KeepSuggestionsDistinct(const std::string& path, std::vector<Finding>& findings, const std::vector<KeptText>& kept);

}  // namespace audit
