#include "browser/BrowserDde.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(BrowserDde, ServiceNameIsTheUpperCasedFileNameBeforeItsFirstDot)
{
    EXPECT_EQ(DdeServiceName("/opt/web/Browse.exe"), "BROWSE");
    EXPECT_EQ(DdeServiceName("/usr/bin/my.browser.exe"), "MY");
    EXPECT_EQ(DdeServiceName("/usr/lib/dir.d/firefox"), "FIREFOX");
    EXPECT_EQ(DdeServiceName(""), "");
}

TEST(BrowserDde, OpenUrlItemQuotesTheTargetWithoutEscaping)
{
    EXPECT_EQ(DdeOpenUrlItem("/w/_Home.htm"), "\"/w/_Home.htm\",,0xffffffff,0x00000000,,,");
    EXPECT_EQ(DdeOpenUrlItem("a\"b"), "\"a\"b\",,0xffffffff,0x00000000,,,");
}

TEST(BrowserDde, NoConversationOpensOnThisPlatform)
{
    EXPECT_FALSE(DdeOpenUrl("/usr/bin/browser", "/w/_Home.htm", true));
    std::string address = "kept?";
    std::string title = "kept?";
    EXPECT_FALSE(GetBrowserWindowInfo("/usr/bin/browser", address, 255, title, 255));
    EXPECT_EQ(address, "");
    EXPECT_EQ(title, "");
}

TEST(SplitQuoted, QuotedStringsWithBackslashEscapes)
{
    EXPECT_EQ(SplitQuoted("\"http://a/\",\"Title\""), (TStringList{"http://a/", "Title"}));
    EXPECT_EQ(SplitQuoted("junk \"a\\\"b\\\\c\" junk"), (TStringList{"a\"b\\c"}));
    EXPECT_EQ(SplitQuoted("\"\",\"x\""), (TStringList{"", "x"}));
    EXPECT_EQ(SplitQuoted("\"done\",\"unterminated"), (TStringList{"done"}));
    EXPECT_EQ(SplitQuoted("\"ends in escape\\\""), TStringList{});
    EXPECT_EQ(SplitQuoted("no quotes"), TStringList{});
}

TEST(BrowserWindowInfo, TitlesLoseTheProgramPrefixAndBrackets)
{
    EXPECT_EQ(CleanBrowserTitle("NetScape - [Home page]", 255), "Home page");
    EXPECT_EQ(CleanBrowserTitle("netscape - Plain", 255), "Plain");
    EXPECT_EQ(CleanBrowserTitle("[Bracketed]", 255), "Bracketed");
    EXPECT_EQ(CleanBrowserTitle(" \t\x01 x \r\n", 255), "x");
    EXPECT_EQ(CleanBrowserTitle("[unbalanced", 255), "[unbalanced");
    EXPECT_EQ(CleanBrowserTitle("[]", 255), "");
    // Cut before the clean-up: the closing bracket may be cut away.
    EXPECT_EQ(CleanBrowserTitle("[abcdef]", 5), "[abcd");
    EXPECT_EQ(CleanBrowserTitle("netscape - ", 255), "netscape -"); // trimmed first, so no prefix left
}

TEST(BrowserWindowInfo, ReplyGivesAddressAndCleanedTitle)
{
    std::string address = "old";
    std::string title = "old";
    EXPECT_FALSE(ReadWindowInfoReply("", address, 255, title, 255));
    EXPECT_EQ(address, "old");

    EXPECT_TRUE(ReadWindowInfoReply("\"http://www.example.org/page.htm\",\"Netscape - [Example]\"", address, 10,
                                    title, 255));
    EXPECT_EQ(address, "http://www");
    EXPECT_EQ(title, "Example");

    title = "untouched";
    EXPECT_TRUE(ReadWindowInfoReply("\"http://a/\"", address, 255, title, 255));
    EXPECT_EQ(address, "http://a/");
    EXPECT_EQ(title, "untouched");
}
