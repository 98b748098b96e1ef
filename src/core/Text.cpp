#include "core/Text.h"

#include "core/CaseFold.h"

#include <charconv>

namespace velbrin {

std::size_t SkipBlanks(std::string_view text, std::size_t start)
{
    if (start == 0)
        start = 1;
    for (std::size_t pos = start; pos <= text.size(); ++pos) {
        if (!IsBlank(text[pos - 1]))
            return pos;
    }
    return 0;
}

std::size_t WordEnd(std::string_view text, std::size_t start)
{
    if (start == 0)
        start = 1;
    for (std::size_t pos = start; pos <= text.size(); ++pos) {
        if (IsBlank(text[pos - 1]))
            return pos - 1;
    }
    return text.size();
}

std::string_view BlankTrimmed(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string TrimBlanks(std::string_view text) { return std::string(BlankTrimmed(text)); }

TStringList SplitWords(std::string_view text)
{
    TStringList words;
    std::size_t pos = SkipBlanks(text, 1);
    while (pos != 0) {
        std::size_t end = WordEnd(text, pos);
        words.emplace_back(text.substr(pos - 1, end - pos + 1));
        if (words.size() > 100)
            break;
        pos = SkipBlanks(text, end + 1);
    }
    return words;
}

int WordIndex(std::string_view word, std::string_view text)
{
    TStringList words = SplitWords(text);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (SameText(words[i], word))
            return static_cast<int>(i + 1);
    }
    return 0;
}

void ReplaceFirst(std::string& text, std::string_view oldPart, std::string_view newPart)
{
    if (oldPart.empty())
        return;
    std::size_t at = text.find(oldPart);
    if (at != std::string::npos)
        text.replace(at, oldPart.size(), newPart);
}

void ReplaceFirstNoCase(std::string& text, std::string_view oldPart, std::string_view newPart)
{
    if (oldPart.empty())
        return;
    std::size_t at = FindNoCase(text, oldPart);
    if (at != std::string::npos)
        text.replace(at, oldPart.size(), newPart);
}

void RemoveAll(std::string& text, std::string_view part)
{
    if (part.empty())
        return;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part))
        text.erase(at, part.size());
}

bool IsNumber(std::string_view text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.'))
            return false;
    }
    return true;
}

int CountChar(char c, std::string_view text)
{
    int n = 0;
    for (char x : text)
        n += (x == c);
    return n;
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        // The range of the second byte, which rules out overlong forms,
        // surrogates and code points beyond U+10FFFF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string ToUtf8(std::string_view text)
{
    return IsValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

std::string FormatBytes(std::int64_t count)
{
    std::string digits = std::to_string(count < 0 ? -count : count);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ' ';
        grouped += digits[i];
    }
    return (count < 0 ? "-" : "") + grouped + " bytes";
}

bool TryParseInt(std::string_view text, std::int64_t& value)
{
    if (text.empty())
        return false;
    std::size_t start = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        start = 1;
    }
    if (start == text.size())
        return false;
    std::uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(text.data() + start, text.data() + text.size(), magnitude);
    if (ec != std::errc() || ptr != text.data() + text.size())
        return false;
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

std::int64_t ParseIntOr(std::string_view text, std::int64_t fallback)
{
    std::int64_t value = 0;
    return TryParseInt(text, value) ? value : fallback;
}

} // namespace velbrin
