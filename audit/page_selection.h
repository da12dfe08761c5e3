#pragma once
// Which files of a web are its pages: by extension, and leaving out what
// the author excludes with patterns as .gitignore writes them.
#include <string>
#include <string_view>
#include <vector>

namespace audit {

class PageSelection {
 public:
  // .htm, .html, .shtml and .asp, nothing excluded.
  PageSelection();

  // Extensions without their dot, in any letter case ("php", ".aspx").
  void SetExtensions(const std::vector<std::string>& extensions);
  // A pattern relative to the web: `*` and `?` within a name, `**` across
  // folders, a leading `/` for the web's root only, a trailing `/` for
  // folders only; one without a `/` inside matches a name at any depth.
  void Exclude(std::string pattern);

  // Whether a file of this name (UTF-8) is a page by its extension.
  bool IsPageName(std::string_view name) const;
  // Whether a file or folder at this path relative to the web is left out.
  bool IsExcluded(std::string_view relative, bool folder) const;
  // Whether the name has the extension of a kind of page this selection
  // does not read (.php, .aspx ...), which the summary counts.
  bool IsOtherPageName(std::string_view name) const;

  // ".htm, .html, .shtml or .asp", for messages.
  std::string Describe() const;

 private:
  std::vector<std::string> extensions_;  // lower-case, without the dot
  struct Pattern {
    std::string glob;
    bool anchored, folderOnly;
  };
  std::vector<Pattern> excluded_;
};

}  // namespace audit
