// How a page file's encoding is found, in the order browsers use.
#include <algorithm>

#include "pages/encoding.h"

namespace pages {
namespace {

constexpr std::size_t kPrescanLength = 1024;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

bool StartsWithNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
  return s.size() - std::min(at, s.size()) >= prefix.size() && Lowered(s.substr(at, prefix.size())) == prefix;
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return std::string(s);
}

struct Attribute {
  std::string name;   // lower case
  std::string value;  // as written, so that a label is named as the page names it
};

// One attribute of a tag, as the prescan reads it; nullopt at the tag's end.
std::optional<Attribute> NextAttribute(std::string_view s, std::size_t& i) {
  while (i < s.size() && (IsSpace(s[i]) || s[i] == '/')) ++i;
  if (i >= s.size() || s[i] == '>') return std::nullopt;
  Attribute a;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '=' && !a.name.empty()) break;
    if (IsSpace(c) || c == '/' || c == '>') break;
    a.name += Lower(c);
    ++i;
  }
  while (i < s.size() && IsSpace(s[i])) ++i;
  if (i >= s.size() || s[i] != '=') return a;
  ++i;
  while (i < s.size() && IsSpace(s[i])) ++i;
  if (i >= s.size()) return a;
  if (s[i] == '"' || s[i] == '\'') {
    const char quote = s[i++];
    while (i < s.size() && s[i] != quote) a.value += s[i++];
    if (i < s.size()) ++i;
  } else {
    while (i < s.size() && !IsSpace(s[i]) && s[i] != '>') a.value += s[i++];
  }
  return a;
}

// The charset named in a Content-Type value such as "text/html; charset=utf-8".
std::optional<std::string> CharsetFromContent(std::string_view content) {
  const std::string lowered = Lowered(content);
  for (std::size_t at = lowered.find("charset"); at != std::string::npos; at = lowered.find("charset", at + 1)) {
    std::size_t i = at + 7;
    while (i < content.size() && IsSpace(content[i])) ++i;
    if (i >= content.size() || content[i] != '=') continue;
    ++i;
    while (i < content.size() && IsSpace(content[i])) ++i;
    if (i >= content.size()) return std::nullopt;
    if (content[i] == '"' || content[i] == '\'') {
      const std::size_t end = content.find(content[i], i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      return std::string(content.substr(i + 1, end - i - 1));
    }
    std::size_t end = i;
    while (end < content.size() && !IsSpace(content[end]) && content[end] != ';') ++end;
    return std::string(content.substr(i, end - i));
  }
  return std::nullopt;
}

// The charset a <meta> tag declares, from the attributes after "<meta".
std::optional<std::string> MetaCharset(std::string_view s, std::size_t& i) {
  bool httpEquivContentType = false;
  std::optional<std::string> charset, fromContent;
  while (const auto a = NextAttribute(s, i)) {
    if (a->name == "http-equiv") {
      httpEquivContentType = httpEquivContentType || Lowered(a->value) == "content-type";
    } else if (a->name == "content" && !fromContent) {
      fromContent = CharsetFromContent(a->value);
    } else if (a->name == "charset" && !charset) {
      charset = a->value;
    }
  }
  std::string label;
  if (charset) {
    label = Trimmed(*charset);
  } else if (httpEquivContentType && fromContent) {
    label = Trimmed(*fromContent);
  }
  // An empty label declares nothing; the scan goes on.
  if (label.empty()) return std::nullopt;
  return label;
}

// What a <meta> declares, as the prescan reads it: a UTF-16 label means
// UTF-8 (the bytes that declared it are not UTF-16), and x-user-defined
// windows-1252. A label browsers do not know declares nothing.
std::optional<DetectedEncoding> Declared(const std::string& label) {
  const auto meaning = MeaningOfLabel(label);
  if (!meaning) return std::nullopt;
  switch (meaning->kind) {
    case LabelMeaning::Kind::Replacement: return DetectedEncoding{std::nullopt, label};
    case LabelMeaning::Kind::UserDefined: return DetectedEncoding{Encoding::Windows1252, label};
    case LabelMeaning::Kind::Readable: break;
  }
  const bool utf16 = meaning->encoding == Encoding::Utf16Le || meaning->encoding == Encoding::Utf16Be;
  return DetectedEncoding{utf16 ? Encoding::Utf8 : meaning->encoding, label};
}

// The first encoding declared by a <meta> tag, skipping comments and the
// insides of other tags so that a quoted "<meta" does not count.
std::optional<DetectedEncoding> PrescanEncoding(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (s.compare(i, 4, "<!--") == 0) {
      const std::size_t end = s.find("-->", i + 2);
      if (end == std::string_view::npos) return std::nullopt;
      i = end + 3;
    } else if (StartsWithNoCase(s, i, "<meta") && i + 5 < s.size() && (IsSpace(s[i + 5]) || s[i + 5] == '/')) {
      i += 5;
      if (const auto charset = MetaCharset(s, i)) {
        if (auto declared = Declared(*charset)) return declared;
      }
    } else if (s[i] == '<' && i + 1 < s.size() &&
               (IsAlpha(s[i + 1]) || (s[i + 1] == '/' && i + 2 < s.size() && IsAlpha(s[i + 2])))) {
      while (i < s.size() && !IsSpace(s[i]) && s[i] != '>') ++i;
      while (NextAttribute(s, i)) {
      }
    } else if (s.compare(i, 2, "<!") == 0 || s.compare(i, 2, "</") == 0 || s.compare(i, 2, "<?") == 0) {
      const std::size_t end = s.find('>', i);
      if (end == std::string_view::npos) return std::nullopt;
      i = end + 1;
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

}  // namespace

DetectedEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return {Encoding::Utf8, "utf-8"};
  if (bytes.substr(0, 2) == "\xFE\xFF") return {Encoding::Utf16Be, "utf-16be"};
  if (bytes.substr(0, 2) == "\xFF\xFE") return {Encoding::Utf16Le, "utf-16le"};
  if (auto declared = PrescanEncoding(bytes.substr(0, kPrescanLength))) return *declared;
  if (IsAscii(bytes)) return {Encoding::Ascii, {}};
  return {IsValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252, {}};
}

}  // namespace pages
