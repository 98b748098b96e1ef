#include "core/CaseFold.h"
#include "core/Geometry.h"
#include "core/Text.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(Words, SplitOnAnyBlank)
{
    EXPECT_EQ(SplitWords("a  b\tc"), (TStringList{"a", "b", "c"}));
    EXPECT_TRUE(SplitWords(" \t\r\n ").empty());
    EXPECT_TRUE(SplitWords("").empty());

    std::string many;
    for (int i = 0; i < 150; ++i)
        many += "w ";
    EXPECT_EQ(SplitWords(many).size(), 101u);
}

TEST(Words, PositionsAreOneBased)
{
    EXPECT_EQ(SkipBlanks("  ab", 1), 3u);
    EXPECT_EQ(SkipBlanks("ab  ", 3), 0u);
    EXPECT_EQ(WordEnd("ab cd", 1), 2u);
    EXPECT_EQ(WordEnd("ab cd", 4), 5u);
}

TEST(Words, IndexIgnoresCaseAndNeedsTheColon)
{
    EXPECT_EQ(WordIndex("Content-Type:", "date: server: mime-version: content-type:"), 4);
    EXPECT_EQ(WordIndex("Content-Type", "date: server: mime-version: content-type:"), 0);
}

TEST(Texts, TrimReplaceRemove)
{
    EXPECT_EQ(TrimBlanks(" \t x y \r"), "x y");
    EXPECT_EQ(TrimBlanks("   "), "");

    std::string text = "aXbXc";
    ReplaceFirst(text, "X", "--");
    EXPECT_EQ(text, "a--bXc");
    text = "Hello hello";
    ReplaceFirstNoCase(text, "HELLO", "bye");
    EXPECT_EQ(text, "bye hello");
    text = "aabb";
    RemoveAll(text, "ab"); // "aabb" -> "ab" -> ""
    EXPECT_EQ(text, "");
}

TEST(Texts, NumbersAndCounts)
{
    EXPECT_TRUE(IsNumber("10.0.0.1"));
    EXPECT_FALSE(IsNumber("10.0.0.1a"));
    EXPECT_TRUE(IsNumber(""));
    EXPECT_EQ(CountChar('.', "a.b.c"), 2);

    EXPECT_EQ(FormatBytes(0), "0 bytes");
    EXPECT_EQ(FormatBytes(999), "999 bytes");
    EXPECT_EQ(FormatBytes(123456), "123 456 bytes");
    EXPECT_EQ(FormatBytes(1234567), "1 234 567 bytes");

    std::int64_t value = 0;
    EXPECT_TRUE(TryParseInt("-42", value));
    EXPECT_EQ(value, -42);
    EXPECT_FALSE(TryParseInt("42x", value));
    EXPECT_FALSE(TryParseInt("", value));
    EXPECT_FALSE(TryParseInt("-", value));
    EXPECT_EQ(ParseIntOr("99999999999999999999999", 7), 7);
}

TEST(Texts, HtmlEscapeCoversMarkupAndAttributes)
{
    EXPECT_EQ(HtmlEscape("<a href=\"x\">&</a>"), "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");
    EXPECT_EQ(HtmlEscape("caf\xE9 'ok'"), "caf\xE9 'ok'");
}

TEST(CaseFolding, Latin1Letters)
{
    EXPECT_TRUE(SameText("\xE9t\xE9", "\xC9T\xC9"));
    EXPECT_FALSE(SameText("\xF7", "\xD7")); // division and multiplication signs are not letters
    EXPECT_EQ(UpperCase("abc\xE0\xFF"), "ABC\xC0\xFF");
    EXPECT_EQ(FindNoCase("xxHeLLo", "hello"), 2u);
    EXPECT_EQ(NoCaseHash{}("Index.HTM"), NoCaseHash{}("index.htm"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
}

TEST(CaseFolding, FindNoCaseLooksForBothCasesOfTheFirstByte)
{
    // Candidates of either case come in page order; a failed one does not
    // hide a later one of the other case.
    EXPECT_EQ(FindNoCase("maM usemap", "MAP"), 7u);
    EXPECT_EQ(FindNoCase("Mam USEMAP", "map"), 7u);
    EXPECT_EQ(FindNoCase("ISMAP", "map"), 2u);
    EXPECT_EQ(FindNoCase("ISMAP", "map", 3), std::string::npos);
    EXPECT_EQ(FindNoCase("map", "map", 0), 0u);
    EXPECT_EQ(FindNoCase("ma", "map"), std::string::npos);
    EXPECT_EQ(FindNoCase("xmap", "map", 9), std::string::npos);
    EXPECT_EQ(FindNoCase("<a href=x>", "=X"), 7u);
    EXPECT_EQ(FindNoCase("caf\xC9 caf\xE9", "\xE9"), 3u);
    EXPECT_EQ(FindNoCase("abc", ""), 0u);
}

TEST(Geometry, NormalizeRect)
{
    EXPECT_EQ(NormalizeRect({10, 20, 1, 2}), (TRect{1, 2, 10, 20}));
}

TEST(Texts, ToUtf8KeepsValidUtf8AndConvertsLatin1)
{
    EXPECT_EQ(ToUtf8("plain ASCII"), "plain ASCII");
    EXPECT_EQ(ToUtf8("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x93\x9A"), "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x93\x9A");
    EXPECT_EQ(ToUtf8("caf\xE9 n\xB0 \xFF"), "caf\xC3\xA9 n\xC2\xB0 \xC3\xBF");
    // One stray byte makes the whole text Latin-1.
    EXPECT_EQ(ToUtf8("\xC3\xA9t\xE9"), "\xC3\x83\xC2\xA9t\xC3\xA9");
    // Forms that are not UTF-8: overlong, surrogate, beyond U+10FFFF, cut short.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x97", "\x80"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(IsValidUtf8(bad));
        EXPECT_TRUE(IsValidUtf8(ToUtf8(bad)));
    }
    EXPECT_EQ(Latin1ToUtf8("D\xE9" "but \xC3\xA9"), "D\xC3\xA9" "but \xC3\x83\xC2\xA9");
}
