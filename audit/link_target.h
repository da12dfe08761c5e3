#pragma once
// Where an href leads, as one string per target, so that links written in
// different ways on different pages compare equal.
#include <optional>
#include <string>
#include <string_view>

namespace audit {

// The href resolved against the page at `pagePath` (relative to the web,
// with '/'), as a browser resolves it, the fragment kept. A target inside
// the web comes out as a path from the web's root ("/a/b.htm#x"); one with
// a scheme ("http:", "mailto:") or a host ("//h/x") as written, the scheme
// lower-cased.
std::string ResolveLink(std::string_view pagePath, std::string_view href);
// The same for an href as a page's reading holds it.
std::string ResolveLink(std::string_view pagePath, std::u16string_view href);
// Both onto the end of `target`.
void AppendResolvedLink(std::string& target, std::string_view pagePath, std::string_view href);
void AppendResolvedLink(std::string& target, std::string_view pagePath, std::u16string_view href);

// The file a resolved target names inside the web (relative, '/', percent
// escapes decoded, without query or fragment); nullopt for one outside it
// or a folder.
std::optional<std::string> WebFileOf(std::string_view target);

}  // namespace audit
