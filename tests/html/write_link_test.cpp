#include "html/HtmlPage.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::HtmlPage;

namespace {

// Item i of the page written back with WriteLinkTag.
std::string WriteLink(std::string_view bytes, int i, std::string_view newLink, std::string_view oldRef)
{
    HtmlPage page(bytes);
    TLinkParam link;
    page.parser.GetLink(i, link);
    TMemoryStreamEx out;
    page.parser.WriteLinkTag(i, out, link, newLink, oldRef);
    return out.ToString();
}

// A capture-time tag pointed at a local file, then given back its address.
void ExpectRoundTrip(const std::string& captured, std::string_view local, const std::string& rewritten)
{
    HtmlPage page(captured);
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link)) << captured;
    const std::string address = link.Link.Value;
    EXPECT_EQ(WriteLink(captured, 1, local, address), rewritten);
    EXPECT_EQ(WriteLink(rewritten, 1, address, ""), captured);
}

} // namespace

TEST(WriteLinkTag, AddsOldRefAndRemovesIt)
{
    ExpectRoundTrip("<A HREF=\"http://www.example.org/p.htm#s\">", "p.htm",
                    "<A HREF=\"p.htm#s\" OLDREF=\"http://www.example.org/p.htm\">");
    // The new attribute follows the value, before the blanks that part it
    // from the next attribute.
    ExpectRoundTrip("<A HREF=http://www.example.org/ TARGET=_top>", "index.htm",
                    "<A HREF=index.htm OLDREF=\"http://www.example.org/\" TARGET=_top>");
    ExpectRoundTrip("<IMG SRC = \"http://www.example.org/a.gif\" ALT=\"a\" />", "A1.GIF",
                    "<IMG SRC = \"A1.GIF\" OLDREF=\"http://www.example.org/a.gif\" ALT=\"a\" />");
    ExpectRoundTrip("<FRAME SRC=\"http://www.example.org/f.htm#top\"\r\nNAME=f>", "F.HTM",
                    "<FRAME SRC=\"F.HTM#top\" OLDREF=\"http://www.example.org/f.htm\"\r\nNAME=f>");
}

TEST(WriteLinkTag, ExistingOldRef)
{
    // A later pass keeps the captured address and changes the link.
    EXPECT_EQ(WriteLink("<IMG SRC=\"a.gif\" OLDREF=\"http://www.example.org/a.gif\">", 1, "b.gif",
                        "http://www.example.org/a.gif"),
              "<IMG SRC=\"b.gif\" OLDREF=\"http://www.example.org/a.gif\">");
    // OLDREF written before the link attribute does not disturb it.
    const char* before = "<A OLDREF=\"http://www.example.org/x\" HREF=\"x.htm\">";
    EXPECT_EQ(WriteLink(before, 1, "y.htm", "http://www.example.org/y"),
              "<A OLDREF=\"http://www.example.org/y\" HREF=\"y.htm\">");
    EXPECT_EQ(WriteLink(before, 1, "http://www.example.org/x", ""), "<A HREF=\"http://www.example.org/x\">");
    // An empty OLDREF is replaced, not doubled.
    EXPECT_EQ(WriteLink("<A HREF=x.htm OLDREF=\"\">", 1, "y.htm", "http://www.example.org/x.htm"),
              "<A HREF=y.htm OLDREF=\"http://www.example.org/x.htm\">");
}

TEST(WriteLinkTag, NothingToKeep)
{
    // Without OLDREF and without an address to keep, the tag stays as it is.
    EXPECT_EQ(WriteLink("<A HREF=x.htm>", 1, "y.htm", ""), "<A HREF=x.htm>");
    // No link attribute: nothing is written before or inside the tag but OLDREF.
    const char* named = "<A NAME=x OLDREF=\"http://www.example.org/\">";
    EXPECT_EQ(WriteLink(named, 1, "p.htm", "http://www.example.org/"), named);
    EXPECT_EQ(WriteLink(named, 1, "p.htm", ""), "<A NAME=x>");
    EXPECT_EQ(WriteLink("<A NAME=x>", 1, "p.htm", "http://www.example.org/"), "<A NAME=x>");
    // A link attribute without value gets one.
    EXPECT_EQ(WriteLink("<A HREF=>", 1, "p.htm", "http://www.example.org/"),
              "<A HREF=p.htm OLDREF=\"http://www.example.org/\">");
}

TEST(WriteLinkTag, EmptiedPictureGetsItsFileLater)
{
    const std::string address = "http://www.example.org/a.gif";
    // An unquoted value emptied gets its quotes.
    const std::string emptied = WriteLink("<IMG SRC=" + address + ">", 1, "", address);
    EXPECT_EQ(emptied, "<IMG SRC=\"\" OLDREF=\"" + address + "\">");
    const std::string local = WriteLink(emptied, 1, "A.GIF", address);
    EXPECT_EQ(local, "<IMG SRC=\"A.GIF\" OLDREF=\"" + address + "\">");
    EXPECT_EQ(WriteLink(local, 1, address, ""), "<IMG SRC=\"" + address + "\">");
}

TEST(WriteLinkTag, TagEndedByTheNextTag)
{
    HtmlPage page("<A HREF=http://www.example.org/<B>");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    TMemoryStreamEx out;
    page.parser.WriteLinkTag(1, out, link, "p.htm", link.Link.Value);
    page.parser.CopyTag(2, out);
    EXPECT_EQ(out.ToString(), "<A HREF=p.htm OLDREF=\"http://www.example.org/\"<B>");

    HtmlPage rewritten(out.ToString());
    ASSERT_TRUE(rewritten.parser.GetLink(1, link));
    TMemoryStreamEx back;
    rewritten.parser.WriteLinkTag(1, back, link, link.OldLink.Value, "");
    rewritten.parser.CopyTag(2, back);
    EXPECT_EQ(back.ToString(), "<A HREF=http://www.example.org/<B>");
}

TEST(WriteLinkTag, LongTagsKeepTheirEnd)
{
    // 254 bytes between "<" and ">", the link near the end.
    const std::string title = "<A TITLE=\"" + std::string(230, 't') + "\" ";
    const std::string newLink = "http://www.example.org/" + std::string(100, 'p') + ".htm";
    EXPECT_EQ(WriteLink(title + "HREF=long.htm>", 1, newLink, "long.htm"),
              title + "HREF=" + newLink + " OLDREF=\"long.htm\">");

    // A short tag that grows past 255 bytes keeps its OLDREF.
    const std::string address = "http://www.example.org/" + std::string(200, 'a') + ".gif";
    EXPECT_EQ(WriteLink("<IMG SRC=\"" + address + "\">", 1, std::string(200, 'B') + ".GIF", address),
              "<IMG SRC=\"" + std::string(200, 'B') + ".GIF\" OLDREF=\"" + address + "\">");
}

TEST(WriteLinkTag, OverlappingAttributesStayInsideTheTag)
{
    // After "=" and a blank, OLDREF=... is the link's unquoted value, not an
    // attribute: the value is replaced and OLDREF follows it.
    EXPECT_EQ(WriteLink("<A HREF= OLDREF=\"http://www.example.org/\">", 1, "p.htm", "http://www.example.org/q"),
              "<A HREF= p.htm OLDREF=\"http://www.example.org/q\">");
}

TEST(WriteTag, EditsInOriginalPositions)
{
    // Page preparation: an absolute SRC and no LOWSRC, in one go.
    HtmlPage page("<IMG SRC=a.gif LOWSRC=b.gif<P>");
    TTagParam src;
    TTagParam lowsrc;
    ASSERT_TRUE(page.parser.GetParam("SRC", 1, src));
    ASSERT_TRUE(page.parser.GetParam("LOWSRC", 1, lowsrc));
    TTagEdits edits;
    edits.Replace(src.ValueStart, src.ValueLength, "http://www.example.org/a.gif");
    edits.Delete(lowsrc.ParamStart, lowsrc.ParamLength);
    TMemoryStreamEx out;
    page.parser.WriteTag(1, out, edits);
    page.parser.CopyTag(2, out);
    EXPECT_EQ(out.ToString(), "<IMG SRC=http://www.example.org/a.gif <P>");
}

TEST(WriteLinkTag, TagGrownPast255BytesIsStillATagToTheNextPass)
{
    // The rewritten tag is longer than 255 bytes; the next pass still sees the
    // anchor, its local link and its OLDREF, so it can point it elsewhere.
    const std::string address = "http://www.example.org/" + std::string(200, 'a') + ".htm";
    HtmlPage page("<A HREF=\"" + address + "\">x</A>");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    TMemoryStreamEx out;
    page.parser.WriteLinkTag(1, out, link, "LOCAL.HTM", address);
    EXPECT_EQ(out.ToString(), "<A HREF=\"LOCAL.HTM\" OLDREF=\"" + address + "\">");

    HtmlPage next(out.ToString() + "x</A>");
    TLinkParam again;
    ASSERT_TRUE(next.parser.GetLink(1, again));
    EXPECT_EQ(again.Link.Value, "LOCAL.HTM");
    EXPECT_EQ(again.OldLink.Value, address.substr(0, 255));
}
