// Each rule and option on small pages, and where the findings are; the map
// an area lies in held to an HTML5 parser's tree.
#include <gtest/gtest.h>

#include <ctime>
#include <random>

#include "audit/page_audit.h"
#include "tests/html/page_test_support.h"

namespace {

using audit::AuditOptions;
using audit::AuditPage;
using pages::Encoding;

// "LINE:COL RULE map=NAME area=N", one per finding.
std::vector<std::string> Described(const audit::PageAudit& audit) {
  std::vector<std::string> out;
  for (const auto& f : audit.findings) {
    out.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) + " " + std::string(audit::RuleName(f.rule)) +
                  " map=" + f.map.value_or("(none)") + " area=" + std::to_string(f.area));
  }
  return out;
}

constexpr AuditOptions kPlain{};
constexpr AuditOptions kShared{.sharedTarget = true};
constexpr AuditOptions kAria{.aria = true};

TEST(PageAudit, FindsWhatEachRuleAndOptionSays) {
  const struct {
    const char* what;
    std::string page;
    AuditOptions options;
    std::vector<std::string> findings;
  } cases[] = {
      {"each rule", "<map name=m>\n<area href=a>\n<area href=b alt=''>\n<area alt=x>\n<area href=c alt=ok>\n<area></map>",
       kPlain, {"2:1 missing-alt map=m area=0", "3:1 empty-alt map=m area=1", "4:1 alt-without-href map=m area=2"}},
      {"white space is blank", "<map name=m><area href=a alt=' \t\r\n'><area href=b alt='&#32;'><area href=c alt=' x '></map>",
       kPlain, {"1:13 empty-alt map=m area=0", "2:3 empty-alt map=m area=1"}},
      {"an empty alt without href", "<map><area alt></map>", kPlain, {"1:6 alt-without-href map=(none) area=0"}},
      {"areas outside a map count but are not image-map areas", "<area href=a><map name=m><area href=b></map><area href=c>",
       kPlain, {"1:26 missing-alt map=m area=1"}},
      {"a closed ancestor closes the map", "<div><map name=m></div><area href=a>", kPlain, {}},
      {"a nested map", "<map name=o><map name=i><area href=a></map><area href=b></map>", kPlain,
       {"1:25 missing-alt map=i area=0", "1:44 missing-alt map=o area=1"}},
      {"</body> closes nothing", "<body><map name=m></body><area href=a>", kPlain, {"1:26 missing-alt map=m area=0"}},
      {"no areas in comments, scripts or titles",
       "<map name=m><!-- <area href=a> --><script>'<area href=b>'</script><title><area href=c></title></map>", kPlain, {}},
      {"shared target: a blank alt beside a described twin",
       "<map name=m><area href=a alt=A><area href=a alt=' '><area href=b alt=''></map>", kShared,
       {"1:53 empty-alt map=m area=2"}},
      {"shared target: a missing alt still counts",
       "<map name=m><area href=a alt=A><area href=a></map>", kShared, {"1:32 missing-alt map=m area=1"}},
      {"shared target: only within one map",
       "<map name=m><area href=a alt=A></map><map name=n><area href=a alt=''></map>", kShared,
       {"1:50 empty-alt map=n area=1"}},
      {"shared target: without the option every area needs its own",
       "<map name=m><area href=a alt=A><area href=a alt=''></map>", kPlain, {"1:32 empty-alt map=m area=1"}},
      {"aria: title and aria-label",
       "<map name=m><area href=a title=T><area href=b aria-label=L alt=''><area href=c title=' '></map>", kAria,
       {"1:67 missing-alt map=m area=2"}},
      {"aria: labelledby an element with text",
       "<map name=m><area href=a aria-labelledby='x y'><area href=b aria-labelledby=e></map>"
       "<p id=y>Our <b>breads</b></p><span id=e> <i></i> </span>", kAria,
       {"1:48 missing-alt map=m area=1"}},
      {"aria: labelledby text inside a script is no text, text after it is",
       "<map name=m><area href=a aria-labelledby=s><area href=b aria-labelledby=t></map>"
       "<div id=s><script>x</script></div><div id=t><script>x</script>Label<style>y</style></div>", kAria,
       {"1:13 missing-alt map=m area=0"}},
      {"aria: a comment is no text",
       "<map name=m><area href=a aria-labelledby=c><area href=b aria-labelledby=d></map>"
       "<div id=c><!-- x --></div><div id=d><!----> <!---> <!-->\n</div>", kAria,
       {"1:13 missing-alt map=m area=0", "1:44 missing-alt map=m area=1"}},
      {"aria: content hidden by markup counts for nothing",
       "<map name=m><area href=a aria-labelledby=h1><area href=b aria-labelledby=h2><area href=c aria-labelledby=h3>"
       "<area href=d aria-labelledby=h4><area href=e aria-labelledby=v></map>"
       "<div id=h1><span hidden>x</span></div><div id=h2><span aria-hidden=' TRUE'>x</span></div>"
       "<div id=h3><span style='color: red; DISPLAY : none !important'>x<b>y</b></span></div>"
       "<div id=h4><p style=visibility:hidden>x</p></div><div id=v><span aria-hidden=false>x</span></div>", kAria,
       {"1:13 missing-alt map=m area=0", "1:45 missing-alt map=m area=1", "1:77 missing-alt map=m area=2",
        "1:109 missing-alt map=m area=3"}},
      {"aria: a hidden element named directly still gives its text",
       "<map name=m><area href=a aria-labelledby=t></map><div hidden><p id=t>Label</p></div>", kAria, {}},
      {"aria: an image's alt is its text",
       "<map name=m><area href=a aria-labelledby=i><area href=b aria-labelledby=j><area href=c aria-labelledby=k></map>"
       "<span id=i><img src=x alt=Bread></span><span id=j><img src=x alt=' '></span>"
       "<span id=k><img src=x alt=K aria-hidden=true></span>", kAria,
       {"1:44 missing-alt map=m area=1", "1:75 missing-alt map=m area=2"}},
      {"an area inside SVG or MathML is no area",
       "<map name=m><svg><area href=a></svg><math><area href=b></math><svg><g><p><area href=c></map>", kPlain,
       {"1:74 missing-alt map=m area=0"}},
      {"aria: an alt that is there is the name, however blank, before the title",
       "<map name=m><area href=a alt='' title=Home><area href=b alt='  ' title=Home></map>", kAria,
       {"1:13 empty-alt map=m area=0", "1:44 empty-alt map=m area=1"}},
      {"aria: inline styles read as the cascade reads them",
       "<map name=m><area href=a aria-labelledby=s1><area href=b aria-labelledby=s2><area href=c aria-labelledby=s3></map>"
       "<p id=s1><span hidden style=display:inline>Home</span></p><p id=s2><span style='display:none;display:inline'>Home"
       "</span></p><p id=s3><span style='display:/**/none'>Home</span></p>", kAria,
       {"1:77 missing-alt map=m area=2"}},
      {"aria: text never rendered is no name",
       "<map name=m><area href=a aria-labelledby=d><area href=b aria-labelledby=t><area href=c aria-labelledby=n>"
       "<area href=d aria-labelledby=u></map><div id=d><details><summary></summary>Home</details></div>"
       "<div id=t><template>Home</template></div><div id=n><noscript>Home</noscript></div>"
       "<div id=u><details><summary>Home</summary></details></div>", kAria,
       {"1:13 missing-alt map=m area=0", "1:44 missing-alt map=m area=1", "1:75 missing-alt map=m area=2"}},
      {"aria: names that are not text",
       "<map name=m><area href=a aria-labelledby=v><area href=b aria-labelledby=r><area href=c aria-labelledby=i>"
       "<area href=d aria-labelledby=l><area href=e aria-labelledby=q><area href=f aria-labelledby=im>"
       "<area href=g aria-labelledby=o><area href=h aria-labelledby=w></map>"
       "<p id=v><input value=Home></p><p id=r><input type=range></p><p id=i><img title=Home></p>"
       "<p id=l><span aria-label=Home></span></p><p id=q aria-label=Home></p><img id=im alt=Home usemap=#m>"
       "<area id=o alt=Home><input id=w type=submit>", kAria, {}},
      {"aria: a presentational image gives no name",
       "<map name=m><area href=a aria-labelledby=p><area href=b aria-labelledby=n></map>"
       "<p id=p><img alt=Home role=presentation></p><p id=n><img alt=Home role=' NONE'></p>", kAria,
       {"1:13 missing-alt map=m area=0", "1:44 missing-alt map=m area=1"}},
      {"a map found by its id is named by it", "<img usemap=#menu><map id=menu><area href=a></map>", kPlain,
       {"1:32 missing-alt map=menu area=0"}},
      {"aria: title without the option", "<map name=m><area href=a title=T></map>", kPlain,
       {"1:13 missing-alt map=m area=0"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Described(AuditPage(c.page, Encoding::Ascii, c.options)), c.findings) << c.what;
  }
}

TEST(PageAudit, PlacesFindingsByLineAndCharacter) {
  const struct {
    const char* what;
    std::string page;
    Encoding encoding;
    std::vector<std::string> findings;
  } cases[] = {
      {"utf-8 characters", "<map>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80<area href=a></map>", Encoding::Utf8,
       {"1:9 missing-alt map=(none) area=0"}},
      {"windows-1252 bytes", "<map>\xE9\x80<area href=a></map>", Encoding::Windows1252, {"1:8 missing-alt map=(none) area=0"}},
      {"a byte-order mark is no character", "\xEF\xBB\xBF<map><area href=a></map>", Encoding::Utf8,
       {"1:6 missing-alt map=(none) area=0"}},
      {"CR LF, CR and LF each end a line", "<map>\r\n\r\r\n\n  <area href=a></map>", Encoding::Ascii,
       {"5:3 missing-alt map=(none) area=0"}},
      {"a malformed sequence is one character", "<map>\xE2\x82<area href=a></map>", Encoding::Utf8,
       {"1:7 missing-alt map=(none) area=0"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Described(AuditPage(c.page, c.encoding, kPlain)), c.findings) << c.what;
}

TEST(PageAudit, ReadsNamesAndValuesAsAParserDoes) {
  const auto audit = AuditPage("<map name='caf&eacute;'><area href='a&amp;b' alt=' '></map>", Encoding::Ascii, kPlain);
  ASSERT_EQ(audit.findings.size(), 1u);
  EXPECT_EQ(audit.findings[0].map, "caf\xC3\xA9");
  EXPECT_EQ(audit.findings[0].href, "a&b");
  EXPECT_EQ(audit.findings[0].alt, " ");
}

// What the findings must be, from the reference parser's tree.
std::vector<std::string> ReferenceFindings(const std::string& utf8) {
  std::vector<std::string> out;
  const auto areas = ReferenceAreasInMaps(utf8);
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const auto& [attributes, inMap, mapName] = areas[i];
    if (!inMap) continue;
    const auto& [href, alt] = attributes;
    const bool blank = alt && alt->find_first_not_of(" \t\n\f\r") == std::string::npos;
    const char* rule = href ? (!alt ? "missing-alt" : blank ? "empty-alt" : nullptr) : (alt ? "alt-without-href" : nullptr);
    if (rule) out.push_back(std::string(rule) + " map=" + mapName.value_or("(none)") + " area=" + std::to_string(i));
  }
  return out;
}

std::vector<std::string> OurFindings(std::string_view bytes, Encoding encoding) {
  std::vector<std::string> out;
  for (const auto& f : AuditPage(bytes, encoding, kPlain).findings) {
    out.push_back(std::string(audit::RuleName(f.rule)) + " map=" + f.map.value_or("(none)") + " area=" + std::to_string(f.area));
  }
  return out;
}

TEST(PageAudit, ShippedPagesAgreeWithTheReferenceParser) {
  for (const auto& name : ShippedPageNames()) {
    const pages::Page page(ShippedPagePath(name));
    EXPECT_EQ(OurFindings(page.bytes(), page.encoding()), ReferenceFindings(Utf8OfFile(page.path(), page.encoding())))
        << name;
  }
}

// Maps, their ends and the ends of elements around them, nested at random in
// well-formed pages with the tokenizer's hard parts between.
TEST(PageAudit, RandomlyNestedMapsAgreeWithTheReferenceParser) {
  const std::vector<std::string> pieces = {"<area href=a>", "<area href=b alt=x>", "<area alt=y>", "<area href=c alt=' '>",
                                           "<!-- <map> -->", "<script>'</map>'</script>", "text", "<br>", "<img src=x>"};
  const std::vector<std::string> containers = {"div", "span", "b", "map", "map", "td"};
  std::mt19937 rng(20001209);
  std::size_t findings = 0;
  for (int round = 0; round < 400; ++round) {
    std::string page = "<!DOCTYPE html><body>";
    std::vector<std::string> open;
    for (int k = 0; k < 30; ++k) {
      const unsigned pick = rng() % 10;
      if (pick < 3 && open.size() < 5) {
        std::string name = containers[rng() % containers.size()];
        if (name == "td") name = "table><tr><td";
        page += "<" + name + (name == "map" ? " name=m" + std::to_string(k) : "") + ">";
        open.push_back(name);
      } else if (pick < 5 && !open.empty()) {
        const std::string name = open.back();
        open.pop_back();
        page += name == "table><tr><td" ? "</td></tr></table>" : "</" + name + ">";
      } else {
        page += pieces[rng() % pieces.size()];
      }
    }
    const auto expected = ReferenceFindings(page);
    ASSERT_EQ(OurFindings(page, Encoding::Ascii), expected) << page;
    findings += expected.size();
  }
  EXPECT_GT(findings, 400u);
}

std::string Repeated(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t k = 0; k < times; ++k) out += piece;
  return out;
}

// Shapes of page on which a pass that looks back over the line, the open
// elements or the ids for each tag takes minutes; one pass takes well under
// a second, so the bound is far from both.
TEST(PageAudit, TakesOnePassWhateverTheShapeOfThePage) {
  constexpr std::size_t n = 100'000;
  std::string ids, names;
  for (std::size_t k = 0; k < n; ++k) ids += "<span id=i" + std::to_string(k) + "></span>";
  for (std::size_t k = 0; k < n; ++k) names += "<e" + std::to_string(k) + "></f" + std::to_string(k) + ">";
  const struct {
    const char* what;
    std::string page;
    AuditOptions options;
    std::size_t findings;
  } cases[] = {
      {"one long line of areas", "<map name=m>" + Repeated(std::string(50'000, 'x') + "<area href=a>", 1'000), kPlain, 1'000},
      {"areas inside many unclosed elements", "<map name=m>" + Repeated("<b>", n) + Repeated("<area href=a>", n), kPlain, n},
      {"stray end tags over many unclosed elements",
       "<map name=m>" + Repeated("<b>", n) + Repeated("</i>", n) + "<area href=a>", kPlain, 1},
      {"areas labelled by ids among many", "<map name=m>" + Repeated("<area href=a aria-labelledby=none>", n) + ids, kAria, n},
      {"text inside many unclosed labelling elements",
       "<map name=m><area href=a aria-labelledby=l></map>" + Repeated("<span id=l>t", n), kAria, 0},
      {"elements of many names, closed by end tags of others", "<map name=m>" + names + "<area href=a>", kPlain, 1},
      {"a comment of dashes", "<map name=m><!--" + std::string(200'000, '-') + "x--><area href=a>", kPlain, 1},
  };
  for (const auto& c : cases) {
    // Processor time, which other work on the machine does not stretch.
    const std::clock_t start = std::clock();
    const auto audit = AuditPage(c.page, Encoding::Utf8, c.options);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    EXPECT_EQ(audit.findings.size(), c.findings) << c.what;
    EXPECT_LT(seconds, 10.0) << c.what;
  }
}

}  // namespace
