#pragma once
// The titles of the add-in's message boxes: the host's name, or the add-in's.
namespace mapnote {

inline constexpr const char16_t* FrontPageTitle = u"Microsoft FrontPage";
inline constexpr const char16_t* TessalyTitle = u"Zarvik Tessaly";

}  // namespace mapnote
