#include "IndexWeb.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

namespace velbrin {
namespace {

using testing::CountOf;
using testing::IndexWeb;
using testing::LinksOf;
using testing::WriteText;

const std::string kCell = "<TD ALIGN=\"Left\" VALIGN=\"Center\" >";

class SommaireTest : public ::testing::Test {
protected:
    // Three sites: one of every kind of file, one of pages only, one where
    // nothing was stored.
    void AddThreeSites()
    {
        w.Page("http://www.example.org/", "INDEX.htm", "Example home");
        for (int i = 0; i < 12; ++i)
            w.Page("http://www.example.org/p" + std::to_string(i) + ".htm", "P" + std::to_string(i) + ".htm");
        w.Picture("http://www.example.org/logo.gif", "LOGO.gif");
        w.Add("http://www.example.org/doc.pdf", StateCapturedFile, "application/pdf", "DOC.pdf", "Manual");
        w.Add("http://www.example.org/gone.htm", StateNotFound, "text/html", "NotFound.htm");
        w.Page("http://second.example.net/start.htm", "START.htm", "Second");
        w.Add("http://third.example.com/", StateError, "", "");
        WriteText(web.Path + "NotFound.htm", "report page");
    }

    IndexWeb w;
    TWEB& web = *w.web;
};

TEST_F(SommaireTest, HomePageListsEverySiteWithItsLists)
{
    w.WriteTemplates("VLBN_SITE_TITLE|VLBN_HTML_TABLE");
    AddThreeSites();
    w.params.LigByPage = 10;
    {
        TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
        w.RunAllSites(index);
        index.Finish();
        EXPECT_EQ(index.SiteCount(), 3u);
        EXPECT_TRUE(index.AllErrors().empty());
    }
    const std::string cell = kCell;
    EXPECT_EQ(w.Read("_Home.htm"),
              "Site list|\r\n"
              "<TR>" + cell + "<A HREF=\"INDEX.htm\">www.example.org</A>\r\n</TD>\r\n"
              + cell + "<A HREF=\"_IxH.htm\">Htmls</A>\r\n</TD>\r\n"
              + cell + "<A HREF=\"_IxI.htm\">Images</A>\r\n</TD>\r\n"
              + cell + "<A HREF=\"_IxO.htm\">Others</A>\r\n</TD>\r\n"
              + cell + "<A HREF=\"_IxE.htm\">Errors</A>\r\n</TD>\r\n</TR>\r\n"
              // The first site took two pages of its HTML list.
              "<TR>" + cell + "<A HREF=\"START.htm\">second.example.net</A>\r\n</TD>\r\n"
              + cell + "<A HREF=\"_IxH02.htm\">Htmls</A>\r\n</TD>\r\n"
              + cell + "      </TD>\r\n"
              + cell + "      </TD>\r\n"
              + cell + "      </TD>\r\n</TR>\r\n"
              // Nothing stored: no first page, no lists but the errors.
              "<TR>" + cell + "third.example.com</TD>\r\n"
              + cell + "     </TD>\r\n"
              + cell + "      </TD>\r\n"
              + cell + "      </TD>\r\n"
              + cell + "<A HREF=\"_IxE01.htm\">Errors</A>\r\n</TD>\r\n</TR>\r\n"
              "</TR>\r\n\r\n"
              "\r\n");
    EXPECT_TRUE(w.Has("_IxH01.htm"));
    EXPECT_NE(w.Read("_IxH02.htm").find("START.htm"), std::string::npos);
    EXPECT_FALSE(w.Has("_IxI01.htm"));
    EXPECT_NE(w.Read("_IxE01.htm").find("http://third.example.com/"), std::string::npos);
}

TEST_F(SommaireTest, HomePageIsWrittenOnlyWhenFinished)
{
    w.WriteTemplates();
    AddThreeSites();
    auto index = std::make_unique<TSommaireIndex>(web.Describe(), w.params, TPictureSizeReader{}, w.templates);
    w.RunAllSites(*index);
    EXPECT_TRUE(w.Has("_IxH.htm"));
    EXPECT_FALSE(w.Has("_Home.htm"));
    index->Finish();
    EXPECT_TRUE(w.Has("_Home.htm"));

    // Without Finish the destructor writes it.
    IndexWeb other;
    other.WriteTemplates();
    other.Page("http://www.example.org/", "INDEX.htm");
    {
        TSommaireIndex unfinished(other.web->Describe(), other.params, {}, other.templates);
        other.RunAllSites(unfinished);
    }
    EXPECT_TRUE(other.Has("_Home.htm"));
}

TEST_F(SommaireTest, NoSiteNoPage)
{
    w.WriteTemplates();
    w.Add("http://www.example.org/", StateFiltered, "", "");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    index.Finish();
    EXPECT_FALSE(w.Has("_Home.htm"));
}

TEST_F(SommaireTest, HundredSitesPerHomePage)
{
    w.WriteTemplates("VLBN_PAGE_NUMBER/VLBN_PAGE_COUNT VLBN_PAGE_NEXT|VLBN_PAGE_INDEX|VLBN_HTML_TABLE");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    for (int i = 0; i < 101; ++i) {
        index.AddSite("site" + std::to_string(i), "", "", TSiteCounts{}, nullptr);
        index.FlushLists();
    }
    index.Finish();
    std::string first = w.Read("_Home.htm");
    std::string second = w.Read("_Home01.htm");
    EXPECT_TRUE(first.starts_with("1/2 _Home01.htm|"));
    EXPECT_TRUE(second.starts_with("2/2 _Home.htm|"));
    EXPECT_NE(first.find("<A HREF=\"_Home01.htm\">2</A>"), std::string::npos);
    EXPECT_EQ(CountOf(first, "<TR>" + kCell), 100u);
    EXPECT_EQ(CountOf(second, "<TR>" + kCell), 1u);
    EXPECT_NE(second.find("site100"), std::string::npos);
}

TEST_F(SommaireTest, TemplateDirectoryFilesAreCopiedButTemplates)
{
    w.WriteTemplates();
    WriteText(w.templates + "_velbrin_index.css", "body{}");
    WriteText(w.templates + "_velbrin_logo.svg", "<svg/>");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    EXPECT_EQ(w.Read("_velbrin_index.css"), "body{}");
    EXPECT_EQ(w.Read("_velbrin_logo.svg"), "<svg/>");
    EXPECT_FALSE(w.Has("_Home.vlb"));
    EXPECT_FALSE(w.Has("_IxH.vlb"));
}

TEST_F(SommaireTest, CapturedFileWithAnIndexNameIsKept)
{
    // A site may hold a page named like one of ours ("_IxH.htm" fits the
    // stored names' eight characters): the captured copy wins, and Finish says so.
    w.WriteTemplates();
    w.Page("http://www.example.org/", "INDEX.htm");
    w.Add("http://www.example.org/_IxH.htm", StateCapturedPage, "text/html", "_IxH.htm", "", LinkTypePage, true,
          "captured page");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    w.RunAllSites(index);
    try {
        index.Finish();
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("_IxH.htm"), std::string::npos) << error.what();
    }
    EXPECT_EQ(w.Read("_IxH.htm"), "captured page");
    EXPECT_TRUE(w.Has("_Home.htm"));
}

TEST_F(SommaireTest, PagesThatCannotBeWrittenAreReportedByFinish)
{
    w.WriteTemplates();
    w.Page("http://www.example.org/", "INDEX.htm");
    w.Page("http://www.example.org/a.htm", "A.htm");
    // The directory is gone and a file stands in its place.
    std::filesystem::remove_all(web.Path);
    WriteText(web.Path.substr(0, web.Path.size() - 1), "not a directory");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    w.RunAllSites(index);
    EXPECT_THROW(index.Finish(), EInOutError);
    EXPECT_GE(index.AllErrors().size(), 2u);
    EXPECT_NO_THROW(index.Finish());
}

TEST_F(SommaireTest, DestructorSwallowsWriteErrors)
{
    w.WriteTemplates();
    w.Page("http://www.example.org/", "INDEX.htm");
    web.Path = w.env.dir / "no/such/";
    WriteText(w.env.dir / "no", "file");
    EXPECT_NO_THROW({
        TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
        w.RunAllSites(index);
    });
}

// Every link of every generated page names a file of the Web's directory, or
// is an address on the web.
void ExpectLinksResolve(const IndexWeb& w)
{
    int pages = 0;
    for (const std::string& name : ListFiles(w.web->Path, "*.htm")) {
        if (!name.starts_with("_"))
            continue;
        ++pages;
        for (const std::string& link : LinksOf(w.Read(name))) {
            SCOPED_TRACE(name + ": " + link);
            if (link.starts_with("http:"))
                continue;
            ASSERT_FALSE(link.empty());
            EXPECT_EQ(link.find('/'), std::string::npos);
            EXPECT_TRUE(w.Has(link));
        }
    }
    EXPECT_GT(pages, 5);
}

TEST_F(SommaireTest, EveryLinkOfTheShippedTemplatesLeadsToAFile)
{
    AddThreeSites();
    web.Title = "Example";
    web.CapturedCount = 16;
    w.params.LigByPage = 5;
    w.params.ImgRatio = true;
    for (int i = 0; i < 20; ++i)
        w.Picture("http://www.example.org/i" + std::to_string(i) + ".gif", "I" + std::to_string(i) + ".gif");
    // A stored file that went missing since.
    w.Add("http://www.example.org/lost.htm", StateCapturedPage, "text/html", "LOST.htm", "", LinkTypePage, false);
    {
        TSommaireIndex index(web.Describe(), w.params, [](const std::string&) { return TPictureSize{40, 30}; },
                             testing::DataIndexDir());
        w.RunAllSites(index);
        index.Finish();
    }
    ExpectLinksResolve(w);
    EXPECT_TRUE(w.Has("_IxH03.htm")); // 14 pages of the first site in 3 pages, the second site's one
    EXPECT_TRUE(w.Has("_IxI01.htm"));
    EXPECT_NE(w.Read("_Home.htm").find("<h1>Example</h1>"), std::string::npos);
    EXPECT_EQ(w.Read("_Home.htm").find("VLBN_"), std::string::npos);
}

TEST_F(SommaireTest, EveryLinkLeadsToAFileAlsoWithoutAHomePage)
{
    // The start page failed: the templates' home-page links lead to the index's home page.
    w.Add("http://www.example.org/", StateError, "", "");
    w.Picture("http://www.example.org/a.gif", "A.gif");
    w.Add("http://www.example.org/lost.gif", StateCapturedFile, "image/gif", "LOST.gif", "", LinkTypeInline, false);
    w.Add("http://www.example.org/b.pdf", StateCapturedFile, "application/pdf", "B.pdf");
    w.Add("http://www.example.org/c.pdf", StateCapturedFile, "application/pdf", "C.pdf", "", LinkTypePage, false);
    w.Add("http://other.example.org/", StateNotFound, "text/html", "NotFound.htm");
    web.CapturedCount = 2;
    {
        TSommaireIndex index(web.Describe(), w.params, {}, testing::DataIndexDir());
        w.RunAllSites(index);
        index.Finish();
    }
    for (const std::string& name : ListFiles(web.Path, "_*.htm")) {
        for (const std::string& link : LinksOf(w.Read(name))) {
            SCOPED_TRACE(name + ": " + link);
            if (!link.starts_with("http:")) {
                EXPECT_TRUE(w.Has(link));
            }
        }
    }
    EXPECT_TRUE(w.Has("_Home.htm"));
    EXPECT_TRUE(w.Has("_IxE01.htm"));
    EXPECT_NE(w.Read("_IxI.htm").find("Local file not found!"), std::string::npos);
    // The site of failed links alone has no first page.
    EXPECT_NE(w.Read("_IxE01.htm").find("<a href=\"_Home.htm\">First page of the site</a>"), std::string::npos);
}

} // namespace
} // namespace velbrin
