#include "net/HttpHeader.h"

#include "core/CaseFold.h"
#include "core/ShortString.h"
#include "core/Text.h"
#include "net/Lines.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace velbrin {

namespace {

// The field names the parse knows; the position of a name in this list,
// from 1, is its number.
constexpr std::string_view kFieldNames[] = {
    "date:", "server:", "mime-version:", "content-type:", "last-modified:", "content-length:", "location:",
    "WWW-Authenticate:", "Set-Cookie:", "transfer-encoding:", "content-encoding:", "connection:",
};
constexpr int kContentTypeField = 4;
constexpr int kContentLengthField = 6;
constexpr int kLocationField = 7;
constexpr int kTransferEncodingField = 10;
constexpr int kContentEncodingField = 11;
constexpr int kConnectionField = 12;

// The comma-separated words of a field's value (what follows its name on the
// line), without blanks around them.
std::vector<std::string_view> ValueTokens(std::string_view line)
{
    line = line.substr(0, kShortStringMax);
    std::size_t colon = line.find(':');
    std::vector<std::string_view> tokens;
    if (colon == std::string_view::npos)
        return tokens;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty()) {
        std::size_t comma = value.find(',');
        std::string_view token = value.substr(0, comma);
        while (!token.empty() && IsBlank(token.front()))
            token.remove_prefix(1);
        while (!token.empty() && IsBlank(token.back()))
            token.remove_suffix(1);
        if (!token.empty())
            tokens.push_back(token);
        if (comma == std::string_view::npos)
            break;
        value.remove_prefix(comma + 1);
    }
    return tokens;
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// "HTTP/1.1" gives 11; anything else 0.
std::int32_t ReadVersion(std::string_view word)
{
    if (word.size() != 8 || !SameText(word.substr(0, 5), "HTTP/") || word[6] != '.' || !IsAsciiDigit(word[5])
        || !IsAsciiDigit(word[7]))
        return 0;
    return (word[5] - '0') * 10 + (word[7] - '0');
}

TContentCoding ReadContentCoding(const std::vector<std::string_view>& tokens)
{
    if (tokens.empty())
        return TContentCoding::Identity;
    if (tokens.size() > 1)
        return TContentCoding::Other;
    if (SameText(tokens[0], "identity"))
        return TContentCoding::Identity;
    if (SameText(tokens[0], "gzip") || SameText(tokens[0], "x-gzip"))
        return TContentCoding::Gzip;
    if (SameText(tokens[0], "br"))
        return TContentCoding::Brotli;
    return TContentCoding::Other;
}

// A 32-bit decimal number, or nothing.
bool ReadInt32(std::string_view text, std::int32_t& value)
{
    std::int64_t wide = 0;
    if (!TryParseInt(text, wide) || wide < std::numeric_limits<std::int32_t>::min()
        || wide > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(wide);
    return true;
}

int FieldNumber(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kFieldNames); ++i) {
        if (SameText(kFieldNames[i], name))
            return static_cast<int>(i + 1);
    }
    return 0;
}

// The first two words of a header line, as SplitWords finds them in the
// line's first 255 bytes; Count tells how many there are (at most 2).
struct TLineWords {
    std::string_view First;
    std::string_view Second;
    int Count = 0;
};

TLineWords FirstWords(std::string_view line)
{
    line = line.substr(0, kShortStringMax);
    TLineWords words;
    std::size_t pos = 0;
    while (words.Count < 2) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            break;
        std::size_t end = pos;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        (words.Count == 0 ? words.First : words.Second) = line.substr(pos, end - pos);
        ++words.Count;
        pos = end;
    }
    return words;
}

} // namespace

std::size_t FindHeaderEnd(std::string_view bytes)
{
    bool lineEnded = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\n') {
            if (lineEnded)
                return i + 1;
            lineEnded = true;
        } else if (c != '\r') {
            lineEnded = false;
        }
    }
    return 0;
}

std::string MediaType(std::string_view value)
{
    return TrimBlanks(value.substr(0, value.find(';')));
}

THTTPHEADER ParseHttpHeader(std::string_view buffer, std::size_t headerLength)
{
    THTTPHEADER header;
    if (headerLength > buffer.size())
        headerLength = buffer.size();
    bool statusLine = true;
    for (std::string_view line : SplitLines(buffer.substr(0, headerLength))) {
        const TLineWords words = FirstWords(line);
        if (words.Count == 0)
            break;
        if (statusLine) {
            statusLine = false;
            header.Version = ReadVersion(words.First);
            if (words.Count < 2)
                break;
            if (!ReadInt32(words.Second, header.Status))
                header.Status = 0;
            continue;
        }
        if (words.Count < 2)
            continue;
        switch (FieldNumber(words.First)) {
        case kContentTypeField:
            header.ContentType = MediaType(words.Second);
            break;
        case kContentLengthField:
            header.HasContentLength = ReadInt32(words.Second, header.ContentLength) && header.ContentLength >= 0;
            if (!header.HasContentLength)
                header.ContentLength = 0;
            break;
        case kLocationField:
            header.Location = words.Second;
            break;
        case kTransferEncodingField: {
            std::vector<std::string_view> codings = ValueTokens(line);
            header.Chunked = !codings.empty() && SameText(codings.back(), "chunked");
            header.OtherTransferCoding = !codings.empty() && !header.Chunked;
            break;
        }
        case kContentEncodingField:
            header.ContentCoding = ReadContentCoding(ValueTokens(line));
            break;
        case kConnectionField:
            for (std::string_view token : ValueTokens(line)) {
                if (SameText(token, "close"))
                    header.ConnectionClose = true;
                else if (SameText(token, "keep-alive"))
                    header.ConnectionKeepAlive = true;
            }
            break;
        default:
            break;
        }
    }
    if (header.ContentLength == 0)
        header.ContentLength = static_cast<std::int32_t>(
            std::min<std::size_t>(buffer.size() - headerLength, std::numeric_limits<std::int32_t>::max()));
    return header;
}

bool IsPersistent(const THTTPHEADER& header)
{
    if (header.ConnectionClose || header.Version < 10 || header.OtherTransferCoding)
        return false;
    if (header.Version == 10 && !header.ConnectionKeepAlive)
        return false;
    return header.Chunked || header.HasContentLength || HasNoBody(header);
}

bool HasNoBody(const THTTPHEADER& header)
{
    return (header.Status >= 100 && header.Status < 200) || header.Status == 204 || header.Status == 304;
}

} // namespace velbrin
