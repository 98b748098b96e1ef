#include "html/HtmlPage.h"
#include "html/TagEdits.h"
#include "html/TagParam.h"

#include <gtest/gtest.h>

using namespace velbrin;

namespace {

struct Found {
    bool result;
    int paramStart;
    int paramLength;
    int valueStart;
    int valueLength;
    std::string value;
    char quote;
    bool quotedTwice;
};

Found Find(std::string_view tag, std::string_view name)
{
    TTagParam param;
    bool result = FindTagParam(tag, name, param);
    return {result,         param.ParamStart, param.ParamLength, param.ValueStart,
            param.ValueLength, param.Value,   param.Quote,       param.QuotedTwice};
}

void ExpectFound(const Found& actual, const Found& expected, std::string_view tag)
{
    EXPECT_EQ(actual.result, expected.result) << tag;
    EXPECT_EQ(actual.paramStart, expected.paramStart) << tag;
    EXPECT_EQ(actual.paramLength, expected.paramLength) << tag;
    EXPECT_EQ(actual.valueStart, expected.valueStart) << tag;
    EXPECT_EQ(actual.valueLength, expected.valueLength) << tag;
    EXPECT_EQ(actual.value, expected.value) << tag;
    EXPECT_EQ(actual.quote, expected.quote) << tag;
    EXPECT_EQ(actual.quotedTwice, expected.quotedTwice) << tag;
}

} // namespace

TEST(TagParam, PositionsOfQuotedAndUnquotedValues)
{
    const char* img = "<IMG SRC=\"a.gif\" ALT=x>";
    ExpectFound(Find(img, "SRC"), {true, 6, 11, 11, 5, "a.gif", '"', false}, img);
    ExpectFound(Find(img, "alt"), {true, 18, 5, 22, 1, "x", 0, false}, img);

    // An unquoted value takes the blanks after it into the attribute.
    const char* anchor = "<A HREF=x TITLE=t>";
    ExpectFound(Find(anchor, "HREF"), {true, 4, 7, 9, 1, "x", 0, false}, anchor);
    // ... and one double quote after them.
    const char* quoteAfter = "<A HREF=x \"y\">";
    ExpectFound(Find(quoteAfter, "HREF"), {true, 4, 8, 9, 1, "x", 0, false}, quoteAfter);

    const char* spaced = "<A HREF = \"x.htm\" >";
    ExpectFound(Find(spaced, "HREF"), {true, 4, 14, 12, 5, "x.htm", '"', false}, spaced);
}

TEST(TagParam, QuotesTwiceAndEmptyQuotes)
{
    const char* twice = "<IMG SRC=\"\"a.gif\"\">";
    ExpectFound(Find(twice, "SRC"), {true, 6, 13, 12, 5, "a.gif", '"', true}, twice);
    // An empty quoted value sits between its quotes.
    const char* empty = "<IMG SRC=\"\">";
    ExpectFound(Find(empty, "SRC"), {false, 6, 6, 11, 0, "", '"', false}, empty);
    // Blanks inside quotes belong to the value.
    const char* words = "<IMG ALT=\"two words\">";
    ExpectFound(Find(words, "ALT"), {true, 6, 15, 11, 9, "two words", '"', false}, words);
}

TEST(TagParam, NameMatching)
{
    // Names match whole: SRC is not SRCX.
    EXPECT_EQ(Find("<IMG SRCX=b.gif SRC=a.gif>", "SRC").value, "a.gif");
    // Nothing inside a quoted value is an attribute.
    EXPECT_EQ(Find("<A TITLE=\"see HREF=x.htm\" HREF=y.htm>", "HREF").value, "y.htm");
    // The tag name is not an attribute.
    EXPECT_FALSE(Find("<IMG SRC=x>", "IMG").result);
    ExpectFound(Find("<A NAME=x>", "HREF"), {false, 1, 0, 1, 0, "", 0, false}, "no HREF");
}

TEST(TagParam, MissingValueStaysInsideTheTag)
{
    // No value: the attribute ends before the tag's last byte, where a value
    // would go.
    ExpectFound(Find("<A HREF>", "HREF"), {false, 4, 4, 8, 0, "", 0, false}, "<A HREF>");
    ExpectFound(Find("<A HREF=>", "HREF"), {false, 4, 5, 9, 0, "", 0, false}, "<A HREF=>");
    ExpectFound(Find("<A HREF = >", "HREF"), {false, 4, 7, 11, 0, "", 0, false}, "<A HREF = >");
    EXPECT_FALSE(Find("", "HREF").result);
    EXPECT_FALSE(Find("<>", "HREF").result);
}

TEST(TagParam, GetParamSearchesTheWholeTag)
{
    // 254 bytes between "<" and ">": TagText lacks the ">" and the last
    // byte of the value, GetParam does not.
    const std::string tag = "<A TITLE=\"" + std::string(230, 't') + "\" HREF=long.htm>";
    ASSERT_EQ(tag.size(), 256u);
    velbrin::test::HtmlPage page(tag);
    TTagParam param;
    ASSERT_TRUE(page.parser.GetParam("HREF", 1, param));
    EXPECT_EQ(param.Value, "long.htm");
    EXPECT_EQ(param.ValueStart, 248);
    EXPECT_EQ(param.ValueLength, 8);
}

TEST(TagEdits, EditsUseOriginalPositions)
{
    TTagEdits edits;
    edits.Replace(9, 1, "new.htm");    // the value x
    edits.Insert(10, " OLDREF=\"x\""); // after it
    edits.Delete(11, 8);               // TITLE=t and the blank before the ">"
    EXPECT_EQ(edits.Apply("<A HREF=x TITLE=t >"), "<A HREF=new.htm OLDREF=\"x\" >");

    TTagEdits order;
    order.Insert(4, "1");
    order.Insert(4, "2");
    order.Replace(4, 1, "R");
    EXPECT_EQ(order.Apply("<A x>"), "<A 12R>");
}

TEST(TagEdits, NeverTouchTheTagsEnds)
{
    TTagEdits edits;
    edits.Replace(1, 1, "[");  // the "<"
    edits.Replace(4, 2, "yy"); // reaches the ">"
    edits.Insert(5, "z");      // just before the ">"
    edits.Replace(3, 1, "_");
    edits.Replace(2, 2, "BB"); // overlaps the one before
    EXPECT_EQ(edits.Apply("<A x>"), "<A_xz>");
    EXPECT_EQ(edits.Apply(""), "");
}

TEST(TagParam, TwoNamesInOneReadingMatchTwoSearches)
{
    // Both orders, a repeated name (the first counts), one name missing, a
    // value in two pairs of quotes, a name given twice, an empty name, and a
    // name that only appears inside another attribute's value.
    const char* const tags[] = {
        "<a href=\"x.htm#f\" OLDREF=\"http://h/x.htm\">",
        "<a OLDREF='http://h/&amp;y' class=c href=y.htm>",
        "<a href=one href=two oldref=\"\" OLDREF=later>",
        "<img alt=\"href=no\" src=\"\"pic.gif\"\" width=2>",
        "<frame src\n=\n\"f.htm\">",
        "<a>",
        "<a title=\"OLDREF=x\" href=>",
    };
    const std::pair<const char*, const char*> names[] = {
        {"OLDREF", "HREF"}, {"OLDREF", "SRC"}, {"HREF", "HREF"}, {"OLDREF", ""}};
    for (std::string_view tag : tags) {
        for (const auto& [firstName, secondName] : names) {
            TTagParam first;
            TTagParam second;
            first.Value = second.Value = "left over";
            FindTagParams(tag, firstName, first, secondName, second);
            const Found both[] = {
                {!first.Value.empty(), first.ParamStart, first.ParamLength, first.ValueStart, first.ValueLength,
                 first.Value, first.Quote, first.QuotedTwice},
                {!second.Value.empty(), second.ParamStart, second.ParamLength, second.ValueStart,
                 second.ValueLength, second.Value, second.Quote, second.QuotedTwice}};
            ExpectFound(both[0], Find(tag, firstName), tag);
            ExpectFound(both[1], Find(tag, secondName), tag);
        }
    }
}
