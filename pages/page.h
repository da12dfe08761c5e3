#pragma once
// A page of a web: an HTML file whose <area> elements can be read and whose
// attributes can be edited and saved. Saving changes only the bytes of the
// edited tags and keeps the file's own encoding.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/text.h"
#include "pages/encoding.h"
#include "pages/page_file.h"
#include "pages/tag_lexer.h"
#include "pages/utf8_copy.h"

namespace pages {

// The value of `attribute`, whose positions lie in `text`, as a parser reads
// it: line breaks normalised, NUL replaced, character references decoded.
host::Text AttributeValue(std::string_view text, const TagAttribute& attribute, Encoding encoding);

class Page {
 public:
  // Reads the file at `path` (UTF-8). Throws host::Error naming the file when
  // it cannot be read or is in an encoding we cannot write back.
  explicit Page(std::string path);
  // A page whose bytes come from elsewhere (standard input), under the path
  // it is named by; it is never saved over that path unless asked to.
  static Page OfBytes(std::string path, std::string bytes);
  // As Page(path), the bytes read into `buffer`'s memory; TakeBytes gives
  // it back for the next page, as memory once touched costs less to fill
  // than new memory.
  static Page Read(std::string path, std::string buffer);
  std::string TakeBytes() && { return std::move(source_); }

  const std::string& path() const { return path_; }
  // The file's bytes as last read or saved.
  const std::string& bytes() const { return source_; }
  Encoding encoding() const { return encoding_; }
  // What the tags are found in: the file's bytes, or for a page whose tags
  // are not ASCII bytes (UTF-16, iso-2022-jp) its text in UTF-8.
  const std::string& markup() const { return copy_ ? copy_->utf8 : source_; }
  Encoding markupEncoding() const { return copy_ ? Encoding::Utf8 : encoding_; }

  // The areas in document order. An index past the end throws host::Error
  // (subscript out of range).
  std::size_t AreaCount() const;
  // The first attribute of that name, in any letter case, decoded; nullopt
  // when the area has none.
  std::optional<host::Text> GetAttribute(std::size_t area, std::u16string_view name) const;
  void SetAttribute(std::size_t area, std::u16string_view name, std::u16string_view value);
  // Removes every attribute of that name from the tag, so that no duplicate
  // a parser ignored comes back into force. False when there was none.
  bool RemoveAttribute(std::size_t area, std::u16string_view name);
  // The area's tag as it now stands, e.g. to show it before and after an edit.
  host::Text AreaSource(std::size_t area) const;

  // Reshaping the image map. A new area is a bare "<area>" after the last
  // one, or, on a page without areas, before the first </map> or </body>.
  void AppendArea();
  // Drops the area's tag.
  void RemoveArea(std::size_t area);

  bool Modified() const { return modified_; }
  // Writes the page with its edits over the file, all at once; on failure
  // (host::Error naming the file) the file and the edits stay as they were.
  void Save();
  // As Save, but only while the file is still the one this page read or last
  // saved, checked right before it is replaced: a change another program
  // made in between is refused, never lost.
  void SaveIfUnchanged();
  // Saves under a new path, which the page then has.
  void SaveAs(std::string path);

  // How often the area index was built: once per content of the page.
  std::size_t IndexBuilds() const { return indexBuilds_; }

 private:
  struct Area {
    std::size_t begin, end;  // where the tag lies in markup(); empty for a new one
    std::string text;        // the tag's bytes, with any edits
    Tag tag;                 // read from `text`
    bool edited = false;
  };

  Page(std::string path, PageFileRead read);
  void Write(std::string path, bool ifUnchanged);
  std::vector<Area>& Index() const;
  const Area& At(std::size_t area) const;
  Area& At(std::size_t area);
  void Rewrite(Area& area, std::size_t from, std::size_t to, std::string_view replacement);
  // `text` as bytes of the markup, with references for what the page's
  // encoding cannot hold.
  std::string MarkupOf(std::u16string_view text) const;
  std::string Content() const;

  std::string path_;
  std::string source_;
  Encoding encoding_;
  files::FileStamp stamp_;  // of the file as last read or saved
  std::optional<Utf8Copy> copy_;  // for a page whose tags are not ASCII bytes
  // Built when first asked for; edits keep it up to date, and a save that
  // changes the bytes drops it.
  mutable std::vector<Area> areas_;
  std::vector<std::pair<std::size_t, std::size_t>> removed_;  // tags dropped from markup()
  mutable bool indexed_ = false;
  mutable std::size_t indexBuilds_ = 0;
  bool modified_ = false;
};

}  // namespace pages
