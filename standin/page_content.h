#pragma once
// What a page holds, as far as the stand-in host needs it: its area elements
// in document order and their attributes. Pages kept in memory and pages
// read from files both sit behind PageContent.
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "host/text.h"

namespace standin {

// An area as a test gives and reads it: its href and alt, either absent.
struct Area {
  std::optional<host::Text> href;
  std::optional<host::Text> alt;
  friend bool operator==(const Area&, const Area&) = default;
};

class PageContent {
 public:
  virtual ~PageContent() = default;
  virtual std::size_t AreaCount() const = 0;
  // Attribute names are matched in any letter case, as HTML does.
  virtual std::optional<host::Text> GetAttribute(std::size_t area, const host::Text& name) const = 0;
  virtual void SetAttribute(std::size_t area, const host::Text& name, const host::Text& value) = 0;
  // Whether there was such an attribute.
  virtual bool RemoveAttribute(std::size_t area, const host::Text& name) = 0;
  // The author rewrote the page's image map.
  virtual void ReplaceAreas(const std::vector<Area>& areas) = 0;
  // Writes the page out under url (its new one after a save-as).
  virtual void Save(const host::Text& url) = 0;
};

// A page that lives only in memory; Save keeps nothing beyond what the
// host records itself.
class MemoryPageContent final : public PageContent {
 public:
  explicit MemoryPageContent(const std::vector<Area>& areas) { ReplaceAreas(areas); }

  std::size_t AreaCount() const override { return areas_.size(); }
  std::optional<host::Text> GetAttribute(std::size_t area, const host::Text& name) const override;
  void SetAttribute(std::size_t area, const host::Text& name, const host::Text& value) override;
  bool RemoveAttribute(std::size_t area, const host::Text& name) override;
  void ReplaceAreas(const std::vector<Area>& areas) override;
  void Save(const host::Text&) override {}

 private:
  using Attributes = std::vector<std::pair<host::Text, host::Text>>;  // in document order
  Attributes& At(std::size_t area);
  const Attributes& At(std::size_t area) const;
  std::vector<Attributes> areas_;
};

// Areas as a test reads them back.
std::vector<Area> ReadAreas(const PageContent& content);

}  // namespace standin
