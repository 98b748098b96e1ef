#include "IndexWeb.h"

#include "core/StreamPrimitives.h"

#include <gtest/gtest.h>

namespace velbrin {
namespace {

using testing::CountOf;
using testing::IndexWeb;

const std::string kCell = "<TD ALIGN=\"Left\" VALIGN=\"Center\" >";
const std::string kPictureCell = "<TD ALIGN=\"Center\" VALIGN=\"Center\" >";

class ListsTest : public ::testing::Test {
protected:
    ListsTest() { w.WriteTemplates("VLBN_HTML_TABLE"); }

    // One site: every file of the Web offered to the home page generator.
    void RunOneSite(TSommaireIndex& index)
    {
        TSiteCounts counts;
        web.Tree.ForEachFile([&](TWebFile& file) {
            index.CountFile(file, counts, &sizes);
            return false;
        });
        sizes.SetPosition(0);
        index.AddSite("www.example.org", "http://www.example.org/", "INDEX.htm", counts, &sizes);
        web.Tree.ForEachFile([&](TWebFile& file) {
            index.OfferFile(file);
            return false;
        });
        index.FlushLists();
    }

    IndexWeb w;
    TWEB& web = *w.web;
    TMemoryStreamEx sizes;
};

TEST_F(ListsTest, EachFileGoesToOneList)
{
    w.Page("http://www.example.org/", "INDEX.htm", "Home");
    w.Picture("http://www.example.org/logo.gif", "LOGO.gif");
    w.Add("http://www.example.org/doc.pdf", StateCapturedFile, "application/pdf", "DOC.pdf", "Manual");
    // A page used as a picture is not a page of the site.
    w.Add("http://www.example.org/frame.htm", StateCapturedPage, "text/html", "FRAME.htm", "", LinkTypeInline);
    // A type the Web's table no longer knows.
    w.Add("http://www.example.org/x.bin", StateCapturedFile, "application/x-gone", "X.bin");
    w.Add("http://www.example.org/gone.htm", StateNotFound, "text/html", "NotFound.htm", "Gone");
    w.Add("http://www.example.org/bad.htm", StateError, "", "", "Broken");
    w.Add("http://www.example.org/todo.htm", StateToExplore, "", "");
    w.Add("http://www.example.org/filtered.htm", StateFiltered, "", "");

    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    auto classify = [&](const char* url) { return index.Classify(*web.Tree.FindFile(url)); };
    EXPECT_EQ(classify("http://www.example.org/"), IndexList::Html);
    EXPECT_EQ(classify("http://www.example.org/logo.gif"), IndexList::Image);
    EXPECT_EQ(classify("http://www.example.org/doc.pdf"), IndexList::Other);
    EXPECT_EQ(classify("http://www.example.org/frame.htm"), IndexList::Other);
    EXPECT_EQ(classify("http://www.example.org/x.bin"), IndexList::Other);
    EXPECT_EQ(classify("http://www.example.org/gone.htm"), IndexList::Error);
    EXPECT_EQ(classify("http://www.example.org/bad.htm"), IndexList::Error);
    EXPECT_EQ(classify("http://www.example.org/todo.htm"), IndexList::None);
    EXPECT_EQ(classify("http://www.example.org/filtered.htm"), IndexList::None);

    RunOneSite(index);
    index.Finish();
    EXPECT_EQ(CountOf(w.Read("_IxH.htm"), "<TR>"), 1u);
    EXPECT_EQ(CountOf(w.Read("_IxI.htm"), "<IMG "), 1u);
    EXPECT_EQ(CountOf(w.Read("_IxO.htm"), "<TR>"), 3u);
    EXPECT_EQ(CountOf(w.Read("_IxE.htm"), "<TR>"), 2u);
}

TEST_F(ListsTest, OtherFileRowShowsTypeAndSize)
{
    w.Add("http://www.example.org/doc.pdf", StateCapturedFile, "application/pdf", "DOC.pdf", "Manual",
          LinkTypePage, true, std::string(3000, 'p'));
    w.Add("http://www.example.org/small.pdf", StateCapturedFile, "application/pdf", "SMALL.pdf", "", LinkTypePage,
          true, "tiny");
    w.Add("http://www.example.org/lost.pdf", StateCapturedFile, "application/pdf", "LOST.pdf", "", LinkTypePage,
          false);
    w.Add("http://www.example.org/x.bin", StateCapturedFile, "application/x-gone", "X.bin");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    RunOneSite(index);
    index.Finish();

    const std::string cell = kCell;
    EXPECT_EQ(w.Read("_IxO.htm"),
              "\r\n"
              "<TR>" + cell + "Manual</TD>\r\n"
              + cell + "<A HREF=\"DOC.pdf\">DOC.pdf</A>\r\n</TD>\r\n"
              + cell + "application/pdf</TD>\r\n"
              + cell + "2 Kb</TD>\r\n</TR>\r\n"
              "<TR>" + cell + "SMALL.pdf</TD>\r\n"
              + cell + "<A HREF=\"SMALL.pdf\">SMALL.pdf</A>\r\n</TD>\r\n"
              + cell + "application/pdf</TD>\r\n"
              + cell + "4 bytes</TD>\r\n</TR>\r\n"
              // No stored file: no link to it.
              "<TR>" + cell + "LOST.pdf</TD>\r\n"
              + cell + "LOST.pdf</TD>\r\n"
              + cell + "application/pdf</TD>\r\n"
              + cell + "Local file not found!</TD>\r\n</TR>\r\n"
              "<TR>" + cell + "X.bin</TD>\r\n"
              + cell + "<A HREF=\"X.bin\">X.bin</A>\r\n</TD>\r\n"
              + cell + "application/x-gone</TD>\r\n"
              + cell + "1 bytes</TD>\r\n</TR>\r\n"
              "</TR>\r\n\r\n\r\n");
}

TEST_F(ListsTest, ErrorRowShowsAddressAndWhatWentWrong)
{
    w.Add("http://www.example.org/gone.htm", StateNotFound, "text/html", "NotFound.htm", "Gone");
    w.Add("http://www.example.org/bad.htm", StateError, "", "");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    RunOneSite(index);
    index.Finish();
    const std::string cell = kCell;
    EXPECT_EQ(w.Read("_IxE.htm"),
              "\r\n"
              "<TR>" + cell + "Gone</TD>\r\n"
              + cell + "<A HREF=\"http://www.example.org/gone.htm\">http://www.example.org/gone.htm</A>\r\n</TD>\r\n"
              + cell + "<B>Not Found</B></TD>\r\n</TR>\r\n"
              "<TR>" + cell + "</TD>\r\n"
              + cell + "<A HREF=\"http://www.example.org/bad.htm\">http://www.example.org/bad.htm</A>\r\n</TD>\r\n"
              + cell + "<B>In error</B></TD>\r\n</TR>\r\n"
              "</TR>\r\n\r\n\r\n");
}

TEST_F(ListsTest, PictureCellHoldsThumbnailCaptionAndAddress)
{
    w.params.ImgSize = 64;
    w.params.ImgRatio = true;
    w.Picture("http://www.example.org/wide.gif", "WIDE.gif");
    TSommaireIndex index(web.Describe(), w.params, [](const std::string&) { return TPictureSize{200, 100}; }, w.templates);
    RunOneSite(index);
    index.Finish();
    EXPECT_EQ(w.Read("_IxI.htm"),
              "\r\n<TR>" + kPictureCell
                  + "<TABLE><TR><TD WITDH=\"64\" HEIGHT=\"64\" ALIGN=\"CENTER\" VALIGN=\"CENTER\">\r\n"
                    "<A HREF=\"WIDE.gif\"><IMG SRC=\"WIDE.gif\" WIDTH=\"64\" HEIGHT=\"32\" BORDER=\"0\"></IMG></A>"
                    "</TD></TR>\r\n"
                    "<TR><TD ALIGN=\"CENTER\" VALIGN=\"CENTER\"><A HREF=\"WIDE.gif\"><FONT SIZE=\"2\">(200x100)</FONT>"
                    "</A><BR>\r\n"
                    "<A HREF=\"http://www.example.org/wide.gif\">WIDE.gif</A></TD></TR></TABLE>\r\n"
                    "</TD>\r\n</TR>\r\n\r\n\r\n");
}

TEST(Thumbnail, SizesInTheBox)
{
    EXPECT_EQ(ThumbnailSize({200, 100}, 64, true), (TPictureSize{64, 32}));
    EXPECT_EQ(ThumbnailSize({100, 200}, 64, true), (TPictureSize{32, 64}));
    EXPECT_EQ(ThumbnailSize({300, 300}, 64, true), (TPictureSize{64, 64}));
    EXPECT_EQ(ThumbnailSize({65, 10}, 64, true), (TPictureSize{64, 9}));
    EXPECT_EQ(ThumbnailSize({30, 40}, 64, true), (TPictureSize{30, 40}));
    EXPECT_EQ(ThumbnailSize({64, 64}, 64, true), (TPictureSize{64, 64}));
    EXPECT_EQ(ThumbnailSize({0, 0}, 64, true), (TPictureSize{64, 64}));
    EXPECT_EQ(ThumbnailSize({200, 100}, 64, false), (TPictureSize{64, 64}));
    // Far beyond the box, without overflow.
    EXPECT_EQ(ThumbnailSize({2000000000, 1000000000}, 128, true), (TPictureSize{128, 64}));
}

struct PictureCase {
    std::int32_t imgSizeMin;
    bool ratio;
    TPictureSize stored;
    bool read;              // the size is read from the file
    bool listed;
    std::string imgSize;    // WIDTH and HEIGHT of the IMG
    std::string caption;
};

TEST_F(ListsTest, PictureSizesFollowImgSizeMinAndImgRatio)
{
    const PictureCase cases[] = {
        {0, true, {200, 100}, true, true, "WIDTH=\"64\" HEIGHT=\"32\"", "(200x100)"},
        {0, false, {200, 100}, false, true, "WIDTH=\"64\" HEIGHT=\"64\"", "(64x64)"},
        {16, false, {10, 10}, true, false, "", ""},
        {16, false, {10, 40}, true, true, "WIDTH=\"64\" HEIGHT=\"64\"", "(10x40)"},
        {16, true, {10, 40}, true, true, "WIDTH=\"10\" HEIGHT=\"40\"", "(10x40)"},
        {16, true, {16, 2}, true, true, "WIDTH=\"16\" HEIGHT=\"2\"", "(16x2)"},
        // Unreadable: shown as a box, with the box size as caption.
        {16, true, {0, 0}, true, true, "WIDTH=\"64\" HEIGHT=\"64\"", "(64x64)"},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.imgSizeMin) + (c.ratio ? " ratio " : " ") + std::to_string(c.stored.Width)
                     + "x" + std::to_string(c.stored.Height));
        IndexWeb local;
        local.WriteTemplates("VLBN_CAPTURE_IMAGECOUNT|VLBN_IMAGE_TABLE");
        local.Picture("http://www.example.org/p.gif", "P.gif");
        local.params.ImgSize = 64;
        local.params.ImgSizeMin = c.imgSizeMin;
        local.params.ImgRatio = c.ratio;
        int reads = 0;
        TPictureSizeReader reader = [&](const std::string& fileName) {
            ++reads;
            EXPECT_EQ(fileName, local.web->Path + "P.gif");
            return c.stored;
        };
        {
            TSommaireIndex index(local.web->Describe(), local.params, reader, local.templates);
            local.RunAllSites(index);
            index.Finish();
        }
        // Read once, in the counting walk; the stream carries it to the list.
        EXPECT_EQ(reads, c.read ? 1 : 0);
        if (!c.listed) {
            EXPECT_FALSE(local.Has("_IxI.htm"));
            EXPECT_EQ(local.Read("_Home.htm").find("_IxI"), std::string::npos);
            continue;
        }
        std::string page = local.Read("_IxI.htm");
        EXPECT_TRUE(page.starts_with("1|")) << page;
        EXPECT_NE(page.find("<IMG SRC=\"P.gif\" " + c.imgSize + " BORDER=\"0\">"), std::string::npos) << page;
        EXPECT_NE(page.find("<FONT SIZE=\"2\">" + c.caption + "</FONT>"), std::string::npos) << page;
    }
}

TEST_F(ListsTest, PicturesFillRowsOfColumnsThenPages)
{
    w.params.ImgLigByPage = 2;
    w.params.ImgColByPage = 3;
    w.WriteTemplate("_IxI.vlb", "VLBN_PAGE_NUMBER/VLBN_PAGE_COUNT|VLBN_IMAGE_TABLE");
    for (int i = 0; i < 7; ++i)
        w.Picture("http://www.example.org/p" + std::to_string(i) + ".gif", "P" + std::to_string(i) + ".gif");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    RunOneSite(index);
    index.Finish();
    std::string first = w.Read("_IxI.htm");
    std::string second = w.Read("_IxI01.htm");
    EXPECT_TRUE(first.starts_with("1/2|"));
    EXPECT_TRUE(second.starts_with("2/2|"));
    EXPECT_EQ(CountOf(first, "<IMG "), 6u);
    EXPECT_EQ(CountOf(first, "<TR>" + kPictureCell), 2u);
    EXPECT_EQ(CountOf(second, "<IMG "), 1u);
    EXPECT_TRUE(second.ends_with("</TD>\r\n</TR>\r\n\r\n\r\n"));
}

TEST_F(ListsTest, ShortSizeStreamLeavesTheRestUnknown)
{
    w.params.ImgRatio = true;
    w.Picture("http://www.example.org/a.gif", "A.gif");
    w.Picture("http://www.example.org/b.gif", "B.gif");
    w.WriteTemplate("_IxI.vlb", "VLBN_IMAGE_TABLE");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    TMemoryStreamEx sizes;
    AppendPictureSize(sizes, {100, 50});
    WriteInt(sizes, 7); // half a record
    sizes.SetPosition(0);
    index.AddSite("s", "u", "", TSiteCounts{0, 2, 0, 0}, &sizes);
    web.Tree.ForEachFile([&](TWebFile& file) { return !index.OfferFile(file); });
    index.FlushLists();
    std::string page = w.Read("_IxI.htm");
    EXPECT_NE(page.find("(100x50)"), std::string::npos);
    EXPECT_NE(page.find("(64x64)"), std::string::npos);
}

TEST_F(ListsTest, HostileSiteTextsStayText)
{
    web.Title = "<script>alert(1)</script>";
    w.WriteTemplates("<title>VLBN_TITLE</title><h1>VLBN_CAPTURE_TITLE</h1><a href=\"VLBN_CAPTURE_URL\">x</a>"
                     "VLBN_HTML_TABLE");
    w.Page("http://www.example.org/", "INDEX.htm", "<img src=x onerror=alert(1)>");
    w.Page("http://www.example.org/q?a=\"><script>alert(2)</script>", "Q.htm", "\"quoted\" & <b>");
    w.Add("http://www.example.org/t", StateCapturedFile, "text/<script>", "T.txt");
    w.Add("http://www.example.org/gone<script>", StateNotFound, "text/html", "NotFound.htm", "</td><script>");
    w.Picture("http://www.example.org/<svg onload=alert(3)>.gif", "SVG.gif");

    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    TSiteCounts counts;
    web.Tree.ForEachFile([&](TWebFile& file) {
        index.CountFile(file, counts, nullptr);
        return false;
    });
    index.AddSite("<i>site</i>", "http://www.example.org/\"onmouseover=\"alert(4)", "INDEX.htm", counts, nullptr);
    web.Tree.ForEachFile([&](TWebFile& file) {
        index.OfferFile(file);
        return false;
    });
    index.FlushLists();
    index.Finish();

    for (const char* name : {"_Home.htm", "_IxH.htm", "_IxI.htm", "_IxO.htm", "_IxE.htm"}) {
        SCOPED_TRACE(name);
        std::string page = w.Read(name);
        ASSERT_FALSE(page.empty());
        EXPECT_EQ(page.find("<script"), std::string::npos);
        EXPECT_EQ(page.find("<img"), std::string::npos);
        EXPECT_EQ(page.find("<svg"), std::string::npos);
        EXPECT_EQ(page.find("<b>"), std::string::npos);
        EXPECT_EQ(page.find("<i>"), std::string::npos);
        EXPECT_EQ(page.find("\"onmouseover"), std::string::npos);
        EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    }
    EXPECT_NE(w.Read("_IxH.htm").find("&quot;quoted&quot; &amp; &lt;b&gt;"), std::string::npos);
    EXPECT_NE(w.Read("_IxH.htm").find("q?a=&quot;&gt;&lt;script&gt;"), std::string::npos);
    EXPECT_NE(w.Read("_IxO.htm").find("text/&lt;script&gt;"), std::string::npos);
}

TEST_F(ListsTest, OddFileNamesAreLinkedSafely)
{
    // Names a project file may hold: each still names its own file.
    w.Page("http://www.example.org/a", "A#1.htm", "hash");
    w.Page("http://www.example.org/b", "B%41.htm", "percent");
    w.Page("http://www.example.org/c", "C:D.htm", "colon");
    w.Page("http://www.example.org/d", "D\"><x.htm", "quote");
    w.Page("http://www.example.org/e", "../E.htm", "outside");
    TSommaireIndex index(web.Describe(), w.params, {}, w.templates);
    RunOneSite(index);
    index.Finish();
    std::string page = w.Read("_IxH.htm");
    EXPECT_NE(page.find("<A HREF=\"A%231.htm\">A#1.htm</A>"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"B%2541.htm\">B%41.htm</A>"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"C%3AD.htm\">C:D.htm</A>"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"D%22%3E%3Cx.htm\">D&quot;&gt;&lt;x.htm</A>"), std::string::npos);
    EXPECT_EQ(page.find("HREF=\"../"), std::string::npos);
    EXPECT_EQ(page.find("HREF=\"..%2F"), std::string::npos);
    EXPECT_NE(page.find(kCell + "../E.htm</TD>"), std::string::npos);
}

} // namespace
} // namespace velbrin
