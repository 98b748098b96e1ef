#include "html/AttributeValue.h"
#include "html/TagBytes.h"

#include "core/Entities.h"
#include "core/Text.h"

#include <algorithm>

namespace velbrin {

namespace {

bool IsAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The character reference that begins at raw[pos] (an "&"): its length, and
// the byte it stands for; 0 when none begins there.
std::size_t MatchReference(std::string_view raw, std::size_t pos, char& byte)
{
    std::size_t at = pos + 1;
    if (at >= raw.size())
        return 0;
    if (raw[at] == '#') {
        ++at;
        const bool hex = at < raw.size() && (raw[at] == 'x' || raw[at] == 'X');
        if (hex)
            ++at;
        const std::size_t digits = at;
        long code = 0;
        for (; at < raw.size(); ++at) {
            const int digit = hex ? HexDigitValue(raw[at]) : (raw[at] >= '0' && raw[at] <= '9' ? raw[at] - '0' : -1);
            if (digit < 0)
                break;
            // Anything past a byte is refused; leading zeros are not.
            code = std::min<long>(code * (hex ? 16 : 10) + digit, 0x10000);
        }
        if (at == digits || code < 1 || code > 0xFF)
            return 0;
        if (at < raw.size() && raw[at] == ';')
            ++at;
        byte = static_cast<char>(code);
        return at - pos;
    }
    while (at < raw.size() && IsAsciiAlnum(raw[at]))
        ++at;
    if (at == pos + 1 || at >= raw.size() || raw[at] != ';')
        return 0;
    const int code = NamedEntityByte(raw.substr(pos + 1, at - pos - 1));
    if (code < 0)
        return 0;
    byte = static_cast<char>(code);
    return at + 1 - pos;
}

} // namespace

void DecodeAttributeValue(std::string_view raw, std::string& value)
{
    if (raw.find('&') == std::string_view::npos) {
        value.assign(raw);
        return;
    }
    value.clear();
    value.reserve(raw.size());
    for (std::size_t pos = 0; pos < raw.size();) {
        char byte = 0;
        const std::size_t length = raw[pos] == '&' ? MatchReference(raw, pos, byte) : 0;
        if (length > 0) {
            value += byte;
            pos += length;
        } else {
            value += raw[pos++];
        }
    }
}

std::string DecodeAttributeValue(std::string_view raw)
{
    std::string value;
    DecodeAttributeValue(raw, value);
    return value;
}

std::size_t RawPrefixLength(std::string_view raw, std::size_t decodedCount)
{
    // Up to its first "&", a value reads as written.
    const std::size_t plain = std::min(raw.find('&'), raw.size());
    if (decodedCount <= plain)
        return decodedCount;
    std::size_t pos = plain;
    decodedCount -= plain;
    for (std::size_t count = 0; count < decodedCount && pos < raw.size(); ++count) {
        char byte = 0;
        const std::size_t length = raw[pos] == '&' ? MatchReference(raw, pos, byte) : 0;
        pos += length > 0 ? length : 1;
    }
    return pos;
}

bool NeedsQuotes(std::string_view value)
{
    if (value.empty() || value.front() == '"' || value.front() == '\'')
        return true;
    for (char c : value) {
        if (IsTagBlank(c) || c == '<' || c == '>')
            return true;
    }
    return false;
}

std::string EncodeAttributeValue(std::string_view value, char quote)
{
    std::string out;
    AppendAttributeValue(out, value, quote);
    return out;
}

void AppendAttributeValue(std::string& out, std::string_view value, char quote)
{
    if (quote != '"' && quote != '\'') {
        if (NeedsQuotes(value)) {
            out += '"';
            AppendAttributeValue(out, value, '"');
            out += '"';
            return;
        }
        quote = 0;
    }
    // Most values (addresses) hold neither an "&" nor the quote.
    if (value.find('&') == std::string_view::npos && (quote == 0 || value.find(quote) == std::string_view::npos)) {
        out.append(value);
        return;
    }
    out.reserve(out.size() + value.size());
    for (std::size_t pos = 0; pos < value.size(); ++pos) {
        const char c = value[pos];
        char byte = 0;
        if (c == '&' && MatchReference(value, pos, byte) > 0)
            out += "&amp;";
        else if (c == quote)
            out += quote == '"' ? "&quot;" : "&#39;";
        else
            out += c;
    }
}

} // namespace velbrin
