#include "html/HtmlPage.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::CopyItemByItem;
using velbrin::test::CopyLikeWriters;
using velbrin::test::DescribeItems;
using velbrin::test::HtmlPage;

namespace {

std::string CopyTextAfter(const THtmlParser& parser, int i)
{
    TMemoryStreamEx out;
    parser.CopyTextAfter(i, out);
    return out.ToString();
}

std::string CopyTag(const THtmlParser& parser, int i)
{
    TMemoryStreamEx out;
    parser.CopyTag(i, out);
    return out.ToString();
}

} // namespace

TEST(HtmlTokenizer, EmptyPageHasTwoBoundaries)
{
    HtmlPage page("");
    EXPECT_EQ(page.parser.Count(), 2);
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 #@0+0");
}

TEST(HtmlTokenizer, TagsTextAndBoundaries)
{
    HtmlPage page("<HTML><a href=x>Go</a></HTML>");
    EXPECT_EQ(page.source.Position(), 0);
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 HTML@0+6 A@6+10~ /A@18+4 /HTML@22+7 #@29+0");
    EXPECT_EQ(page.parser.TagText(2), "<a href=x>");
    EXPECT_EQ(page.parser.TextAfter(2), "Go");
    EXPECT_EQ(page.parser.TextAfter(3), "");
}

TEST(HtmlTokenizer, TextBeforeTheFirstTagAndAfterTheLast)
{
    HtmlPage page("ab<I>cd</I>ef");
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0~ UNKNOWN@2+3~ /UNKNOWN@7+4~ #@13+0");
    EXPECT_EQ(page.parser.TextAfter(0), "ab");
    EXPECT_EQ(page.parser.TextAfter(1), "cd");
    EXPECT_EQ(page.parser.TextAfter(2), "ef");
    EXPECT_EQ(CopyTextAfter(page.parser, 2), "ef");

    HtmlPage plain("plain > text");
    EXPECT_EQ(DescribeItems(plain.parser), "#@0+0~ #@12+0");
    EXPECT_EQ(plain.parser.TextAfter(0), "plain > text");
    EXPECT_EQ(CopyItemByItem(plain.parser), "plain > text");
}

TEST(HtmlTokenizer, LessThanInsideATagEndsItAndStartsTheNext)
{
    HtmlPage page("<A HREF=x<B>t");
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 A@0+10 UNKNOWN@9+3~ #@13+0");
    EXPECT_EQ(page.parser.TagText(1), "<A HREF=x<");
    // The shared "<" is written once, with the item it begins.
    EXPECT_EQ(CopyTag(page.parser, 1), "<A HREF=x");
    EXPECT_EQ(CopyTag(page.parser, 2), "<B>");
    EXPECT_EQ(CopyLikeWriters(page.parser), "<A HREF=x<B>t");

    TLinkParam link;
    EXPECT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "x");
}

TEST(HtmlTokenizer, CommentsEndAtTheirFirstGreaterThan)
{
    HtmlPage page("<!-- a -> b --> c -->x");
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 !@0+9~ #@22+0");
    EXPECT_EQ(page.parser.TextAfter(1), " b --> c -->x");
    EXPECT_EQ(page.parser.Item(1).Flags, TagOpen | TagTextFollows);

    HtmlPage declaration("<!DOCTYPE <x>><!><!-x><!---->");
    EXPECT_EQ(DescribeItems(declaration.parser), "#@0+0 !@0+13~ !@14+3 !@17+5 !@22+7 #@29+0");
}

TEST(HtmlTokenizer, UnclosedTagAtTheEndIsTrailingText)
{
    HtmlPage page("<B>text<A HREF=\"x");
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 UNKNOWN@0+3~ #@17+0");
    EXPECT_EQ(page.parser.TextAfter(1), "text<A HREF=\"x");

    HtmlPage comment("<B><!-- open");
    EXPECT_EQ(DescribeItems(comment.parser), "#@0+0 UNKNOWN@0+3~ #@12+0");
    EXPECT_EQ(CopyTextAfter(comment.parser, 1), "<!-- open");

    // A tag ended by a "<" that begins nothing more keeps that byte.
    HtmlPage lone("<A HREF=x<");
    EXPECT_EQ(DescribeItems(lone.parser), "#@0+0 A@0+10 #@10+0");
    EXPECT_EQ(CopyLikeWriters(lone.parser), "<A HREF=x<");
    HtmlPage tail("<A HREF=x<B");
    EXPECT_EQ(DescribeItems(tail.parser), "#@0+0 A@0+10~ #@11+0");
    EXPECT_EQ(CopyLikeWriters(tail.parser), "<A HREF=x<B");
}

TEST(HtmlTokenizer, LongTagsStayTagsUpTo64KiB)
{
    // A 300-byte picture tag is a tag; TagText keeps its first 255 bytes.
    const std::string picture = "<IMG SRC=\"a.gif\" ALT=\"" + std::string(280, 'x') + "\">";
    HtmlPage longTag(picture);
    EXPECT_EQ(DescribeItems(longTag.parser), "#@0+0 IMG@0+" + std::to_string(picture.size()) + " #@" +
                                                 std::to_string(picture.size()) + "+0");
    EXPECT_EQ(longTag.parser.TagText(1).size(), 255u);
    EXPECT_EQ(longTag.parser.FullTagText(1), picture);

    // 65534 bytes or more between "<" and ">" is text.
    const std::string tooLong = "<" + std::string(65534, 'x') + ">";
    HtmlPage page("<A>" + tooLong + "<B>");
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 A@0+3~ UNKNOWN@65539+3 #@65542+0");
    EXPECT_EQ(page.parser.TextAfter(1), tooLong.substr(0, 255));
    EXPECT_EQ(CopyTextAfter(page.parser, 1), tooLong);
}

TEST(HtmlTokenizer, ItemsStraddleReadBlocks)
{
    std::string bytes = std::string(1020, 'x') + "<A HREF=\"straddle.htm\">";
    bytes += std::string(2040 - bytes.size(), 'y') + "<!--" + std::string(30, '-') + "-->";
    bytes += std::string(3070 - bytes.size(), 'z') + "</A>";
    HtmlPage page(bytes);
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0~ A@1020+23~ !@2040+37~ /A@3070+4 #@3074+0");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "straddle.htm");
    EXPECT_EQ(link.Description.size(), 255u);
}

TEST(HtmlTokenizer, ClassifiesTagNames)
{
    struct Case {
        const char* name;
        std::uint8_t flags;
        std::uint8_t kind;
    };
    const Case cases[] = {
        {"A HREF=x", TagOpen, TagA},   {"a\thref=x", TagOpen, TagA},       {"/a ", TagClose, TagA},
        {"AREA", TagOpen, TagArea},    {"ABBR", TagOpen, TagUnknown},      {" A", TagOpen, TagUnknown},
        {"A/", TagOpen, TagA},         {"!DOCTYPE", TagOpen, TagComment},  {"/!", TagClose, TagComment},
        {"h3\r\n", TagOpen, TagH3},    {"INPUTX", TagOpen, TagUnknown},    {"Velbrin", TagOpen, TagVelbrin},
        {"", TagOpen, TagUnknown},     {"/", TagClose, TagUnknown},        {"dd", TagOpen, TagDd},
        {"UNKNOWN", TagOpen, TagUnknown},
    };
    for (const Case& c : cases) {
        TTag tag = ClassifyTag(c.name);
        EXPECT_EQ(tag.Flags, c.flags) << c.name;
        EXPECT_EQ(tag.Kind, c.kind) << c.name;
    }
}

TEST(HtmlTokenizer, OutOfRangeItems)
{
    HtmlPage page("<A HREF=x>y</A>");
    const TTag outside{TagBoundary, TagUnknown, -1, 0};
    EXPECT_EQ(page.parser.Item(page.parser.Count()), outside);
    EXPECT_EQ(page.parser.Item(-1), outside);
    EXPECT_EQ(page.parser.TagText(99), "");
    EXPECT_EQ(page.parser.TextAfter(99), "");
    TMemoryStreamEx out;
    page.parser.CopyTag(99, out);
    page.parser.CopyTagAndText(99, out);
    page.parser.CopyTagAndText(page.parser.Count() - 1, out);
    page.parser.CopyTag(0, out);
    EXPECT_EQ(out.Size(), 0);
    TLinkParam link;
    EXPECT_FALSE(page.parser.GetLink(99, link));
}

TEST(HtmlTokenizer, TextLimits)
{
    HtmlPage page("<P>" + std::string(300, 'a') + "<!--" + std::string(300, 'c') + ">");
    EXPECT_EQ(page.parser.TextAfter(1), std::string(255, 'a'));
    EXPECT_EQ(CopyTextAfter(page.parser, 1), std::string(300, 'a'));
    EXPECT_EQ(page.parser.TagText(2), "<!--" + std::string(251, 'c'));
    EXPECT_EQ(page.parser.FullTagText(2).size(), 305u);
}

TEST(HtmlTokenizer, TextUntilClose)
{
    HtmlPage page("<H3> Folder <I>name</I> here</H3>after<DD>  alone  ");
    EXPECT_EQ(page.parser.TextUntilClose(1, TagH3), "Folder name here");
    EXPECT_EQ(page.parser.TextUntilClose(5, TagDd), "alone");
}

// A parser scanned again over other bytes reads them as a new parser would:
// nothing of the earlier scan (its items, its plain reading, the anchor and
// map index) survives, whether the new text is shorter or longer.
TEST(HtmlTokenizer, RescanReadsTheNewBytesOnly)
{
    const std::string texts[] = {
        "<A HREF=a.htm>one <IMG SRC=m.gif ISMAP> two</A> <B>three</B> tail",
        "<IMG SRC=\"x.gif",
        "<A HREF=b.htm>",
        "",
        "<P CLASS=\"x>y\">text<A HREF=c.htm>c <IMG SRC=p.gif ALT=pic></A><!-- end -->",
    };
    TViewStream source(texts[0]);
    THtmlParser reused(source);
    for (const std::string& text : texts) {
        source = TViewStream(text);
        reused.Rescan();
        TViewStream fresh(text);
        const THtmlParser expected(fresh);
        SCOPED_TRACE(text);
        EXPECT_EQ(DescribeItems(reused), DescribeItems(expected));
        EXPECT_EQ(reused.ReadPlainly(), expected.ReadPlainly());
        for (int i = 0; i < expected.Count(); ++i) {
            TLinkParam got;
            TLinkParam want;
            EXPECT_EQ(reused.GetLink(i, got), expected.GetLink(i, want));
            EXPECT_EQ(got.Link.Value, want.Link.Value);
            EXPECT_EQ(got.Description, want.Description);
            EXPECT_EQ(got.IsMap, want.IsMap);
        }
    }
}
