#include "net/HttpHeader.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(FindHeaderEnd, TwoLineFeedsEndTheHeaderWhateverCrLieBetween)
{
    EXPECT_EQ(FindHeaderEnd("HTTP/1.0 200 OK\r\n\r\nbody"), 19u);
    EXPECT_EQ(FindHeaderEnd("HTTP/1.0 200 OK\n\nbody"), 17u);
    EXPECT_EQ(FindHeaderEnd("HTTP/1.0 200 OK\n\r\nbody"), 18u);
    EXPECT_EQ(FindHeaderEnd("A\r\r\r\n\r\r\nB"), 8u);
    EXPECT_EQ(FindHeaderEnd("\n\n"), 2u);
}

TEST(FindHeaderEnd, NoEndYet)
{
    EXPECT_EQ(FindHeaderEnd(""), 0u);
    EXPECT_EQ(FindHeaderEnd("HTTP/1.0 200 OK\r\n"), 0u);
    EXPECT_EQ(FindHeaderEnd("HTTP/1.0 200 OK\r\n\r"), 0u);
    EXPECT_EQ(FindHeaderEnd("HTTP/1.0 200 OK\r\r"), 0u);
    EXPECT_EQ(FindHeaderEnd("A\nB\nC\n"), 0u);
    EXPECT_EQ(FindHeaderEnd("A\n \n"), 0u);
}

TEST(ParseHttpHeader, StatusAndLengthWithTheBodyInTheSameBlock)
{
    std::string bytes = "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_EQ(header.Status, 200);
    EXPECT_EQ(header.ContentLength, 5);
    EXPECT_TRUE(header.HasContentLength);
    EXPECT_EQ(header.ContentType, "");
    EXPECT_EQ(header.Location, "");
}

TEST(ParseHttpHeader, StatusLine)
{
    EXPECT_EQ(ParseHttpHeader("HTTP/1.0 404\r\n\r\n", 16).Status, 404);
    EXPECT_EQ(ParseHttpHeader("HTTP/1.0 abc Bad\r\n\r\n", 20).Status, 0);
    EXPECT_EQ(ParseHttpHeader("\r\n\r\n", 4).Status, 0);
    // One word ends the parse: the lines after it are not read.
    std::string bytes = "HTTP/1.0\r\nContent-Length: 7\r\n\r\nab";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_EQ(header.Status, 0);
    EXPECT_FALSE(header.HasContentLength);
    EXPECT_EQ(header.ContentLength, 2);
}

TEST(ParseHttpHeader, WithoutContentLengthTheLengthIsWhatCameWithTheHeader)
{
    std::string bytes = "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n0123456789";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_FALSE(header.HasContentLength);
    EXPECT_EQ(header.ContentLength, 10);
    EXPECT_EQ(ParseHttpHeader("HTTP/1.0 200 OK\r\n\r\n", 19).ContentLength, 0);
}

TEST(ParseHttpHeader, ContentLengthThatIsNotANumber)
{
    std::string bytes = "HTTP/1.0 200 OK\r\nContent-Length: 12x\r\n\r\nab";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_FALSE(header.HasContentLength);
    EXPECT_EQ(header.ContentLength, 2);

    bytes = "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nab";
    header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_FALSE(header.HasContentLength);
    EXPECT_EQ(header.ContentLength, 2);

    bytes = "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n";
    EXPECT_FALSE(ParseHttpHeader(bytes, FindHeaderEnd(bytes)).HasContentLength);
}

TEST(ParseHttpHeader, ContentTypeKeepsOnlyTheMediaType)
{
    auto typeOf = [](const std::string& line) {
        std::string bytes = "HTTP/1.0 200 OK\r\n" + line + "\r\n\r\n";
        return ParseHttpHeader(bytes, FindHeaderEnd(bytes)).ContentType;
    };
    EXPECT_EQ(typeOf("Content-Type: text/html"), "text/html");
    EXPECT_EQ(typeOf("Content-Type: text/html; charset=iso-8859-1"), "text/html");
    EXPECT_EQ(typeOf("Content-Type: text/html;charset=utf-8"), "text/html");
    EXPECT_EQ(typeOf("Content-Type: text/html ; charset=utf-8"), "text/html");
    EXPECT_EQ(typeOf("content-type: IMAGE/GIF"), "IMAGE/GIF");
    EXPECT_EQ(typeOf("Content-Type:"), "");
    EXPECT_EQ(typeOf("Content-Type : text/html"), ""); // a blank before the colon: not the field
    EXPECT_EQ(typeOf("X-Content-Type: text/html"), "");
}

TEST(ParseHttpHeader, FieldNamesIgnoreCase)
{
    std::string bytes = "HTTP/1.0 302 Found\r\nLOCATION: http://srv/b.htm\r\nCONTENT-LENGTH: 0\r\n\r\n";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_EQ(header.Status, 302);
    EXPECT_EQ(header.Location, "http://srv/b.htm");
    EXPECT_TRUE(header.HasContentLength);
    EXPECT_EQ(header.ContentLength, 0);
}

TEST(ParseHttpHeader, LinesEndAtCrAtLfAndAtCrLf)
{
    std::string bytes = "HTTP/1.0 301 Moved\rLocation: /a.htm\nContent-Type: text/plain\r\n\n";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_EQ(header.Status, 301);
    EXPECT_EQ(header.Location, "/a.htm");
    EXPECT_EQ(header.ContentType, "text/plain");
}

TEST(ParseHttpHeader, TheEmptyLineEndsTheParse)
{
    // Given more than the header, the parse still stops at its empty line.
    std::string bytes = "HTTP/1.0 200 OK\n\r\nContent-Length: 4\r\n\r\n";
    THTTPHEADER header = ParseHttpHeader(bytes, bytes.size());
    EXPECT_FALSE(header.HasContentLength);
}

TEST(ParseHttpHeader, LinesAreCutAt255Bytes)
{
    std::string target = "http://srv/" + std::string(300, 'a');
    std::string bytes = "HTTP/1.0 302 Found\r\nLocation: " + target + "\r\n\r\n";
    THTTPHEADER header = ParseHttpHeader(bytes, FindHeaderEnd(bytes));
    EXPECT_EQ(header.Location, target.substr(0, 255 - 10));
}

TEST(ParseHttpHeader, LocationWithoutValueIsPassedOver)
{
    std::string bytes = "HTTP/1.0 302 Found\r\nLocation:\r\nLocation: /x\r\n\r\n";
    EXPECT_EQ(ParseHttpHeader(bytes, FindHeaderEnd(bytes)).Location, "/x");
    bytes = "HTTP/1.0 302 Found\r\nLocation:\r\n\r\n";
    EXPECT_EQ(ParseHttpHeader(bytes, FindHeaderEnd(bytes)).Location, "");
}
