#include "IndexWeb.h"

#include "core/DateTime.h"
#include "index/IndexVariables.h"
#include "index/PageNavigation.h"

#include <gtest/gtest.h>

namespace velbrin {
namespace {

using testing::CountOf;
using testing::IndexWeb;

const std::string kCell = "<TD ALIGN=\"Left\" VALIGN=\"Center\" >";

class PageIndexTest : public ::testing::Test {
protected:
    IndexWeb w;
    TWEB& web = *w.web;
};

TEST_F(PageIndexTest, PageFileNamesCountInUpperCaseHexadecimal)
{
    TPageIndex list(web.Describe(), 10, w.templates);
    EXPECT_EQ(list.PageFileName(-1), "_IxH.htm");
    EXPECT_EQ(list.PageFileName(0), "_IxH.htm");
    EXPECT_EQ(list.PageFileName(1), "_IxH01.htm");
    EXPECT_EQ(list.PageFileName(10), "_IxH0A.htm");
    EXPECT_EQ(list.PageFileName(16), "_IxH10.htm");
    EXPECT_EQ(list.PageFileName(255), "_IxHFF.htm");
    EXPECT_EQ(list.PageFileName(256), "_IxH100.htm");
    EXPECT_EQ(list.PageFileName(0x7FFFFFFF), "_IxH7FFFFFFF.htm");
}

TEST_F(PageIndexTest, RowOfTheHtmlListHasDescriptionFileAndAddress)
{
    w.WriteTemplates();
    w.Page("http://www.example.org/", "INDEX.htm", "Home");
    w.Page("http://www.example.org/a.htm", "A.htm");
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("www.example.org", "http://www.example.org/", 0, "INDEX.htm");
    list.SetItemCount(2);
    web.Tree.ForEachFile([&](TWebFile& file) { return !list.OfferFile(file); });
    list.FinishSite();

    EXPECT_EQ(w.Read("_IxH.htm"),
              "\r\n"
              "<TR>" + kCell + "Home</TD>\r\n"
              + kCell + "<A HREF=\"INDEX.htm\">INDEX.htm</A>\r\n</TD>\r\n"
              + kCell + "<A HREF=\"http://www.example.org/\">http://www.example.org/</A>\r\n</TD>\r\n"
              "</TR>\r\n"
              // No description: the file name stands for it.
              "<TR>" + kCell + "A.htm</TD>\r\n"
              + kCell + "<A HREF=\"A.htm\">A.htm</A>\r\n</TD>\r\n"
              + kCell + "<A HREF=\"http://www.example.org/a.htm\">http://www.example.org/a.htm</A>\r\n</TD>\r\n"
              "</TR>\r\n"
              // The last page closes a row once more.
              "</TR>\r\n\r\n"
              "\r\n");
}

TEST_F(PageIndexTest, HttpsAddressIsALinkOtherSchemesText)
{
    w.WriteTemplates();
    w.Page("https://www.example.org/s.htm", "S.htm", "Secure");
    w.Page("news://www.example.org/n.htm", "N.htm", "News");
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("www.example.org", "https://www.example.org/", 0, "S.htm");
    list.SetItemCount(2);
    web.Tree.ForEachFile([&](TWebFile& file) { return !list.OfferFile(file); });
    list.FinishSite();

    const std::string page = w.Read("_IxH.htm");
    EXPECT_NE(page.find(kCell + "<A HREF=\"https://www.example.org/s.htm\">https://www.example.org/s.htm</A>"),
              std::string::npos);
    EXPECT_NE(page.find(kCell + "news://www.example.org/n.htm</TD>"), std::string::npos);
}

TEST_F(PageIndexTest, EveryVariableHasItsValue)
{
    web.Title = "Les <b>Bons</b> & co";
    web.Url = "http://www.example.org/";
    web.CapturedCount = 12;
    web.ErrorCount = 3;
    web.NotFoundCount = 4;
    web.FilteredCount = 5;
    web.TotalSize = 5000;
    web.CaptureDate = EncodeDateTime(1997, 12, 7, 4, 27, 15);
    web.LastCaptureInfo.StartDate = EncodeDateTime(1997, 12, 7, 4, 27, 15);
    web.LastCaptureInfo.EndDate = EncodeDateTime(1997, 12, 7, 4, 28, 45);
    web.LastCaptureInfo.ReceivedKb = 45;
    web.LastCaptureInfo.SessionCaptured = 6;
    web.LastCaptureInfo.SessionFiltered = 7;
    web.LastCaptureInfo.SessionNotFound = 8;
    web.LastCaptureInfo.SessionErrors = 9;
    w.Page("http://www.example.org/", "INDEX.htm", "Home");

    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += std::to_string(i + 1) + "=VLBN_" + std::string(kIndexVariableNames[i]) + "\r\n";
    w.WriteTemplate("_IxH.vlb", lines);
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("Site <i>", "http://www.example.org/?a=1&b=2", 0, "INDEX.htm");
    list.SetItemCount(1);
    ASSERT_TRUE(list.OfferFile(*web.Tree.FindFile("http://www.example.org/")));
    const std::string rows = list.Content() + "</TR>\r\n\r\n";
    std::string navigation;
    WritePageNavigation(navigation, 1, 0, [](std::int32_t) { return std::string(); });
    list.FinishSite();

    const std::string values[40] = {
        "17",
        "_Home.htm",
        "Les &lt;b&gt;Bons&lt;/b&gt; &amp; co",
        "http://www.example.org/",
        "INDEX.htm",
        FormatLongDate(web.CaptureDate),
        "Site &lt;i&gt;",
        "http://www.example.org/?a=1&amp;b=2",
        "4 Kb",
        "INDEX.htm",
        "", // picture count: picture list only
        "3",
        "4",
        "12",
        "5",
        "",
        "9",
        "8",
        "6",
        "7",
        FormatLongDate(web.LastCaptureInfo.StartDate),
        FormatLongDate(web.LastCaptureInfo.EndDate),
        FormatTimeText(90.0 / 86400.0),
        "45 Kb",
        "512 bytes/s", // 45 Kb in 90 seconds
        "Les &lt;b&gt;Bons&lt;/b&gt; &amp; co",
        "1",
        "1",
        "_Home.htm",
        "_Home.htm",
        navigation,
        "",
        rows,
        rows,
        rows,
        rows,
        rows,
        "",
        "",
        "", // the site list title: home page only
    };
    std::string expected;
    for (int i = 0; i < 40; ++i)
        expected += std::to_string(i + 1) + "=" + values[i] + "\r\n";
    EXPECT_EQ(w.Read("_IxH.htm"), expected);
}

TEST_F(PageIndexTest, SizeTextsAndSpeedEdges)
{
    w.WriteTemplate("_IxH.vlb", "VLBN_CAPTURE_SIZE|VLBN_SESSION_SPEED|VLBN_SESSION_TIME");
    w.Page("http://www.example.org/", "INDEX.htm");
    auto run = [&] {
        TPageIndex list(web.Describe(), 10, w.templates);
        list.BeginSite("s", "u", 0, "");
        list.SetItemCount(1);
        list.OfferFile(*web.Tree.FindFile("http://www.example.org/"));
        list.FinishSite();
        return w.Read("_IxH.htm");
    };
    web.TotalSize = 1024;
    web.LastCaptureInfo.ReceivedKb = 10;
    web.LastCaptureInfo.StartDate = web.LastCaptureInfo.EndDate = 36000.5;
    EXPECT_EQ(run(), "1024 bytes|0 bytes/s|" + FormatTimeText(0) + "\r\n");

    // Two days and one second: the speed counts every second of it.
    web.TotalSize = 1025;
    web.LastCaptureInfo.EndDate = web.LastCaptureInfo.StartDate + 2 + 1.0 / 86400;
    EXPECT_EQ(run(), "1 Kb|0 bytes/s|48:00:01\r\n");
    web.LastCaptureInfo.ReceivedKb = 172801;
    EXPECT_EQ(run(), "1 Kb|1024 bytes/s|48:00:01\r\n");
}

TEST_F(PageIndexTest, TwentyThreePagesMakeThreePagesAndTheNextSiteGoesOn)
{
    w.WriteTemplate("_IxH.vlb", "VLBN_PAGE_NUMBER/VLBN_PAGE_COUNT back=VLBN_PAGE_BACK next=VLBN_PAGE_NEXT\r\n"
                                "VLBN_HTML_TABLE");
    for (int i = 0; i < 23; ++i)
        w.Page("http://www.example.org/p" + std::to_string(i) + ".htm", "P" + std::to_string(i) + ".htm");
    for (int i = 0; i < 2; ++i)
        w.Page("http://other.example.net/q" + std::to_string(i) + ".htm", "Q" + std::to_string(i) + ".htm");

    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(23);
    EXPECT_EQ(list.PageCount(), 3);
    web.Tree.ForEachFile([&](TWebFile& file, const std::string& url) {
        if (url.find("www.example.org") != std::string::npos)
            list.OfferFile(file);
        return false;
    });
    // Full pages were written as soon as they were full.
    EXPECT_EQ(list.PageNumber(), 2);
    list.FinishSite();
    EXPECT_EQ(list.PageNumber(), 3);

    std::string first = w.Read("_IxH.htm");
    std::string second = w.Read("_IxH01.htm");
    std::string third = w.Read("_IxH02.htm");
    EXPECT_TRUE(first.starts_with("1/3 back=_Home.htm next=_IxH01.htm\r\n"));
    EXPECT_TRUE(second.starts_with("2/3 back=_IxH.htm next=_IxH02.htm\r\n"));
    EXPECT_TRUE(third.starts_with("3/3 back=_IxH01.htm next=_Home.htm\r\n"));
    EXPECT_EQ(CountOf(first, "<TR>"), 10u);
    EXPECT_EQ(CountOf(second, "<TR>"), 10u);
    EXPECT_EQ(CountOf(third, "<TR>"), 3u);
    // A full page ends with its rows; the last, partly filled one closes a row more.
    EXPECT_TRUE(first.ends_with("</TR>\r\n\r\n\r\n"));
    EXPECT_EQ(CountOf(first, "</TR>"), 10u);
    EXPECT_EQ(CountOf(third, "</TR>"), 4u);

    list.BeginSite("two", "u", list.NextFirstPage(), "");
    list.SetItemCount(2);
    web.Tree.ForEachFile([&](TWebFile& file, const std::string& url) {
        if (url.find("other.example.net") != std::string::npos)
            list.OfferFile(file);
        return false;
    });
    list.FinishSite();
    EXPECT_TRUE(w.Read("_IxH03.htm").starts_with("1/1 back=_Home.htm next=_Home.htm\r\n"));
    EXPECT_NE(w.Read("_IxH03.htm").find("Q1.htm"), std::string::npos);
    EXPECT_FALSE(w.Has("_IxH04.htm"));
    EXPECT_EQ(first, w.Read("_IxH.htm"));
}

TEST_F(PageIndexTest, ExactlyOneFullPage)
{
    w.WriteTemplate("_IxH.vlb", "VLBN_PAGE_NUMBER/VLBN_PAGE_COUNT next=VLBN_PAGE_NEXT|VLBN_HTML_TABLE");
    for (int i = 0; i < 10; ++i)
        w.Page("http://www.example.org/p" + std::to_string(i) + ".htm", "P" + std::to_string(i) + ".htm");
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(10);
    web.Tree.ForEachFile([&](TWebFile& file) { return !list.OfferFile(file); });
    EXPECT_EQ(list.PageNumber(), 1);
    list.FinishSite();
    EXPECT_EQ(list.PageNumber(), 1);
    EXPECT_TRUE(w.Read("_IxH.htm").starts_with("1/1 next=_Home.htm|"));
    EXPECT_FALSE(w.Has("_IxH01.htm"));
    EXPECT_EQ(list.NextFirstPage(), 1);
}

TEST_F(PageIndexTest, NothingOfferedWritesNoPage)
{
    w.WriteTemplates();
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(0);
    list.FinishSite();
    EXPECT_EQ(list.PageCount(), 0);
    EXPECT_FALSE(w.Has("_IxH.htm"));
    EXPECT_EQ(list.NextFirstPage(), 0);
}

TEST_F(PageIndexTest, FewerItemsThanAnnouncedStillWriteEveryPageOffered)
{
    // A caller that counted too many: the pages the navigation offers exist all the same.
    w.WriteTemplate("_IxH.vlb", "VLBN_PAGE_NUMBER/VLBN_PAGE_COUNT|VLBN_HTML_TABLE");
    w.Page("http://www.example.org/", "INDEX.htm");
    TPageIndex list(web.Describe(), 2, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(5);
    list.OfferFile(*web.Tree.FindFile("http://www.example.org/"));
    list.FinishSite();
    EXPECT_TRUE(w.Read("_IxH.htm").starts_with("1/3|"));
    EXPECT_EQ(w.Read("_IxH01.htm"), "2/3|\r\n\r\n");
    EXPECT_EQ(w.Read("_IxH02.htm"), "3/3|\r\n\r\n");
}

TEST_F(PageIndexTest, MoreItemsThanAnnouncedDoNotOverwriteTheNextSite)
{
    w.WriteTemplate("_IxH.vlb", "VLBN_CAPTURE_TITLE");
    for (int i = 0; i < 3; ++i)
        w.Page("http://www.example.org/p" + std::to_string(i) + ".htm", "P" + std::to_string(i) + ".htm");
    TPageIndex list(web.Describe(), 1, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(1);
    web.Tree.ForEachFile([&](TWebFile& file) { return !list.OfferFile(file); });
    list.FinishSite();
    EXPECT_EQ(list.NextFirstPage(), 3);
    list.BeginSite("two", "u", list.NextFirstPage(), "");
    list.SetItemCount(1);
    list.OfferFile(*web.Tree.FindFile("http://www.example.org/p0.htm"));
    list.FinishSite();
    EXPECT_EQ(w.Read("_IxH02.htm"), "one\r\n");
    EXPECT_EQ(w.Read("_IxH03.htm"), "two\r\n");
}

TEST_F(PageIndexTest, ItemCountsStayWithinWhatATreeHolds)
{
    w.WriteTemplates();
    TPageIndex list(web.Describe(), 1, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(-5);
    EXPECT_EQ(list.PageCount(), 0);
    list.SetItemCount(0x7FFFFFFF);
    EXPECT_EQ(list.ItemCount(), 32767);
    EXPECT_EQ(list.PageCount(), 32767);
}

TEST_F(PageIndexTest, MissingTemplateWritesNothing)
{
    w.Page("http://www.example.org/", "INDEX.htm");
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(3);
    EXPECT_TRUE(list.OfferFile(*web.Tree.FindFile("http://www.example.org/")));
    list.FinishSite();
    EXPECT_FALSE(w.Has("_IxH.htm"));
    EXPECT_EQ(list.PageNumber(), 0);
    EXPECT_TRUE(list.Errors().empty());
}

TEST_F(PageIndexTest, TemplateLineEndsBecomeCrLf)
{
    w.WriteTemplate("_IxH.vlb", "a\nb\r\nVLBN_VERSION");
    w.Page("http://www.example.org/", "INDEX.htm");
    TPageIndex list(web.Describe(), 10, w.templates);
    list.BeginSite("one", "u", 0, "");
    list.SetItemCount(1);
    list.OfferFile(*web.Tree.FindFile("http://www.example.org/"));
    list.FinishSite();
    EXPECT_EQ(w.Read("_IxH.htm"), "a\r\nb\r\n17\r\n");
}

TEST_F(PageIndexTest, HtmlListTakesStoredHtmlPageLinksOnly)
{
    TPageIndex list(web.Describe(), 10, w.templates);
    EXPECT_TRUE(list.Accepts(w.Add("http://h.org/a", StateCapturedPage, "text/html", "A.htm")));
    EXPECT_TRUE(list.Accepts(w.Add("http://h.org/b", StateCapturedFile, "TEXT/HTML", "B.htm")));
    EXPECT_FALSE(list.Accepts(w.Add("http://h.org/c", StateCapturedPage, "text/html", "C.htm", "", LinkTypeInline)));
    EXPECT_FALSE(
        list.Accepts(w.Add("http://h.org/d", StateCapturedPage, "text/html", "D.htm", "", LinkTypeBackground)));
    EXPECT_FALSE(list.Accepts(w.Add("http://h.org/e", StateCapturedFile, "image/gif", "E.gif")));
    EXPECT_FALSE(list.Accepts(w.Add("http://h.org/f", StateCapturedPage, "text/x-unknown", "F.htm")));
    for (std::uint8_t state : {StateToExplore, StateInProgress, StateError, StateFiltered, StateNotFound})
        EXPECT_FALSE(list.Accepts(w.Add("http://h.org/s" + std::to_string(state), state, "text/html", "S.htm")));
}

} // namespace
} // namespace velbrin
