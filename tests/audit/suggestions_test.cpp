// Suggested alt texts from a whole web, each rule and its order, and the
// parts the report page reads: area shapes and image headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "audit/alt_judgement.h"
#include "audit/area_shape.h"
#include "audit/image_size.h"
#include "audit/suggestions.h"

namespace {

using audit::SuggestionSourceName;
using pages::Encoding;

struct WebPage {
  std::string bytes;
  Encoding encoding = Encoding::Utf8;
};

// "SOURCE: TEXT", or "" when nothing is suggested: for the row of the
// area of the page at `path` linking to `href` as the to-do list gets it,
// or for a bare link to it where no such area is a row.
std::string Suggested(const std::map<std::string, WebPage>& web, const std::string& path, const std::string& href) {
  audit::Suggestions suggestions;
  audit::PageReading reading;
  for (const auto& [name, page] : web) {
    audit::PageReading read = audit::ReadPage(page.bytes, page.encoding, {.facts = true});
    suggestions.AddPage(name, read);
    if (name == path) reading = std::move(read);
  }
  const WebPage& page = web.at(path);
  audit::PageAudit audit = audit::AuditPage(reading, page.bytes, page.encoding, {}, path);
  const auto row = std::find_if(audit.findings.begin(), audit.findings.end(), [&](const audit::Finding& f) { return f.href == href; });
  std::optional<audit::Suggestion> found;
  if (row == audit.findings.end()) {
    audit::Finding bare{};
    bare.href = href;
    found = suggestions.For(path, bare);
  } else {
    for (audit::Finding& f : audit.findings) {
      if (f.href) f.suggestion = audit::OwnSuggestion(reading.areas[f.area], f);
      if (!f.suggestion) f.suggestion = suggestions.For(path, f);
    }
    audit::KeepSuggestionsDistinct(path, audit.findings, audit::KeptTexts(path, reading, audit));
    found = row->suggestion;
  }
  return found ? std::string(SuggestionSourceName(found->from)) + ": " + found->text : "";
}

TEST(Suggestions, TakeTheFirstRuleThatHasATextForTheResolvedTarget) {
  const std::string longText(150, 'x');
  const struct {
    const char* what;
    std::map<std::string, WebPage> web;  // in path order, as the audit reads them
    std::string path, href, expected;
  } cases[] = {
      {"another area's alt to the same target",
       {{"a.htm", {"<map><area href=t.htm alt=Tea><area href=t.htm></map><a href=t.htm>Link</a>"}}}, "a.htm", "t.htm",
       "same-link: Tea"},
      {"an image's alt inside a link", {{"a.htm", {"<a href=t.htm><img src=t.png alt='Tea room'></a>"}}}, "a.htm",
       "t.htm", "same-link: Tea room"},
      {"the most frequent alt, over pages", {{"a.htm", {"<area href=t.htm alt=One>"}}, {"b.htm", {"<area href=t.htm alt=Two><area href=t.htm alt=Two>"}}},
       "a.htm", "t.htm", "same-link: Two"},
      {"a tie goes to the first in path order", {{"a.htm", {"<area href=t.htm alt=First>"}}, {"b.htm", {"<area href=t.htm alt=Second>"}}},
       "b.htm", "t.htm", "same-link: First"},
      {"blank alts say nothing", {{"a.htm", {"<area href=t.htm alt=' \t'><a href=t.htm><img alt=''> Tea </a>"}}}, "a.htm",
       "t.htm", "link-text: Tea"},
      {"targets compared after resolving", {{"a.htm", {"<area href='./sub/../t.htm' alt=Tea>"}}, {"sub/b.htm", {""}}},
       "sub/b.htm", "../t.htm", "same-link: Tea"},
      {"from the root", {{"sub/a.htm", {"<area href='/t.htm' alt=Tea>"}}}, "sub/a.htm", "..\\t.htm", "same-link: Tea"},
      {"the fragment is kept", {{"a.htm", {"<area href='t.htm#menu' alt=Menu><area href=t.htm alt=Tea>"}}}, "a.htm",
       "t.htm#menu", "same-link: Menu"},
      {"another folder's page is another target", {{"a.htm", {"<area href=t.htm alt=Tea>"}}, {"sub/b.htm", {""}}},
       "sub/b.htm", "t.htm", ""},
      {"schemes compare in any case", {{"a.htm", {"<area href='MAILTO:x@y' alt='Write to us'>"}}}, "a.htm", "mailto:x@y",
       "same-link: Write to us"},
      {"a link's text with its white space collapsed, tags and comments left out",
       {{"a.htm", {"<a href=t.htm>\n  Our <b>tea</b><!-- not this --><!-->\troom <script>no()</script>&amp; caf&eacute; </a>"}}},
       "a.htm", "t.htm", "link-text: Our tea room & caf\xC3\xA9"},
      {"the most frequent link text",
       {{"a.htm", {"<a href=t.htm>Tea</a><a href=t.htm>Tea room</a>"}}, {"b.htm", {"<a href=t.htm>Tea room</a>"}}}, "a.htm",
       "t.htm", "link-text: Tea room"},
      {"150 characters are a link text",
       {{"a.htm", {"<a href=t.htm>" + longText + "</a>"}}}, "a.htm", "t.htm", "link-text: " + longText},
      {"151 are not", {{"a.htm", {"<a href=t.htm>" + longText + "y</a>"}}}, "a.htm", "t.htm", ""},
      {"characters, not bytes",
       {{"a.htm", {"<a href=t.htm>" + std::string(149, 'x') + "\xC3\xA9</a>"}}}, "a.htm", "t.htm",
       "link-text: " + std::string(149, 'x') + "\xC3\xA9"},
      {"a link opened in a link ends the first", {{"a.htm", {"<a href=t.htm>Tea<a href=u.htm>Cakes</a>"}}}, "a.htm",
       "t.htm", "link-text: Tea"},
      {"the target page's title", {{"a.htm", {"<area href='t.htm'>"}}, {"t.htm", {"<title>\n Tea &amp; cakes </title>"}}},
       "a.htm", "t.htm", "page-title: Tea & cakes"},
      {"the area's own title first, then its aria-label",
       {{"a.htm", {"<map><area href=t.htm title=' Tea  room ' aria-label=Tea><area href=u.htm aria-label=Cakes>"
                   "<area href=t.htm alt=Alt></map>"}}}, "a.htm", "u.htm", "aria-label: Cakes"},
      {"a title that is a file name is passed over",
       {{"a.htm", {"<map><area href=t.htm title=tea.gif></map><a href=t.htm>Tea</a>"}}}, "a.htm", "t.htm", "link-text: Tea"},
      {"no file name, address, code or placeholder is suggested",
       {{"a.htm", {"<map><area href=t.htm alt=t.htm><area href=t.htm></map><a href=t.htm>Click here</a>"}},
        {"t.htm", {"<title><%=pageTitle%></title>"}}}, "a.htm", "t.htm", ""},
      {"nor an editor's default title", {{"a.htm", {"<map><area href=t.htm></map>"}}, {"t.htm", {"<title>\xE6\x96\xB0\xE7\xB6\xB2\xE9\xA0\x81""2</title>"}}},
       "a.htm", "t.htm", ""},
      {"a link to a place gets the place's text, never its page's title",
       {{"a.htm", {"<map><area href='t.htm#hours'><area href='#top'></map><h1 id=top>Tea room</h1>"}},
        {"t.htm", {"<title>Tea</title><h2><a name=hours></a>Opening hours</h2>"}}}, "a.htm", "t.htm#hours",
       "fragment-target: Opening hours"},
      {"on the same page, or from the heading after an empty anchor",
       {{"a.htm", {"<title>Tea</title><map><area href='#top'></map><a name=top></a>\n<h1>Tea room</h1>"}}}, "a.htm", "#top",
       "fragment-target: Tea room"},
      {"a place nothing names", {{"a.htm", {"<title>Tea</title><map><area href='#top'></map><a name=top></a><p>Text"}}}, "a.htm",
       "#top", ""},
      {"one text for two targets of one map is suggested for neither",
       {{"a.htm", {"<map><area href=t.htm><area href=u.htm></map><a href=t.htm>Tea</a><a href=u.htm>Tea</a>"}}}, "a.htm",
       "u.htm", ""},
      {"nor the text another area of the map keeps for its own target",
       {{"a.htm", {"<map><area href=u.htm alt=Tea><area href=t.htm></map><a href=t.htm>Tea</a>"}}}, "a.htm", "t.htm", ""},
      {"decoded in that page's encoding",
       {{"a.htm", {"<area href='caf%C3%A9.htm'>"}}, {"caf\xC3\xA9.htm", {"<title>Caf\xE9</title>", Encoding::Windows1252}}},
       "a.htm", "caf%C3%A9.htm", "page-title: Caf\xC3\xA9"},
      {"an SVG title is not the page's", {{"a.htm", {"<area href=t.htm>"}}, {"t.htm", {"<svg><title>Icon</title></svg><title>Tea</title>"}}},
       "a.htm", "t.htm", "page-title: Tea"},
      {"a blank title is none", {{"a.htm", {"<area href=t.htm>"}}, {"t.htm", {"<title> </title>"}}}, "a.htm", "t.htm", ""},
      {"no page, no title", {{"a.htm", {"<title>A</title><area href=t.htm>"}}}, "a.htm", "t.htm", ""},
      {"an alt before a link text before a title",
       {{"a.htm", {"<a href=t.htm>Tea room</a><area href=t.htm alt='Tea menu'>"}}, {"t.htm", {"<title>Tea</title>"}}}, "a.htm",
       "t.htm", "same-link: Tea menu"},
      {"a link text before a title", {{"a.htm", {"<a href=t.htm>Tea room</a>"}}, {"t.htm", {"<title>Tea</title>"}}}, "a.htm",
       "t.htm", "link-text: Tea room"},
      {"nothing for a target nobody names", {{"a.htm", {"<area href='mailto:x@y'>"}}}, "a.htm", "mailto:x@y", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Suggested(c.web, c.path, c.href), c.expected) << c.what;
}

TEST(AltJudgement, TellsATextFromOneThatIsNone) {
  const struct {
    std::string text;
    std::string_view href, src;
    std::string expected;  // the reason, or "" for a usable text
  } cases[] = {
      {"Map of Gifford Park", "park.htm", "map.gif", ""},
      {"W3C", "", "", ""},
      {"Page 2", "", "", ""},
      {"Q&A", "", "", ""},
      {"Home", "home.htm", "", ""},
      {"Version 2.0", "", "", ""},
      {"\xE9\xA6\x96\xE9\xA0\x81", "", "", ""},  // 首頁
      {"starter_flash.gif", "", "", "a file name"},
      {"nf exterior lamps layout.GIF", "", "", "a file name"},
      {"cmbc_alternator_flash.bmp", "", "", "a file name"},
      {"images/menu/home.jpg", "", "", "a file name"},
      {"home.htm", "home.htm", "", "a file name"},
      {"Catalog", "Catalog", "", ""},
      {"Nav", "", "img/nav.x", ""},
      {"nav.x", "", "nav.x", "a file name"},
      {"<%=pageTitle%>", "", "", "server or template code"},
      {"{{ title }}", "", "", "server or template code"},
      {"http://example.com/a.gif", "", "", "a web or mail address"},
      {"www.harbourlane.example", "", "", "a web or mail address"},
      {"mailto:hello@example.com", "", "", "a web or mail address"},
      {" Image ", "", "", "a placeholder, not a description"},
      {"Click here!", "", "", "a placeholder, not a description"},
      {"spacer", "", "", "a placeholder, not a description"},
      {"New Page 1", "", "", "a placeholder, not a description"},
      {"Neue Seite 3", "", "", "a placeholder, not a description"},
      {"\xE6\x96\xB0\xE7\xB6\xB2\xE9\xA0\x81""2", "", "", "a placeholder, not a description"},  // 新網頁2
      {"Untitled Document", "", "", "a placeholder, not a description"},
      {"#1", "", "", "no word: fewer than two letters or digits"},
      {"-", "", "", "no word: fewer than two letters or digits"},
      {"*", "", "", "no word: fewer than two letters or digits"},
      {std::string(150, 'x'), "", "", ""},
      {std::string(151, 'x'), "", "", "longer than 150 characters"},
  };
  for (const auto& c : cases) {
    const auto verdict = audit::JudgeAltText(c.text, audit::FileNameOf(c.href), audit::FileNameOf(c.src));
    EXPECT_EQ(verdict ? std::string(verdict->reason) : "", c.expected) << c.text;
  }
}

// "KIND n n ...", or "none" for an area without a region.
std::string Shape(const char16_t* shape, std::u16string_view coords) {
  const auto read = audit::ReadAreaShape(shape ? std::optional<std::u16string_view>(shape) : std::nullopt, coords);
  if (!read) return "none";
  static const char* const kKinds[] = {"rect", "circle", "poly", "default"};
  std::string out = kKinds[static_cast<int>(read->kind)];
  for (const double n : read->coords) {
    char number[32];
    std::snprintf(number, sizeof number, " %g", n);
    out += number;
  }
  return out;
}

TEST(AreaShapes, ReadCoordsAsABrowserDoes) {
  const struct {
    const char16_t* shape;
    std::u16string_view coords;
    std::string expected;
  } cases[] = {
      {nullptr, u"1,2,3,4", "rect 1 2 3 4"},
      {u"RECTANGLE", u"30 40;10,\t20 ,99", "rect 10 20 30 40"},  // corners put in order, extras dropped
      {u"triangle", u"0,0,5,5", "rect 0 0 5 5"},                 // an unknown shape is a rectangle
      {u"rect", u"1,2,3", "none"},
      {u"circle", u"10,10,0", "none"},
      {u"circ", u"10,10,-5", "none"},
      {u"circle", u"10,10,2.5,8", "circle 10 10 2.5"},
      {u"poly", u"0,0,10,0,5,8,1", "poly 0 0 10 0 5 8"},
      {u"polygon", u"0,0,10,0,5", "none"},
      {u"default", u"", "default"},
      {u"rect", u"x1,y2,w3px,h4", "rect 1 2 3 4"},    // leading garbage skipped, trailing ignored
      {u"rect", u"a,.5,-.5,1e2", "rect -0.5 0.5 0 100"},  // "a" is no number: 0
      {u"rect", u"+,1,2,3", "rect 0 1 2 3"},
      {u"rect", u"1e,2e+,3E-1,1e400", "rect 0.3 0 1 2"},  // an infinite number is 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shape(c.shape, c.coords), c.expected) << std::string(c.coords.begin(), c.coords.end());
  }
}

TEST(ImageSizes, ComeFromTheHeaderOrNotAtAll) {
  const std::string png = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\x2C\0\0\0\x96", 24);
  const std::string gif = std::string("GIF87a\x58\x02\x78\x00", 10);
  const std::string sof = std::string("\xFF\xC2\x00\x11\x08\x00\x3C\x00\x78", 9);
  const std::string app = std::string("\xFF\xE1\x01\x02", 4) + std::string(0x100, '\0');
  const struct {
    const char* what;
    std::string head;
    std::optional<audit::ImageSize> expected;
  } cases[] = {
      {"png", png, audit::ImageSize{300, 150}},
      {"png cut short", png.substr(0, 23), std::nullopt},
      {"gif", gif, audit::ImageSize{600, 120}},
      {"gif of no width", std::string("GIF89a\0\0\x78\0", 10), std::nullopt},
      {"progressive jpeg after metadata", "\xFF\xD8" + app + "\xFF\xFF" + sof, audit::ImageSize{120, 60}},
      {"jpeg whose frame lies past the head", "\xFF\xD8" + app, std::nullopt},
      {"jpeg with data before any frame", std::string("\xFF\xD8\xFF\xDA\x00\x02", 6) + sof, std::nullopt},
      {"jpeg with a damaged segment", std::string("\xFF\xD8\x00\x00", 4) + sof, std::nullopt},
      {"a huffman table is no frame", std::string("\xFF\xD8\xFF\xC4\x00\x07\x08\x00\x3C\x00\x78", 11), std::nullopt},
      {"bmp", "BM\x36\x00", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(audit::ImageSizeOf(c.head), c.expected) << c.what;
}

}  // namespace
