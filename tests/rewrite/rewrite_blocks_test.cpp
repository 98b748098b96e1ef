#include "rewrite/RewriteWeb.h"

#include "core/MemoryStream.h"
#include "rewrite/RewriteFooter.h"
#include "rewrite/RewriteMarkers.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::kFooter;
using velbrin::test::RewriteWeb;

namespace {

const std::string kAddress(RewriteWeb::kPageAddress);

std::string Footer(std::string_view address = kAddress)
{
    return RealLinkFooter(address, RewriteWeb::kCaptureDate);
}

int CountOf(std::string_view text, std::string_view part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(RealLinkFooter, Bytes)
{
    TMemoryStreamEx out;
    AppendRealLinkFooter(out, "http://www.example.org/", RewriteWeb::kCaptureDate);
    EXPECT_EQ(out.ToString(), "<!--VELBRIN=ON-->  \r\n"
                              "<p><hr><b></i></s></u><var><center>  \r\n"
                              "Captured by Velbrin from  <A HREF=http://www.example.org/>http://www.example.org/</a> : " +
                                  FormatShortDate(RewriteWeb::kCaptureDate) +
                                  "  \r\n"
                                  "<hr> \r\n"
                                  "<!--VELBRIN=OFF--> ");

    // However long the address, the block keeps it and its closing marker.
    const std::string address = "http://www.example.org/" + std::string(300, 'x') + ".htm";
    const std::string footer = Footer(address);
    EXPECT_EQ(CountOf(footer, address), 2);
    EXPECT_TRUE(footer.ends_with("<!--VELBRIN=OFF--> "));
}

TEST(RewriteBlocks, OneFooterPerPass)
{
    RewriteWeb web;
    const std::string page = "<HTML><BODY>text</BODY></HTML>\r\n";
    const std::string first = web.Rewrite(page, kFooter);
    EXPECT_EQ(first, page + Footer());
    EXPECT_EQ(web.Rewrite(first, kFooter), first);
    // Without the flag the footer goes.
    EXPECT_EQ(web.Rewrite(first), page);

    // A footer written at capture time for a long address is replaced whole.
    const std::string address = "http://www.example.org/" + std::string(300, 'x') + ".htm";
    EXPECT_EQ(web.Rewrite(page + Footer(address), kFooter), first);
}

TEST(RewriteBlocks, TextAroundAFooterIsKept)
{
    RewriteWeb web;
    // Text after the closing marker, beyond the blank the footer writes, is the page's.
    EXPECT_EQ(web.Rewrite("<P>a" + Footer() + " tail<B>b</B>"), "<P>a tail<B>b</B>");
    // A page that ends in an unfinished comment or tag keeps that end: the
    // footer goes before it, so that nothing of ours finishes it.
    const std::string open = "<P>a<!-- open";
    EXPECT_EQ(web.Rewrite(open, kFooter), "<P>a" + Footer() + "<!-- open");
    EXPECT_EQ(web.Rewrite("<P>a" + Footer() + "<!-- open", kFooter), "<P>a" + Footer() + "<!-- open");
    EXPECT_EQ(web.Rewrite("<P>a" + Footer() + "<!-- open"), open);
    // A footer that an earlier writer put after it ran into the comment.
    EXPECT_EQ(web.Rewrite(open + Footer(), kFooter), "<P>a" + Footer() + "<!-- open");
    EXPECT_EQ(web.Rewrite(open + Footer()), open);

    web.Add("http://www.example.org/p.htm", StateCapturedPage, "P.HTM");
    const std::string tag = "<P>a<A HREF=http://www.example.org/p.htm";
    EXPECT_EQ(web.Rewrite(tag, kFooter), "<P>a" + Footer() + "<A HREF=http://www.example.org/p.htm");
    // A tag ended by a "<" that nothing closed keeps that "<" at the end.
    const std::string ended = "<P>a<A HREF=http://www.example.org/p.htm<";
    const std::string first = web.Rewrite(ended, kFooter);
    EXPECT_EQ(first, "<P>a<A HREF=P.HTM OLDREF=\"http://www.example.org/p.htm\"" + Footer() + "<");
    EXPECT_EQ(web.Rewrite(first, kFooter), first);
}

TEST(RewriteBlocks, OnlyExactMarkersFenceABlock)
{
    RewriteWeb web;
    // Comments that mention the markers are the page's own.
    for (const char* page : {"<!-- VELBRIN=ON --><P>kept<!-- VELBRIN=OFF -->", "<!--velbrin=on--><P>kept",
                             "<!--VELBRIN=ON--x--><P>kept<!--VELBRIN=OFF-->"}) {
        EXPECT_EQ(web.Rewrite(page), page);
    }
    // An exact block is dropped with its markers.
    EXPECT_EQ(web.Rewrite("<P>a<!--VELBRIN=ON--><B>old</B><!--VELBRIN=OFF--> <P>b"), "<P>a<P>b");
    EXPECT_EQ(web.Rewrite("<P>a<!--VELBRIN MAP=ON-->\r\n<map name=\"x\">\r\n</map>\r\n<!--VELBRIN MAP=OFF--><P>b"),
              "<P>a<P>b");
}

TEST(RewriteBlocks, UnmatchedMarkersStayContent)
{
    RewriteWeb web;
    // An opening marker never closed, whose bytes are not a footer's.
    const std::string unclosed = "<P>a<!--VELBRIN=ON--><P>the rest of the page";
    EXPECT_EQ(web.Rewrite(unclosed), unclosed);
    const std::string first = web.Rewrite(unclosed, kFooter);
    EXPECT_EQ(first, unclosed + Footer());
    // The later, complete block is ours; the page's marker stays.
    EXPECT_EQ(web.Rewrite(first, kFooter), first);
    EXPECT_EQ(web.Rewrite(first), unclosed);

    // A closing marker outside any block.
    const std::string stray = "<P>a<!--VELBRIN=OFF--> b<!--VELBRIN MAP=OFF-->c";
    EXPECT_EQ(web.Rewrite(stray), stray);
}

TEST(RewriteBlocks, FooterCutShortIsDroppedToTheEnd)
{
    RewriteWeb web;
    const std::string page = "<HTML>text</HTML>";
    const std::string cut = Footer().substr(0, 150);
    ASSERT_EQ(cut.find("VELBRIN=OFF"), std::string::npos);
    EXPECT_EQ(web.Rewrite(page + cut, kFooter), page + Footer());
    EXPECT_EQ(web.Rewrite(page + cut), page);
}

TEST(RewriteBlocks, BlocksOfBothKinds)
{
    RewriteWeb web;
    const std::string map = std::string(kMapOn) + "\r\n<map name=\"m\">\r\n<area href=x>\r\n</map>\r\n" +
                            std::string(kMapOff);
    // A map block inside a footer, and a footer inside a map block: each is
    // dropped whole.
    EXPECT_EQ(web.Rewrite("<P>a" + std::string(kFooterOn) + map + std::string(kFooterOff) + " b"), "<P>ab");
    EXPECT_EQ(web.Rewrite("<P>a" + std::string(kMapOn) + Footer() + std::string(kMapOff) + "b"), "<P>ab");
    // A second opening marker opens the block; the first stays.
    EXPECT_EQ(web.Rewrite("<P>a<!--VELBRIN=ON-->b<!--VELBRIN=ON-->c<!--VELBRIN=OFF-->d"), "<P>a<!--VELBRIN=ON-->bd");
}

TEST(RewriteBlocks, TagEndedByABlock)
{
    // An unfinished tag that the block's "<" ended runs into the text after
    // the block once the block is gone; the rewrite reads the page that way.
    RewriteWeb web;
    web.Add("http://www.example.org/p.htm", StateCapturedPage, "P.HTM");
    const std::string page = "<P>a<A HREF=http://www.example.org/p.htm" + Footer() + "tail";
    const std::string first = web.Rewrite(page);
    EXPECT_EQ(first, "<P>a<A HREF=P.HTM OLDREF=\"http://www.example.org/p.htm\"tail");
    EXPECT_EQ(web.Rewrite(first), first);
}
