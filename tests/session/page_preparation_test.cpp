#include "session/SessionTestSupport.h"

#include "core/Files.h"
#include "rewrite/RewritePage.h"

#include <gtest/gtest.h>

#include <map>

using namespace velbrin;
using namespace velbrin::test;

namespace {

// A page stored as if just received, prepared with the validator of a session.
class PagePreparation : public SessionFixture {
protected:
    PagePreparation()
    {
        web = InitWeb(kPageUrl);
        web->Options.RealLinkFlag = false;
        page = web->Tree.FindFile(kPageUrl);
        page->SetFileName("page.htm");
        page->SetDescription("link text");
        session = NewSession(*web);
    }

    std::string Prepare(const std::string& html)
    {
        WriteWholeFile(capture + "page.htm", html);
        EXPECT_TRUE(web->SetHtmlLinks(*page, kPageUrl, [this](const TLinkParam& l) { return session->LinkValidator(l); }));
        return ReadWholeFile(capture + "page.htm");
    }

    // The addresses entered besides the page's own, in the tree's order.
    std::vector<std::string> Entered() const
    {
        std::vector<std::string> urls;
        web->Tree.ForEachFile([&](TWebFile&, const std::string& url) {
            if (url != kPageUrl)
                urls.push_back(url);
            return false;
        });
        return urls;
    }

    static constexpr const char* kPageUrl = "http://www.site.test/dir/page.htm";
    std::unique_ptr<TWEB> web;
    TWebFile* page = nullptr;
    std::unique_ptr<TCapture> session;
};

} // namespace

TEST_F(PagePreparation, BaseTagChangesTheBaseOfTheLinksAfterIt)
{
    std::string out = Prepare("<A HREF=\"a.htm\">a</A><BASE HREF=\"http://www.site.test/other/\"><A HREF=\"b.htm\">b</A>");
    EXPECT_EQ(out, "<A HREF=\"http://www.site.test/dir/a.htm\">a</A>"
                   "<BASE HREF=\"http://www.site.test/other/\">"
                   "<A HREF=\"http://www.site.test/other/b.htm\">b</A>");
    EXPECT_NE(web->Tree.FindFile("http://www.site.test/other/b.htm"), nullptr);
}

TEST_F(PagePreparation, RelativeAddressesOfAnHttpsPageStayHttps)
{
    const std::string secure = "https://www.site.test/dir/page.htm";
    WriteWholeFile(capture + "page.htm", "<A HREF=\"a.htm\">a</A><IMG SRC=\"//img.site.test/p.gif\">"
                                         "<STYLE>body { background: url(/bg.png) }</STYLE>");
    ASSERT_TRUE(web->SetHtmlLinks(*page, secure, [this](const TLinkParam& l) { return session->LinkValidator(l); }));
    EXPECT_EQ(ReadWholeFile(capture + "page.htm"),
              "<A HREF=\"https://www.site.test/dir/a.htm\">a</A><IMG SRC=\"https://img.site.test/p.gif\">"
              "<STYLE>body { background: url(https://www.site.test/bg.png) }</STYLE>");
    EXPECT_EQ(Entered(), (std::vector<std::string>{"https://www.site.test/dir/a.htm", "https://www.site.test/bg.png",
                                                   "https://img.site.test/p.gif"}));

    // A style sheet fetched over https: its references too.
    page->SetFileName("sheet.css");
    WriteWholeFile(capture + "sheet.css", "@import \"more.css\"; p { background: url(../dot.png) }");
    ASSERT_TRUE(web->SetCssLinks(*page, "https://www.site.test/dir/sheet.css",
                                 [this](const TLinkParam& l) { return session->LinkValidator(l); }));
    EXPECT_EQ(ReadWholeFile(capture + "sheet.css"),
              "@import \"https://www.site.test/dir/more.css\"; p { background: url(https://www.site.test/dot.png) }");
}

TEST_F(PagePreparation, LowResolutionSourceIsDroppedBeforeOrAfterTheSource)
{
    std::string out = Prepare("<IMG SRC=\"p.gif\" LOWSRC=\"low.gif\" ALT=\"x\"><IMG LOWSRC=\"low2.gif\" SRC=\"q.gif\">");
    // The attribute goes, the blanks around it stay.
    EXPECT_EQ(out, "<IMG SRC=\"http://www.site.test/dir/p.gif\"  ALT=\"x\"><IMG  SRC=\"http://www.site.test/dir/q.gif\">");
    EXPECT_EQ(web->Tree.FindFile("http://www.site.test/dir/low.gif"), nullptr);
}

TEST_F(PagePreparation, OtherProtocolsStayAsWrittenAndAreNotEntered)
{
    std::string out = Prepare("<A HREF=\"mailto:me@site.test\">m</A><A HREF=\"ftp://ftp.site.test/f.zip\">f</A>");
    EXPECT_EQ(out, "<A HREF=\"mailto:me@site.test\">m</A><A HREF=\"ftp://ftp.site.test/f.zip\">f</A>");
    EXPECT_TRUE(Entered().empty());
}

TEST_F(PagePreparation, AddressCommentFollowsTheHtmlTagWhateverItsCase)
{
    std::string out = Prepare("<!DOCTYPE html>\n<html lang=\"en\"><body>x</body></html>");
    EXPECT_EQ(out, "<!DOCTYPE html>\n<html lang=\"en\">\r\n<!-- Url : \"http://www.site.test/dir/page.htm\" -->\r\n"
                   "<body>x</body></html>");
}

TEST_F(PagePreparation, TitleBecomesTheDescriptionWithItsEntitiesDecoded)
{
    Prepare("<TITLE> Caf&eacute; &amp; th\xE9 </TITLE><A HREF=\"x.htm\">The &lt;x&gt; page</A>");
    EXPECT_EQ(page->GetDescription(), "Caf\xE9 & th\xE9");
    EXPECT_EQ(web->Tree.FindFile("http://www.site.test/dir/x.htm")->GetDescription(), "The <x> page");
}

TEST_F(PagePreparation, PageWithoutTitleKeepsItsLinkText)
{
    Prepare("<P>no title");
    EXPECT_EQ(page->GetDescription(), "link text");
}

TEST_F(PagePreparation, LinksAreEnteredInPageOrderWithTheirTypes)
{
    Prepare("<BODY BACKGROUND=\"bg.gif\"><A HREF=\"one.htm\">1</A><IMG SRC=\"pic.gif\"><A HREF=\"two.htm\">2</A>"
            "<FORM ACTION=\"/cgi-bin/post\"></FORM>");
    std::vector<std::string> order;
    std::vector<int> types;
    for (const char* url : {"http://www.site.test/dir/bg.gif", "http://www.site.test/dir/one.htm",
                            "http://www.site.test/dir/pic.gif", "http://www.site.test/dir/two.htm"}) {
        TWebFile* record = web->Tree.FindFile(url);
        ASSERT_NE(record, nullptr) << url;
        types.push_back(record->GetLinkType());
    }
    EXPECT_EQ(types, (std::vector<int>{LinkTypeBackground, LinkTypePage, LinkTypeInline, LinkTypePage}));
    // Pictures go before the pages, the last found first.
    std::vector<std::string> todo;
    for (const TWebFile* record : web->TodoList())
        todo.push_back(web->Tree.GetFileUrl(*record));
    ASSERT_GE(todo.size(), 5u);
    EXPECT_EQ(todo[0], "http://www.site.test/dir/pic.gif");
    EXPECT_EQ(todo[1], "http://www.site.test/dir/bg.gif");
    EXPECT_EQ(todo[2], "http://www.site.test/dir/page.htm");
    EXPECT_EQ(todo[3], "http://www.site.test/dir/one.htm");
    EXPECT_EQ(todo[4], "http://www.site.test/dir/two.htm");
}

TEST_F(PagePreparation, ServerSideMapAnchorIsNotFollowedButItsPictureIs)
{
    std::string out = Prepare("<A HREF=\"/cgi-bin/imagemap/nav\"><IMG SRC=\"nav.gif\" ISMAP></A>");
    EXPECT_EQ(out, "<A HREF=\"http://www.site.test/cgi-bin/imagemap/nav\"><IMG SRC=\"http://www.site.test/dir/nav.gif\" ISMAP></A>");
    EXPECT_EQ(web->Tree.FindFile("http://www.site.test/cgi-bin/imagemap/nav"), nullptr);
    EXPECT_NE(web->Tree.FindFile("http://www.site.test/dir/nav.gif"), nullptr);
    EXPECT_TRUE(page->GetIsmap());
}

TEST_F(PagePreparation, LongTagKeepsEveryByte)
{
    const std::string title(400, 't');
    std::string out = Prepare("<A TITLE=\"" + title + "\" HREF=\"far.htm\" CLASS=\"c\">far</A>");
    EXPECT_EQ(out, "<A TITLE=\"" + title + "\" HREF=\"http://www.site.test/dir/far.htm\" CLASS=\"c\">far</A>");
    EXPECT_NE(web->Tree.FindFile("http://www.site.test/dir/far.htm"), nullptr);
}

TEST_F(PagePreparation, InvalidAddressIsLoggedAndLeftAlone)
{
    std::string out = Prepare("<A HREF=\"http://nodot/x.htm\">x</A>");
    EXPECT_EQ(out, "<A HREF=\"http://nodot/x.htm\">x</A>");
    EXPECT_TRUE(Entered().empty());
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(lines.back(), "http://nodot/x.htm : url non valide");
}

TEST_F(PagePreparation, LinksOfUnknownSchemesAreLoggedAsWritten)
{
    std::string out = Prepare("<A HREF=\"gopher://secure.site.test/a\">s</A><A HREF=\"javascript:go()\">j</A>");
    EXPECT_EQ(out, "<A HREF=\"gopher://secure.site.test/a\">s</A><A HREF=\"javascript:go()\">j</A>");
    EXPECT_TRUE(Entered().empty());
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "gopher://secure.site.test/a : url non valide");
    EXPECT_EQ(lines.back(), "javascript:go() : url non valide");
}

TEST_F(PagePreparation, MissingOrForeignFileIsLeftAlone)
{
    page->SetFileName("absent.htm");
    EXPECT_FALSE(web->SetHtmlLinks(*page, kPageUrl));
    EXPECT_FALSE(FileExists(capture + "absent.htm"));
    WriteWholeFile(root.Path() + "webs/outside.htm", "<A HREF=\"x.htm\">x</A>");
    page->SetFileName("../outside.htm");
    EXPECT_FALSE(web->SetHtmlLinks(*page, kPageUrl));
    EXPECT_EQ(ReadWholeFile(root.Path() + "webs/outside.htm"), "<A HREF=\"x.htm\">x</A>");
}

namespace {

// A page of a documentation site with a reference of every kind the capture
// fetches, stored as received.
const std::string kRichPage =
    "<html lang=\"en\">\n  <head>\n"
    "    <link rel=\"stylesheet\" type=\"text/css\" href=\"../_static/pydoctheme.css?2022.1\" />\n"
    "    <script data-url_root=\"./\" id=\"documentation_options\" src=\"../_static/doctools.js\"></script>\n"
    "    <link rel=\"next\" title=\"Dealing with Bugs\" href=\"bugs.html\" />\n"
    "    <link rel=\"preconnect\" href=\"https://fonts.example.net\">\n"
    "    <style>\n      @import url(\"print.css\") print;\n      body { background: url(img/bg.png) }\n    </style>\n"
    "  </head>\n<body>\n"
    "<img src=\"p/logo.png\" srcset=\"p/logo.png 1x, p/logo@2x.png 2x\" alt=\"Logo\"/>\n"
    "<picture><source srcset=\"p/hero.webp?w=640,480 640w, data:image/gif;base64,R0lGOD= 1w\" type=\"image/webp\"></picture>\n"
    "<video controls poster='media/poster.jpg' src=media/clip.mp4></video>\n"
    "<div class=\"nav\" style=\"background:url('/img/tile.png') repeat-x\">Next: <a href=\"#top\">top</a></div>\n"
    "</body></html>\n";

// The page once prepared: every address absolute, nothing else changed.
const std::string kPreparedPage =
    "<html lang=\"en\">\r\n<!-- Url : \"http://www.site.test/dir/page.htm\" -->\r\n\n  <head>\n"
    "    <link rel=\"stylesheet\" type=\"text/css\" href=\"http://www.site.test/_static/pydoctheme.css?2022.1\" />\n"
    "    <script data-url_root=\"./\" id=\"documentation_options\" src=\"http://www.site.test/_static/doctools.js\"></script>\n"
    "    <link rel=\"next\" title=\"Dealing with Bugs\" href=\"http://www.site.test/dir/bugs.html\" />\n"
    "    <link rel=\"preconnect\" href=\"https://fonts.example.net\">\n"
    "    <style>\n      @import url(\"http://www.site.test/dir/print.css\") print;\n"
    "      body { background: url(http://www.site.test/dir/img/bg.png) }\n    </style>\n"
    "  </head>\n<body>\n"
    "<img src=\"http://www.site.test/dir/p/logo.png\" "
    "srcset=\"http://www.site.test/dir/p/logo.png 1x, http://www.site.test/dir/p/logo@2x.png 2x\" alt=\"Logo\"/>\n"
    "<picture><source srcset=\"http://www.site.test/dir/p/hero.webp?w=640,480 640w, data:image/gif;base64,R0lGOD= 1w\" "
    "type=\"image/webp\"></picture>\n"
    "<video controls poster='http://www.site.test/dir/media/poster.jpg' src=http://www.site.test/dir/media/clip.mp4></video>\n"
    "<div class=\"nav\" style=\"background:url('http://www.site.test/img/tile.png') repeat-x\">Next: <a href=\"#top\">top</a></div>\n"
    "</body></html>\n";

} // namespace

TEST_F(PagePreparation, EveryReferenceIsMadeAbsoluteAndEnteredWithItsType)
{
    EXPECT_EQ(Prepare(kRichPage), kPreparedPage);
    std::map<std::string, int> types;
    web->Tree.ForEachFile([&](TWebFile& record, const std::string& url) {
        if (url != kPageUrl)
            types[url] = record.GetLinkType();
        return false;
    });
    EXPECT_EQ(types, (std::map<std::string, int>{
                         {"http://www.site.test/_static/pydoctheme.css?2022.1", LinkTypeInline},
                         {"http://www.site.test/_static/doctools.js", LinkTypeInline},
                         {"http://www.site.test/dir/bugs.html", LinkTypePage},
                         {"http://www.site.test/dir/print.css", LinkTypeInline},
                         {"http://www.site.test/dir/img/bg.png", LinkTypeInline},
                         {"http://www.site.test/dir/p/logo.png", LinkTypeInline},
                         {"http://www.site.test/dir/p/logo@2x.png", LinkTypeInline},
                         {"http://www.site.test/dir/p/hero.webp?w=640,480", LinkTypeInline},
                         {"http://www.site.test/dir/media/poster.jpg", LinkTypeInline},
                         {"http://www.site.test/dir/media/clip.mp4", LinkTypeInline},
                         {"http://www.site.test/img/tile.png", LinkTypeInline},
                     }));
}

TEST_F(PagePreparation, PreparedPageIsRewrittenToStoredFilesAndBack)
{
    const std::string prepared = Prepare(kRichPage);
    auto store = [&](const char* url, std::uint8_t state, const char* name) {
        TWebFile* record = web->Tree.FindFile(url);
        ASSERT_NE(record, nullptr) << url;
        record->State = state;
        record->SetFileName(name);
    };
    store("http://www.site.test/_static/pydoctheme.css?2022.1", StateCapturedFile, "pydoctheme.css");
    store("http://www.site.test/_static/doctools.js", StateCapturedFile, "doctools.js");
    store("http://www.site.test/dir/bugs.html", StateCapturedPage, "bugs.html");
    store("http://www.site.test/dir/print.css", StateCapturedFile, "print.css");
    store("http://www.site.test/dir/img/bg.png", StateCapturedFile, "bg.png");
    store("http://www.site.test/dir/p/logo.png", StateCapturedFile, "logo.png");
    store("http://www.site.test/dir/p/hero.webp?w=640,480", StateCapturedFile, "hero1.webp");
    store("http://www.site.test/dir/media/poster.jpg", StateNotFound, "NotFound.htm");
    store("http://www.site.test/img/tile.png", StateCapturedFile, "tile.png");
    // p/logo@2x.png and media/clip.mp4 were not stored.

    const TPageRewriter rewriter(capture, web->Tree, web->MapList, TRewriteFlags{}, 0);
    const std::string rewritten = rewriter.Rewrite(prepared, kPageUrl);
    const std::string expected =
        "<html lang=\"en\">\r\n<!-- Url : \"http://www.site.test/dir/page.htm\" -->\r\n\n  <head>\n"
        "    <link rel=\"stylesheet\" type=\"text/css\" href=\"pydoctheme.css\" "
        "OLDREF=\"http://www.site.test/_static/pydoctheme.css?2022.1\" />\n"
        "    <script data-url_root=\"./\" id=\"documentation_options\" src=\"doctools.js\" "
        "OLDREF=\"http://www.site.test/_static/doctools.js\"></script>\n"
        "    <link rel=\"next\" title=\"Dealing with Bugs\" href=\"bugs.html\" "
        "OLDREF=\"http://www.site.test/dir/bugs.html\" />\n"
        "    <link rel=\"preconnect\" href=\"https://fonts.example.net\">\n"
        "    <style>\n      @import url(\"print.css\")/*VELBRIN OLDREF=%22http://www.site.test/dir/print.css%22*/ print;\n"
        "      body { background: url(bg.png)/*VELBRIN OLDREF=http://www.site.test/dir/img/bg.png*/ }\n    </style>\n"
        "  </head>\n<body>\n"
        "<img src=\"logo.png\" OLDREF=\"http://www.site.test/dir/p/logo.png\" "
        "srcset=\"logo.png 1x, http://www.site.test/dir/p/logo@2x.png 2x\" "
        "OLDSRCSET=\"http://www.site.test/dir/p/logo.png 1x, http://www.site.test/dir/p/logo@2x.png 2x\" alt=\"Logo\"/>\n"
        "<picture><source srcset=\"hero1.webp 640w, data:image/gif;base64,R0lGOD= 1w\" "
        "OLDSRCSET=\"http://www.site.test/dir/p/hero.webp?w=640,480 640w, data:image/gif;base64,R0lGOD= 1w\" "
        "type=\"image/webp\"></picture>\n"
        "<video controls poster='NotFound.htm' OLDPOSTER=\"http://www.site.test/dir/media/poster.jpg\" "
        "src=http://www.site.test/dir/media/clip.mp4></video>\n"
        "<div class=\"nav\" style=\"background:url('tile.png')/*VELBRIN OLDREF=%27http://www.site.test/img/tile.png%27*/ "
        "repeat-x\">Next: <a href=\"#top\">top</a></div>\n"
        "</body></html>\n";
    EXPECT_EQ(rewritten, expected);
    EXPECT_EQ(rewriter.Rewrite(rewritten, kPageUrl), rewritten);

    // Against a Web where nothing was stored, both give back the page as captured.
    const TWebTree nothingStored;
    const TPageRewriter back(capture, nothingStored, web->MapList, TRewriteFlags{}, 0);
    EXPECT_EQ(back.Rewrite(prepared, kPageUrl), prepared);
    EXPECT_EQ(back.Rewrite(rewritten, kPageUrl), prepared);
}

TEST_F(PagePreparation, StoredStyleSheetAddressesAreMadeAbsoluteAndEntered)
{
    const std::string sheetUrl = "http://www.site.test/_static/pydoctheme.css";
    WriteWholeFile(capture + "pydoctheme.css", "@import url(\"default.css\");\n"
                                               "ul.search li { background-image: url(file.png); }\n"
                                               "a { content: url('../_static/caret-down.svg'); }\n"
                                               "b { background: url(data:image/png;base64,iVBORw0KGgo=) }\n"
                                               "@font-face { src: url(\"https://fonts.example.net/f.woff2\") }\n");
    TWebFile sheet;
    sheet.SetFileName("pydoctheme.css");
    EXPECT_TRUE(web->SetCssLinks(sheet, sheetUrl, [this](const TLinkParam& l) { return session->LinkValidator(l); }));
    EXPECT_EQ(ReadWholeFile(capture + "pydoctheme.css"),
              "@import url(\"http://www.site.test/_static/default.css\");\n"
              "ul.search li { background-image: url(http://www.site.test/_static/file.png); }\n"
              "a { content: url('http://www.site.test/_static/caret-down.svg'); }\n"
              "b { background: url(data:image/png;base64,iVBORw0KGgo=) }\n"
              "@font-face { src: url(\"https://fonts.example.net/f.woff2\") }\n");
    for (const char* url : {"http://www.site.test/_static/default.css", "http://www.site.test/_static/file.png",
                            "http://www.site.test/_static/caret-down.svg", "https://fonts.example.net/f.woff2"}) {
        const TWebFile* record = web->Tree.FindFile(url);
        ASSERT_NE(record, nullptr) << url;
        EXPECT_EQ(record->GetLinkType(), LinkTypeInline) << url;
    }
    EXPECT_EQ(Entered().size(), 4u);
}
