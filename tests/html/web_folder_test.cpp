// A web folder's pages by URL, and file pages plugged into the stand-in host.
#include <gtest/gtest.h>

#include "host/error.h"
#include "page_test_support.h"
#include "standin/host.h"
#include "standin/html/file_page_content.h"
#include "standin/html/web_folder.h"

namespace {

namespace fs = std::filesystem;
using standin::html::FilePageContent;
using standin::html::WebFolder;

const host::Text kBase = u"http://localhost/web";

TEST(WebFolderUrls, NamePagesInsideTheFolderOnly) {
  ScratchFolder folder;
  fs::create_directories(folder.path() / "maps");
  folder.Write("index.htm", "<p>");
  folder.Write("maps/plan du site.HTML", "<p>");
  folder.Write("notes.txt", "not a page");
  const WebFolder web(folder.path().string(), kBase);

  const std::vector<host::Text> urls = {kBase + u"/index.htm", kBase + u"/maps/plan%20du%20site.HTML"};
  EXPECT_EQ(web.PageUrls(), urls);
  EXPECT_EQ(fs::path(web.PathOf(urls[1])), folder.path() / "maps" / "plan du site.HTML");

  for (const char16_t* outside : {u"http://localhost/other/index.htm", u"http://localhost/web",
                                    u"http://localhost/web/../secret.htm", u"http://localhost/web/maps/../../x.htm",
                                    u"http://localhost/web/%2e%2e/x.htm", u"http://localhost/web//etc/passwd",
                                    u"http://localhost/web/a%00.htm", u"http://localhost/web/bad%2"}) {
    EXPECT_THROW(web.PathOf(outside), host::Error) << host::ToUtf8(outside);
  }
}

const std::string kMap =
    "<html><body>\n<map name=\"m\">\n<area href=\"a.htm\" alt=\"A\">\n<area href=\"b.htm\">\n"
    "<area href=\"c.htm\" alt=\"C\">\n</map>\n</body></html>\n";

TEST(FilePageContent, RewritingTheMapAddsAndDropsTags) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kMap);
  const WebFolder web(folder.path().string(), kBase);
  const auto content = web.Open(web.UrlOf("page.htm"));

  const std::vector<standin::Area> fewer = {{u"a.htm", u"A"}, {u"z.htm", std::nullopt}};
  content->ReplaceAreas(fewer);
  EXPECT_EQ(standin::ReadAreas(*content), fewer);
  content->Save(web.UrlOf("page.htm"));
  EXPECT_EQ(ReferenceAreasOfFile(path, content->page().encoding()),
            (std::vector<ReferenceArea>{{"a.htm", "A"}, {"z.htm", std::nullopt}}));

  const std::vector<standin::Area> more = {{u"a.htm", u"A"}, {u"z.htm", u"Z"}, {u"new.htm", std::nullopt},
                                           {std::nullopt, u"no link"}};
  content->ReplaceAreas(more);
  content->Save(web.UrlOf("page.htm"));
  EXPECT_EQ(ReferenceAreasOfFile(path, content->page().encoding()),
            (std::vector<ReferenceArea>{{"a.htm", "A"}, {"z.htm", "Z"}, {"new.htm", std::nullopt},
                                        {std::nullopt, "no link"}}));
  EXPECT_EQ(ReadBytes(path).substr(0, 40), kMap.substr(0, 40)) << "the page around the map stays";
}

TEST(FilePageContent, AreasOnAPageWithoutAnyGoInsideTheMap) {
  ScratchFolder folder;
  const std::string path = folder.Write("empty.htm", "<body><map name=\"m\"></map><p>text</p></body>");
  const WebFolder web(folder.path().string(), kBase);
  const auto content = web.Open(web.UrlOf("empty.htm"));
  ASSERT_EQ(content->AreaCount(), 0u);
  content->ReplaceAreas({{u"x.htm", u"X"}, {u"y.htm", std::nullopt}});
  content->Save(web.UrlOf("empty.htm"));
  EXPECT_EQ(ReadBytes(path), "<body><map name=\"m\"><area href=\"x.htm\" alt=\"X\"><area href=\"y.htm\"></map><p>text</p></body>");
}

TEST(FilePageContent, SavedUnderANewUrlWritesThatFile) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kMap);
  const WebFolder web(folder.path().string(), kBase);
  const auto content = web.Open(web.UrlOf("page.htm"));
  content->SetAttribute(1, u"ALT", u"B");
  content->Save(web.UrlOf("copy.htm"));
  EXPECT_EQ(ReadBytes(path), kMap);
  EXPECT_EQ(FilePageContent(web, web.PathOf(web.UrlOf("copy.htm"))).GetAttribute(1, u"alt"), u"B");
}

// The host's object model over a file page, as an add-in uses it, and the
// host's own save command writing the file.
TEST(FilePageInTheHost, AltWrittenThroughTheDocumentIsSavedToTheFile) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kMap);
  const WebFolder web(folder.path().string(), kBase);
  const host::Text url = web.UrlOf("page.htm");
  standin::Host host;
  host.Start();
  host.OpenWeb(kBase);
  host.OpenPage(url, web.Open(url));

  auto areas = host.Application()->ActivePageWindow()->Document()->all()->tags(u"area");
  ASSERT_EQ(areas->length(), 3);
  EXPECT_EQ(areas->Item(host::Int16(1))->getAttribute(u"alt"), host::Variant::MakeNull());
  areas->Item(host::Int16(1))->setAttribute(u"alt", host::Text(u"B & b"));
  areas->Item(host::Int16(2))->removeAttribute(u"alt");
  host.Application()->CommandBars()->Item(host::Text(u"File"))->Controls()->Item(host::Text(u"&Save"))->Execute();
  host.Quit();

  EXPECT_EQ(host.SaveCount(url), 1);
  EXPECT_EQ(ReferenceAreasOfFile(path, pages::Encoding::Ascii),
            (std::vector<ReferenceArea>{{"a.htm", "A"}, {"b.htm", "B & b"}, {"c.htm", std::nullopt}}));
}

}  // namespace
