#include "index/IndexVariables.h"
#include "index/PageNavigation.h"

#include <string>

#include <gtest/gtest.h>

namespace velbrin {

namespace {

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

// Writes "<n>" for every variable.
std::string Substitute(std::string_view line)
{
    std::string page;
    SubstituteLine(line, page, [](std::string& out, int variable) { out += "<" + std::to_string(variable) + ">"; });
    return page;
}

TEST(IndexVariables, EveryNameHasItsNumberInTableOrder)
{
    const char* names[] = {
        "VERSION", "SOMMAIRE", "TITLE", "URL", "HOMEPAGE", "CAPTURE_DATE", "CAPTURE_TITLE", "CAPTURE_URL",
        "CAPTURE_SIZE", "CAPTURE_HOMEPAGE", "CAPTURE_IMAGECOUNT", "CAPTURE_ERRORCOUNT", "CAPTURE_NOTFOUNDCOUNT",
        "CAPTURE_HTMLCOUNT", "CAPTURE_FILTEREDCOUNT", "CAPTURE_TODOCOUNT", "SESSION_ERRORCOUNT",
        "SESSION_NOTFOUNDCOUNT", "SESSION_CAPTUREDCOUNT", "SESSION_FILTEREDCOUNT", "SESSION_STARTIME",
        "SESSION_STOPTIME", "SESSION_TIME", "SESSION_SIZE", "SESSION_SPEED", "PAGE_TITLE", "PAGE_COUNT",
        "PAGE_NUMBER", "PAGE_NEXT", "PAGE_BACK", "PAGE_INDEX", "IMAGE_COUNT", "IMAGE_TABLE", "HTML_TABLE",
        "SOUND_TABLE", "VIDEO_TABLE", "OTHER_TABLE", "WEB_TABLE", "LOG_TABLE", "SITE_TITLE",
    };
    ASSERT_EQ(std::size(names), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(MatchIndexVariable(names[i]), i + 1) << names[i];
        EXPECT_EQ(Substitute(std::string("[VLBN_") + names[i] + "]"), "[<" + std::to_string(i + 1) + ">]\r\n");
    }
}

TEST(IndexVariables, NamesSharingAStartAreTakenWhole)
{
    EXPECT_EQ(Substitute("VLBN_CAPTURE_TITLE VLBN_TITLE VLBN_PAGE_TITLE VLBN_SITE_TITLE"),
              "<7> <3> <26> <40>\r\n");
    EXPECT_EQ(Substitute("VLBN_SESSION_TIME VLBN_SESSION_STARTIME VLBN_SESSION_STOPTIME"), "<23> <21> <22>\r\n");
    EXPECT_EQ(Substitute("VLBN_IMAGE_COUNT VLBN_CAPTURE_IMAGECOUNT VLBN_IMAGE_TABLE"), "<32> <11> <33>\r\n");
    EXPECT_EQ(Substitute("VLBN_URL VLBN_CAPTURE_URL VLBN_HOMEPAGE VLBN_CAPTURE_HOMEPAGE"), "<4> <8> <5> <10>\r\n");
}

TEST(IndexVariables, TextAfterANameStaysText)
{
    // The first name the text starts with is taken; the rest is text.
    EXPECT_EQ(Substitute("VLBN_TITLEBAR"), "<3>BAR\r\n");
    EXPECT_EQ(Substitute("VLBN_URLS."), "<4>S.\r\n");
    EXPECT_EQ(Substitute("a\"VLBN_PAGE_NEXT\"b"), "a\"<29>\"b\r\n");
}

TEST(IndexVariables, UnknownNameLosesOnlyThePrefix)
{
    EXPECT_EQ(Substitute("VLBN_CAPTURE_"), "CAPTURE_\r\n");
    EXPECT_EQ(Substitute("x VLBN_NOTHING y"), "x NOTHING y\r\n");
    EXPECT_EQ(Substitute("VLBN_"), "\r\n");
    EXPECT_EQ(Substitute("VLBN_VLBN_TITLE"), "<3>\r\n");
    EXPECT_EQ(Substitute("VLBN_title vlbn_TITLE VLBN_Title"), "title vlbn_TITLE Title\r\n");
}

TEST(IndexVariables, ValuesAreNotSearchedAgain)
{
    std::string page;
    SubstituteLine("VLBN_TITLE|VLBN_URL", page, [](std::string& out, int variable) {
        out += variable == 3 ? "VLBN_URL" : "u";
    });
    EXPECT_EQ(page, "VLBN_URL|u\r\n");
}

TEST(IndexVariables, LineWithoutVariableIsCopiedWithCrLf)
{
    EXPECT_EQ(Substitute(""), "\r\n");
    EXPECT_EQ(Substitute("<p>VLB N_TITLE</p>"), "<p>VLB N_TITLE</p>\r\n");
    std::string longLine(600, 'a');
    EXPECT_EQ(Substitute(longLine + "VLBN_VERSION"), longLine + "<1>\r\n");
}

std::string Navigation(std::int32_t count, std::int32_t number)
{
    std::string page;
    WritePageNavigation(page, count, number, [](std::int32_t k) { return "p" + std::to_string(k) + ".htm"; });
    return page;
}

// Index pages are UTF-8.
const std::string kNavHead = "\r\n<!-- D\xC3\xA9" "but Index sur les Pages -->\r\n<TABLE BORDER=\"0\" CELLSPACING=\"5\">\r\n";
const std::string kNavTail = "</TABLE>\r\n<!-- Find Index sur les Pages -->\r\n";

TEST(PageNavigation, NoPageGivesAnEmptyTable)
{
    EXPECT_EQ(Navigation(0, 0), kNavHead + kNavTail);
}

TEST(PageNavigation, OnePageIsShownInBold)
{
    EXPECT_EQ(Navigation(1, 0),
              kNavHead + "<TR><TD>Page n\xC2\xB0</TD><TD><BLINK><B>1</B></BLINK></TD>\r\n</TR>\r\n" + kNavTail);
}

TEST(PageNavigation, OtherPagesAreLinks)
{
    EXPECT_EQ(Navigation(3, 1), kNavHead
                                    + "<TR><TD>Page n\xC2\xB0</TD><TD><A HREF=\"p0.htm\">1</A></TD>\r\n"
                                      "<TD><BLINK><B>2</B></BLINK></TD>\r\n"
                                      "<TD><A HREF=\"p2.htm\">3</A></TD>\r\n"
                                      "</TR>\r\n"
                                    + kNavTail);
}

TEST(PageNavigation, FiftyPagesFillTwoRowsOfTwentyFive)
{
    std::string nav = Navigation(50, 49);
    EXPECT_EQ(CountOf(nav, "<TR>"), 2u);
    EXPECT_EQ(CountOf(nav, "<A HREF="), 49u);
    EXPECT_NE(nav.find("<TD><A HREF=\"p24.htm\">25</A></TD>\r\n</TR>\r\n<TR><TD></TD><TD><A HREF=\"p25.htm\">26</A>"),
              std::string::npos);
    EXPECT_NE(nav.find("<BLINK><B>50</B></BLINK></TD>\r\n</TR>\r\n</TABLE>"), std::string::npos);
}

TEST(PageNavigation, TwentySixPagesStartASecondRow)
{
    std::string nav = Navigation(26, 0);
    EXPECT_EQ(CountOf(nav, "<TR>"), 2u);
    EXPECT_NE(nav.find("<TR><TD></TD><TD><A HREF=\"p25.htm\">26</A></TD>\r\n</TR>\r\n"), std::string::npos);
}

TEST(PageNavigation, ManyPagesOfferEveryStepthPage)
{
    // 120 pages: step 3, pages 1, 4, 7, ... 118 in rows of 25 and 15.
    std::string nav = Navigation(120, 3);
    EXPECT_EQ(CountOf(nav, "<TR>"), 2u);
    EXPECT_EQ(CountOf(nav, "<TD>") - 2, 40u); // without the two leading cells
    EXPECT_NE(nav.find("<A HREF=\"p0.htm\">1</A>"), std::string::npos);
    EXPECT_NE(nav.find("<BLINK><B>4</B></BLINK>"), std::string::npos);
    EXPECT_NE(nav.find("<A HREF=\"p6.htm\">7</A>"), std::string::npos);
    EXPECT_NE(nav.find("<A HREF=\"p117.htm\">118</A></TD>\r\n</TR>\r\n</TABLE>"), std::string::npos);
    EXPECT_EQ(nav.find("p1.htm"), std::string::npos);
    EXPECT_EQ(nav.find("p119.htm"), std::string::npos);
}

} // namespace
} // namespace velbrin
