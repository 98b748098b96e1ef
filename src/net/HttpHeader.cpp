#include "net/HttpHeader.h"

#include "core/CaseFold.h"
#include "core/ShortString.h"
#include "core/Text.h"
#include "net/Lines.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace velbrin {

namespace {

// The field names the parse knows; the position of a name in this list,
// from 1, is its number.
constexpr std::string_view kFieldNames[] = {
    "date:", "server:", "mime-version:", "content-type:", "last-modified:", "content-length:", "location:",
    "WWW-Authenticate:", "Set-Cookie:",
};
constexpr int kContentTypeField = 4;
constexpr int kContentLengthField = 6;
constexpr int kLocationField = 7;

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
        default:
            break;
        }
    }
    if (header.ContentLength == 0)
        header.ContentLength = static_cast<std::int32_t>(
            std::min<std::size_t>(buffer.size() - headerLength, std::numeric_limits<std::int32_t>::max()));
    return header;
}

} // namespace velbrin
