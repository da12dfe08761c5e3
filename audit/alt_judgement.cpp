#include "audit/alt_judgement.h"

#include <algorithm>
#include <array>
#include <string>

#include "host/text.h"
#include "pages/tag_lexer.h"

namespace audit {
namespace {

// AERT's limit for an alt text: more is a description, for longdesc or the page.
constexpr std::size_t kLongestAlt = 150;

// Extensions of the files a page links or shows: images, pages and server
// scripts, documents and media. A text ending in one is a file's name.
constexpr std::array<std::string_view, 52> kExtensions = {
    "gif",  "jpg", "jpeg", "jpe", "png",  "bmp",  "tif", "tiff", "svg",  "webp", "ico",  "pcx",  "wmf",
    "emf",  "psd", "xbm",  "htm", "html", "shtml", "shtm", "stm", "xhtml", "asp",  "aspx", "php",  "php3",
    "jsp",  "cfm", "cgi",  "pl",  "js",   "css",  "pdf", "doc",  "docx", "xls",  "xlsx", "ppt",  "pptx",
    "rtf",  "txt", "zip",  "exe", "swf",  "mp3",  "wav", "avi",  "mpg",  "mpeg", "mov",  "wmv",  "ram"};

// Server-side and template code left in a page by an editor or a generator.
constexpr std::array<std::string_view, 8> kCodeMarks = {"<%", "%>", "<?", "?>", "{{", "}}", "${", "[%"};

constexpr std::array<std::string_view, 11> kAddressStarts = {"http:", "https:", "ftp:",  "file:", "mailto:", "news:",
                                                             "javascript:", "www.", "//", "\\\\", "ftp."};

// What tools and authors put in when there is nothing to say: the words
// of F30's examples and of AERT's tests ("image", "spacer"), the link texts
// that F84 names as no purpose ("click here", "more"), and what generators
// fill in ("alt", "untitled", "image map"). Compared trimmed, case folded,
// without trailing punctuation.
constexpr std::array<std::string_view, 46> kPlaceholders = {
    "image",     "images",      "img",     "picture", "pic",         "photo",    "photograph", "graphic",
    "graphics",  "spacer",      "space",   "blank",   "transparent", "pixel",    "clear",      "link",
    "links",     "click",       "click here", "here", "click me",    "more",     "read more",  "more info",
    "untitled",  "alt",         "alt text", "alternative text", "text", "image map", "imagemap", "map",
    "area",      "hotspot",     "hot spot", "button", "icon",       "banner",   "none",       "null",
    "undefined", "nbsp",        "placeholder", "dummy", "clipart",   "bullet"};

// The titles the era's editors give a new page, which a page left with its
// default title passes on as its name, each followed by a number or not:
// FrontPage's "New Page 1" as its editions for these languages wrote it,
// Dreamweaver's "Untitled Document", Word's "Untitled".
constexpr std::array<std::string_view, 24> kDefaultTitles = {
    "new page",           "neue seite",      "nouvelle page",  "nueva página",   "nuova pagina",  "nieuwe pagina",
    "nova página",        "ny sida",         "ny side",        "uusi sivu",      "nowa strona",   "nová stránka",
    "новая страница",     "新しいページ",    "新網頁",         "新建网页",       "새 페이지",     "untitled document",
    "unbenanntes dokument", "document sans titre", "documento sin título", "無題ドキュメント", "untitled-",
    "document"};

}  // namespace

std::string Folded(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const host::Utf8Step step = host::NextUtf8(utf8, i);
    char32_t c = step.c;
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F)) {
      c += 0x20;
    } else if (c >= 0x400 && c <= 0x40F) {
      c += 0x50;
    }
    if (step.valid) {
      host::AppendUtf8(out, c);
    } else {
      out.append(utf8, i, step.length);
    }
    i += step.length;
  }
  return out;
}

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && pages::IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && pages::IsHtmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool IsWordCharacter(char32_t c) {
  if (c < 0x80) return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
  // Punctuation and symbols: Latin-1's, the general ones up to the
  // dingbats and arrows, CJK and full-width punctuation, U+FFFD.
  return !(c <= 0xBF || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || c == 0xFFFD);
}

struct Facts {
  std::string_view text;    // trimmed
  std::string folded;       // and case folded
  std::string_view linkFile, imageFile;
};

bool HoldsCode(const Facts& f) {
  return std::any_of(kCodeMarks.begin(), kCodeMarks.end(), [&](std::string_view mark) { return f.text.find(mark) != std::string_view::npos; });
}

bool IsAddress(const Facts& f) {
  return f.folded.find("://") != std::string::npos ||
         std::any_of(kAddressStarts.begin(), kAddressStarts.end(), [&](std::string_view start) { return f.folded.starts_with(start); });
}

bool IsFileName(const Facts& f) {
  const std::size_t dot = f.folded.rfind('.');
  if (dot != std::string::npos && dot > 0 && !pages::IsHtmlSpace(f.folded[dot - 1])) {
    const std::string_view extension = std::string_view(f.folded).substr(dot + 1);
    if (std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end()) return true;
  }
  // Its own link's or image's name, when that has an extension: "Home" for
  // home.htm names the page, "home.htm" does not.
  for (const std::string_view file : {f.linkFile, f.imageFile}) {
    if (file.find('.') != std::string_view::npos && f.folded == Folded(file)) return true;
  }
  return false;
}

bool IsPlaceholder(const Facts& f) {
  std::string_view word = f.folded;
  while (!word.empty() && std::string_view(".:!?-_*>").find(word.back()) != std::string_view::npos) word.remove_suffix(1);
  word = Trimmed(word);
  if (std::find(kPlaceholders.begin(), kPlaceholders.end(), word) != kPlaceholders.end()) return true;
  // A default title, numbered or not.
  while (!word.empty() && word.back() >= '0' && word.back() <= '9') word.remove_suffix(1);
  word = Trimmed(word);
  return std::find(kDefaultTitles.begin(), kDefaultTitles.end(), word) != kDefaultTitles.end();
}

bool HasNoWord(const Facts& f) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < f.text.size() && characters < 2;) {
    const host::Utf8Step step = host::NextUtf8(f.text, i);
    characters += step.valid && IsWordCharacter(step.c);
    i += step.length;
  }
  return characters < 2;
}

bool IsTooLong(const Facts& f) {
  const auto characters = std::count_if(f.text.begin(), f.text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  return static_cast<std::size_t>(characters) > kLongestAlt;
}

struct TextRule {
  AltProblem problem;
  std::string_view reason;
  bool (*fails)(const Facts&);
};

// The first rule a text fails gives the verdict: code before an address,
// an address before a file name ("http://x/a.gif").
constexpr TextRule kRules[] = {
    {AltProblem::Code, "server or template code", HoldsCode},
    {AltProblem::Url, "a web or mail address", IsAddress},
    {AltProblem::FileName, "a file name", IsFileName},
    {AltProblem::Placeholder, "a placeholder, not a description", IsPlaceholder},
    {AltProblem::Placeholder, "no word: fewer than two letters or digits", HasNoWord},
    {AltProblem::TooLong, "longer than 150 characters", IsTooLong},
};

}  // namespace

std::optional<AltVerdict> JudgeAltText(std::string_view text, std::string_view linkFile, std::string_view imageFile) {
  Facts facts{Trimmed(text), {}, linkFile, imageFile};
  facts.folded = Folded(facts.text);
  for (const TextRule& rule : kRules) {
    if (rule.fails(facts)) return AltVerdict{rule.problem, rule.reason};
  }
  return std::nullopt;
}

std::string FoldedText(std::string_view text) { return Folded(Trimmed(text)); }

std::string_view FileNameOf(std::string_view url) {
  url = url.substr(0, std::min(url.find_first_of("?#"), url.size()));
  const std::size_t slash = url.find_last_of("/\\");
  return slash == std::string_view::npos ? url : url.substr(slash + 1);
}

}  // namespace audit
