#include "html/HtmlPage.h"
#include "core/Url.h"
#include "html/LinkParam.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::HtmlPage;

TEST(GetLink, AnchorWithFragmentDescriptionAndMap)
{
    HtmlPage page("<A HREF=\"http://www.example.org/page.htm#sec\">Read <IMG SRC=i.gif ALT=the ISMAP> more</A> after");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.TagKind, TagA);
    EXPECT_EQ(link.LinkType, LinkTypePage);
    EXPECT_EQ(link.Link.Value, "http://www.example.org/page.htm");
    EXPECT_EQ(link.Link.ValueStart, 10);
    EXPECT_EQ(link.Link.ValueLength, 31);
    EXPECT_EQ(link.Description, "Read the  more");
    EXPECT_TRUE(link.IsMap);
    // The default test refuses the anchor around a server-side map.
    EXPECT_FALSE(AcceptLink(link));

    TLinkParam picture;
    ASSERT_TRUE(page.parser.GetLink(2, picture));
    EXPECT_EQ(picture.Link.Value, "i.gif");
    EXPECT_EQ(picture.LinkType, LinkTypeInline);
    EXPECT_TRUE(picture.IsMap);

    // Without its text, the anchor reads the same link; a picture's own
    // ISMAP is still read.
    TLinkParam bare;
    ASSERT_TRUE(page.parser.GetLink(1, bare, TLinkText::Skip));
    EXPECT_EQ(bare.Link.ValueLength, link.Link.ValueLength);
    EXPECT_TRUE(bare.Description.empty() && !bare.IsMap);
    ASSERT_TRUE(page.parser.GetLink(2, bare, TLinkText::Skip));
    EXPECT_TRUE(bare.IsMap);
}

TEST(GetLink, AnchorDescription)
{
    TLinkParam link;
    HtmlPage tags("<A HREF=x.htm>one <B>two</B> three</A> four");
    ASSERT_TRUE(tags.parser.GetLink(1, link));
    EXPECT_EQ(link.Description, "one two three");
    EXPECT_FALSE(link.IsMap);

    // ALT values are whole, blanks and all; a picture without ALT adds a blank.
    HtmlPage pictures("<A HREF=x.htm>Go<IMG SRC=a.gif ALT=\"to page\">now<IMG SRC=b.gif>!</A>");
    ASSERT_TRUE(pictures.parser.GetLink(1, link));
    EXPECT_EQ(link.Description, "Goto page now !");

    // A map picture after the closing A is not the anchor's.
    HtmlPage after("<A HREF=x.htm>a</A><IMG SRC=m.gif ISMAP>");
    ASSERT_TRUE(after.parser.GetLink(1, link));
    EXPECT_FALSE(link.IsMap);

    // No value, no description.
    HtmlPage local("<A HREF=\"#top\">Top <IMG SRC=m.gif ISMAP></A>");
    ASSERT_TRUE(local.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "");
    EXPECT_EQ(link.Description, "");
    EXPECT_FALSE(link.IsMap);
    HtmlPage bare("<A HREF>x</A>");
    EXPECT_TRUE(bare.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "");

    HtmlPage longText("<A HREF=x.htm>" + std::string(300, 'd') + "</A>");
    ASSERT_TRUE(longText.parser.GetLink(1, link));
    EXPECT_EQ(link.Description, std::string(255, 'd'));

    // An anchor never closed gathers up to the end of the page.
    HtmlPage open("<A HREF=x.htm>one<B>two");
    ASSERT_TRUE(open.parser.GetLink(1, link));
    EXPECT_EQ(link.Description, "onetwo");
}

TEST(GetLink, ManyUnclosedAnchors)
{
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "<a href=x.htm>tttttttttt";
    bytes += "<img src=m.gif ismap>";
    HtmlPage page(bytes);
    TLinkParam link;
    for (int i = 1; i < page.parser.Count() - 2; ++i) {
        ASSERT_TRUE(page.parser.GetLink(i, link));
        ASSERT_TRUE(link.IsMap);
    }
    page.parser.GetLink(1, link);
    EXPECT_EQ(link.Description.size(), 255u);
}

TEST(GetLink, EachKind)
{
    HtmlPage page("<BASE HREF=\"http://www.example.org/d/\">"      // 1
                  "<BODY BACKGROUND=paper.gif>"                     // 2
                  "<IMG SRC=\"map.gif\" ismap><IMG SRC=plain.gif>" // 3, 4
                  "<TITLE>  My page </TITLE>"                       // 5, 6
                  "<AREA SHAPE=rect HREF=\"zone.htm\">"             // 7
                  "<FRAME SRC=\"f.htm#top\">"                       // 8
                  "<FORM ACTION=\"/cgi-bin/q\">"                    // 9
                  "<INPUT TYPE=image SRC=b.gif><INPUT TYPE=text>"  // 10, 11
                  "</A HREF=x><!-- HREF=x --><P HREF=x>"           // 12, 13, 14
                  "<A HREF=x.htm OLDREF=\"http://www.example.org/x.htm\">"); // 15
    const THtmlParser& parser = page.parser;
    TLinkParam link;

    ASSERT_TRUE(parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "http://www.example.org/d/");
    EXPECT_EQ(link.LinkType, LinkTypePage);

    ASSERT_TRUE(parser.GetLink(2, link));
    EXPECT_EQ(link.Link.Value, "paper.gif");
    EXPECT_EQ(link.LinkType, LinkTypeBackground);

    ASSERT_TRUE(parser.GetLink(3, link));
    EXPECT_EQ(link.Link.Value, "map.gif");
    EXPECT_EQ(link.LinkType, LinkTypeInline);
    EXPECT_TRUE(link.IsMap);
    ASSERT_TRUE(parser.GetLink(4, link));
    EXPECT_FALSE(link.IsMap);

    // TITLE carries no link and leaves LinkType as it was.
    link.LinkType = LinkTypeBackground;
    ASSERT_TRUE(parser.GetLink(5, link));
    EXPECT_EQ(link.Description, "My page");
    EXPECT_EQ(link.Link.Value, "");
    EXPECT_EQ(link.LinkType, LinkTypeBackground);

    ASSERT_TRUE(parser.GetLink(7, link));
    EXPECT_EQ(link.Link.Value, "zone.htm");
    EXPECT_EQ(link.LinkType, LinkTypePage);

    ASSERT_TRUE(parser.GetLink(8, link));
    EXPECT_EQ(link.Link.Value, "f.htm");
    EXPECT_EQ(link.Link.ValueLength, 5);
    EXPECT_EQ(link.LinkType, LinkTypePage);

    ASSERT_TRUE(parser.GetLink(9, link));
    EXPECT_EQ(link.Link.Value, "/cgi-bin/q");

    // INPUT: an inline object, and only with a SRC value.
    link.LinkType = LinkTypeBackground;
    ASSERT_TRUE(parser.GetLink(10, link));
    EXPECT_EQ(link.Link.Value, "b.gif");
    EXPECT_EQ(link.LinkType, LinkTypeInline);
    EXPECT_FALSE(parser.GetLink(11, link));
    EXPECT_EQ(link.TagKind, TagInput);

    EXPECT_FALSE(parser.GetLink(12, link));
    EXPECT_FALSE(parser.GetLink(13, link));
    EXPECT_FALSE(parser.GetLink(14, link));
    EXPECT_EQ(link.TagKind, TagUnknown);
    EXPECT_EQ(link.Link.Value, "");

    ASSERT_TRUE(parser.GetLink(15, link));
    EXPECT_EQ(link.Link.Value, "x.htm");
    EXPECT_EQ(link.OldLink.Value, "http://www.example.org/x.htm");
    EXPECT_FALSE(parser.GetLink(0, link));
}

TEST(AcceptLink, DefaultTestAndFilter)
{
    TLinkParam link;
    link.TagKind = TagA;
    link.Link.Value = "http://www.example.org/x.htm";
    EXPECT_TRUE(AcceptLink(link));
    link.IsMap = true;
    EXPECT_FALSE(AcceptLink(link));
    // The caller's filter has the last word.
    EXPECT_TRUE(AcceptLink(link, [](const TLinkParam&) { return true; }));
    link.TagKind = TagImg;
    EXPECT_TRUE(AcceptLink(link));
    EXPECT_FALSE(AcceptLink(link, [](const TLinkParam&) { return false; }));

    link.Link.Value = "mailto:someone@example.org";
    EXPECT_FALSE(AcceptLink(link));
    link.Link.Value = "ftp://ftp.example.org/file.zip";
    EXPECT_FALSE(AcceptLink(link));
    link.Link.Value = "relative.htm";
    EXPECT_FALSE(AcceptLink(link));
}

// An address parsed by the caller is judged by its class without being parsed
// again, with the verdict a parse would give; a link read anew from a tag
// forgets the class of the address it held before.
TEST(JudgeLink, KnownClassGivesTheParsedVerdict)
{
    for (const char* address : {"http://www.example.org/x.htm", "ftp://ftp.example.org/f.zip", "relative.htm"}) {
        TLinkParam parsed;
        parsed.Link.Value = address;
        TLinkParam known = parsed;
        known.Address = ClassifyAddress(TUrl::Create(address));
        EXPECT_EQ(JudgeLink(known), JudgeLink(parsed)) << address;
    }

    HtmlPage page("<A HREF=\"mailto:a@example.org\">");
    TLinkParam link;
    link.Address = TAddressClass::Fetchable;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.Address, TAddressClass::Unknown);
    EXPECT_NE(JudgeLink(link), TLinkVerdict::Follow);
}
