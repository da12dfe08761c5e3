#include "standin/page_content.h"
#include <stdexcept>
namespace standin {
std::optional<host::Text> MemoryPageContent::GetAttribute(std::size_t, const host::Text&) const { return std::nullopt; }
void MemoryPageContent::SetAttribute(std::size_t, const host::Text&, const host::Text&) {}
bool MemoryPageContent::RemoveAttribute(std::size_t, const host::Text&) { return false; }
void MemoryPageContent::ReplaceAreas(const std::vector<Area>&) {}
std::vector<Area> ReadAreas(const PageContent&) { return {}; }
bool SameName(const host::Text& a, const host::Text& b) { return a == b; }
}
