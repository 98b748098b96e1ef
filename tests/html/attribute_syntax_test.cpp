#include "html/AttributeValue.h"
#include "html/HtmlPage.h"
#include "html/TagParam.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::CopyItemByItem;
using velbrin::test::CopyLikeWriters;
using velbrin::test::DescribeItems;
using velbrin::test::HtmlPage;

namespace {

TTagParam Find(std::string_view tag, std::string_view name)
{
    TTagParam param;
    FindTagParam(tag, name, param);
    return param;
}

// The bytes a param's positions cover in the tag.
std::string Written(std::string_view tag, const TTagParam& param)
{
    return std::string(tag.substr(param.ValueStart - 1u, param.ValueLength));
}

} // namespace

TEST(AttributeSyntax, QuotesOfEveryKind)
{
    const std::string tag = "<a title='x > \"y\"' href = 'about.html' class=\"a b\" id=top>";
    const TTagParam title = Find(tag, "TITLE");
    EXPECT_EQ(title.Value, "x > \"y\"");
    EXPECT_EQ(title.Quote, '\'');
    const TTagParam href = Find(tag, "href");
    EXPECT_EQ(href.Value, "about.html");
    EXPECT_EQ(href.Quote, '\'');
    EXPECT_EQ(tag.substr(href.ParamStart - 1u, href.ParamLength), "href = 'about.html'");
    EXPECT_EQ(Find(tag, "class").Value, "a b");
    const TTagParam id = Find(tag, "id");
    EXPECT_EQ(id.Value, "top");
    EXPECT_EQ(id.Quote, 0);

    // The tag ends at the ">" after the last value, not inside the first.
    HtmlPage page("<p>" + tag + "text</a><img alt=\"a<b\" src=b.gif>");
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 UNKNOWN@0+3 A@3+58~ /A@65+4 IMG@69+25 #@94+0");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(2, link));
    EXPECT_EQ(link.Link.Value, "about.html");
    EXPECT_EQ(link.Description, "text");
    ASSERT_TRUE(page.parser.GetLink(4, link));
    EXPECT_EQ(link.Link.Value, "b.gif");
}

TEST(AttributeSyntax, NamesAndValuesStandWhole)
{
    // SRCSET is not SRC, whatever comes first.
    const char* picture = "<img srcset=\"a.gif 1x, b.gif 2x\" src=c.gif>";
    EXPECT_EQ(Find(picture, "SRC").Value, "c.gif");
    EXPECT_EQ(Find(picture, "SRCSET").Value, "a.gif 1x, b.gif 2x");

    // Words inside a value are not attributes.
    HtmlPage page("<a title=\"a OLDREF=b\" href=x.htm>");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "x.htm");
    EXPECT_FALSE(link.OldLink.Found());

    // The first of two attributes of one name counts; one without "=" has an
    // empty value; stray quotes outside values are part of names.
    EXPECT_EQ(Find("<a HREF=1 href=2>", "href").Value, "1");
    const char* input = "<input disabled src=x.gif>";
    EXPECT_TRUE(Find(input, "DISABLED").Found());
    EXPECT_EQ(Find(input, "DISABLED").Value, "");
    EXPECT_EQ(Find(input, "SRC").Value, "x.gif");
    EXPECT_EQ(Find("<a x\"=\"y\" href=z>", "href").Value, "z");

    const std::vector<TTagAttribute> all = ReadTagAttributes("<IMG SRC='a b.gif' ISMAP alt=x>");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].Name, "SRC");
    EXPECT_EQ(all[0].Param.Value, "a b.gif");
    EXPECT_EQ(all[1].Name, "ISMAP");
    EXPECT_EQ(all[2].Param.Value, "x");
}

TEST(AttributeSyntax, ValuesAreReadDecoded)
{
    const std::string tag = "<a href=\"q?a=1&amp;b=&#38;&#x26;&eacute;&copy=5&bogus;&#300;&#x2;#p&amp;\">";
    TTagParam param = Find(tag, "href");
    EXPECT_EQ(param.Value, "q?a=1&b=&&\xE9&copy=5&bogus;&#300;\x02#p&");
    EXPECT_EQ(Written(tag, param), tag.substr(9, tag.size() - 11));

    // An anchor's value stops before its "#", a decoded one too; the written
    // length follows the references before it.
    HtmlPage page("<a href=\"q?a=1&amp;b=&#35;x#p\">");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "q?a=1&b=");
    EXPECT_EQ(link.Link.ValueLength, 12);
}

TEST(AttributeSyntax, ValuesWrittenBackReadTheSame)
{
    const std::string value = "a&b &amp; &#38 \"x\" 'y' <z>";
    EXPECT_EQ(EncodeAttributeValue(value, '"'), "a&b &amp;amp; &amp;#38 &quot;x&quot; 'y' <z>");
    EXPECT_EQ(EncodeAttributeValue(value, '\''), "a&b &amp;amp; &amp;#38 \"x\" &#39;y&#39; <z>");
    EXPECT_EQ(EncodeAttributeValue(value, 0), "\"a&b &amp;amp; &amp;#38 &quot;x&quot; 'y' <z>\"");
    EXPECT_EQ(EncodeAttributeValue("x.htm?a=1&b=2", 0), "x.htm?a=1&b=2");
    EXPECT_EQ(EncodeAttributeValue("", 0), "\"\"");
    EXPECT_EQ(EncodeAttributeValue("'x'", 0), "\"'x'\"");
    for (char quote : {'"', '\''})
        EXPECT_EQ(DecodeAttributeValue(EncodeAttributeValue(value, quote)), value);

    // An unquoted value that needs quotes is quoted with the fragment after it.
    HtmlPage page("<A HREF=http://www.example.org/p.htm#s TARGET=_top>");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    TMemoryStreamEx out;
    page.parser.WriteLinkTag(1, out, link, "my page.htm", "http://www.example.org/p.htm?a&amp;b");
    EXPECT_EQ(out.ToString(),
              "<A HREF=\"my page.htm#s\" OLDREF=\"http://www.example.org/p.htm?a&amp;amp;b\" TARGET=_top>");
    HtmlPage back(out.ToString());
    ASSERT_TRUE(back.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "my page.htm");
    EXPECT_EQ(link.OldLink.Value, "http://www.example.org/p.htm?a&amp;b");
}

TEST(HtmlTokenizer, RawTextElements)
{
    const std::string page = "<SCRIPT>if (a<b) document.write('<a href=\"x.htm\"><!--')</script ><a href=y.htm>"
                             "<style>p<a{}</STYLE><title>A <b> title</title/><textarea><a href=z></textarea>"
                             "<script>no end<a href=w.htm>";
    HtmlPage html(page);
    EXPECT_EQ(DescribeItems(html.parser), "#@0+0 SCRIPT@0+8~ /SCRIPT@55+10 A@65+14 STYLE@79+7~ /STYLE@91+8 "
                                          "TITLE@99+7~ /TITLE@117+9 TEXTAREA@126+10~ /TEXTAREA@146+11 "
                                          "SCRIPT@157+8~ A@171+14 #@185+0");
    EXPECT_EQ(html.parser.TextAfter(1), "if (a<b) document.write('<a href=\"x.htm\"><!--')");
    TLinkParam link;
    ASSERT_TRUE(html.parser.GetLink(6, link));
    EXPECT_EQ(link.Description, "A <b> title");
    EXPECT_EQ(CopyItemByItem(html.parser), page);
    EXPECT_EQ(CopyLikeWriters(html.parser), page);

    // Names match whole, "/" ends one.
    EXPECT_EQ(ClassifyTag("IFRAME src=x").Kind, TagIframe);
    EXPECT_EQ(ClassifyTag("I").Kind, TagUnknown);
    EXPECT_EQ(ClassifyTag("SCRIPTS").Kind, TagUnknown);
    EXPECT_EQ(ClassifyTag("img/").Kind, TagImg);
    HtmlPage notClosing("<script>a</scripts>b</script>");
    EXPECT_EQ(DescribeItems(notClosing.parser), "#@0+0 SCRIPT@0+8~ /SCRIPT@20+9 #@29+0");
}

TEST(HtmlTokenizer, BrokenQuotesFallBackToThePlainRule)
{
    // A quote never closed: the tag ends at its first ">", as if unquoted.
    const std::string unclosed = "<a href=\"x.htm>next</a><b>";
    HtmlPage page(unclosed);
    EXPECT_EQ(DescribeItems(page.parser), "#@0+0 A@0+15~ /A@19+4 UNKNOWN@23+3 #@26+0");
    TLinkParam link;
    ASSERT_TRUE(page.parser.GetLink(1, link));
    EXPECT_EQ(link.Link.Value, "x.htm");

    // A quote closed only past the tag limit does not swallow the page.
    const std::string far = "<a title=\"a>b" + std::string(70000, 'x') + "\">c";
    HtmlPage farPage(far);
    EXPECT_EQ(DescribeItems(farPage.parser), "#@0+0 A@0+12~ #@" + std::to_string(far.size()) + "+0");
    EXPECT_EQ(CopyItemByItem(farPage.parser), far);

    // Quotes away from a value start are plain bytes.
    HtmlPage stray("<a b\"c>d\">");
    EXPECT_EQ(DescribeItems(stray.parser), "#@0+0 A@0+7~ #@10+0");
}
