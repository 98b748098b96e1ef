#include "html/CssSyntax.h"

#include "core/Text.h"

namespace velbrin::css {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsIdentStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || u >= 0x80;
}

// Bytes that make an unquoted url() value invalid.
bool IsNonPrintable(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x01 && u <= 0x08) || u == 0x0B || (u >= 0x0E && u <= 0x1F) || u == 0x7F;
}

// One newline: CR LF counts as one.
std::size_t SkipNewline(std::string_view text, std::size_t at)
{
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
        return at + 2;
    return at + 1;
}

// A raw byte of a value; NUL reads as U+FFFD.
void AppendByte(std::string& out, char c)
{
    if (c == '\0')
        AppendCodePoint(out, kReplacement);
    else
        out += c;
}

void AppendHex(std::string& out, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    if (byte >= 0x10)
        out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

} // namespace

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || IsNewline(c);
}

bool IsNewline(char c)
{
    return c == '\n' || c == '\r' || c == '\f';
}

bool IsIdentChar(char c)
{
    return IsIdentStart(c) || IsDigit(c) || c == '-';
}

bool IsValidEscape(std::string_view text, std::size_t at)
{
    return at < text.size() && text[at] == '\\' && (at + 1 >= text.size() || !IsNewline(text[at + 1]));
}

bool StartsIdentifier(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return false;
    if (text[at] == '-') {
        if (at + 1 >= text.size())
            return false;
        return IsIdentStart(text[at + 1]) || text[at + 1] == '-' || IsValidEscape(text, at + 1);
    }
    return IsIdentStart(text[at]) || IsValidEscape(text, at);
}

bool StartsNumber(std::string_view text, std::size_t at)
{
    auto digitAt = [&](std::size_t i) { return i < text.size() && IsDigit(text[i]); };
    if (at >= text.size())
        return false;
    const char c = text[at];
    if (IsDigit(c))
        return true;
    if (c == '.')
        return digitAt(at + 1);
    if (c == '+' || c == '-')
        return digitAt(at + 1) || (at + 1 < text.size() && text[at + 1] == '.' && digitAt(at + 2));
    return false;
}

void AppendCodePoint(std::string& out, std::uint32_t codePoint)
{
    if (codePoint == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        codePoint = kReplacement;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::size_t ReadEscape(std::string_view text, std::size_t at, std::string& out)
{
    if (at >= text.size()) {
        AppendCodePoint(out, kReplacement);
        return at;
    }
    if (HexDigitValue(text[at]) < 0) {
        AppendByte(out, text[at]);
        return at + 1;
    }
    std::uint32_t codePoint = 0;
    std::size_t i = at;
    while (i < text.size() && i - at < 6 && HexDigitValue(text[i]) >= 0)
        codePoint = codePoint * 16 + static_cast<std::uint32_t>(HexDigitValue(text[i++]));
    if (i < text.size() && IsBlank(text[i]))
        i = SkipNewline(text, i);
    AppendCodePoint(out, codePoint);
    return i;
}

std::size_t ReadIdentifier(std::string_view text, std::size_t at, std::string& name)
{
    name.clear();
    std::size_t i = at;
    while (i < text.size()) {
        if (IsIdentChar(text[i]))
            name += text[i++];
        else if (IsValidEscape(text, i))
            i = ReadEscape(text, i + 1, name);
        else
            break;
    }
    return i;
}

std::size_t SkipNumber(std::string_view text, std::size_t at)
{
    auto digitAt = [&](std::size_t i) { return i < text.size() && IsDigit(text[i]); };
    std::size_t i = at;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    while (digitAt(i))
        ++i;
    if (i < text.size() && text[i] == '.' && digitAt(i + 1)) {
        ++i;
        while (digitAt(i))
            ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (digitAt(j)) {
            i = j;
            while (digitAt(i))
                ++i;
        }
    }
    return i;
}

std::size_t SkipComment(std::string_view text, std::size_t at)
{
    const std::size_t close = text.find("*/", at + 2);
    return close == std::string_view::npos ? text.size() : close + 2;
}

std::size_t SkipBlanksAndComments(std::string_view text, std::size_t at)
{
    std::size_t i = at;
    while (i < text.size()) {
        if (IsBlank(text[i]))
            ++i;
        else if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*')
            i = SkipComment(text, i);
        else
            break;
    }
    return i;
}

TCssString ReadString(std::string_view text, std::size_t at)
{
    TCssString result;
    const char quote = text[at];
    std::size_t i = at + 1;
    while (true) {
        if (i >= text.size()) {
            result.How = TStringEnd::EndOfText;
            break;
        }
        const char c = text[i];
        if (c == quote) {
            ++i;
            break;
        }
        if (IsNewline(c)) {
            result.How = TStringEnd::Newline;
            break;
        }
        if (c == '\\') {
            if (i + 1 >= text.size())
                ++i;
            else if (IsNewline(text[i + 1]))
                i = SkipNewline(text, i + 1);
            else
                i = ReadEscape(text, i + 1, result.Value);
            continue;
        }
        AppendByte(result.Value, c);
        ++i;
    }
    result.End = i;
    return result;
}

TCssUrlValue ReadUrlValue(std::string_view text, std::size_t at)
{
    TCssUrlValue result;
    std::size_t i = at;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    result.ValueBegin = i;
    while (true) {
        if (i >= text.size()) {
            result.ValueEnd = result.End = i;
            return result;
        }
        const char c = text[i];
        if (c == ')') {
            result.ValueEnd = i;
            result.End = i + 1;
            result.Closed = true;
            return result;
        }
        if (IsBlank(c)) {
            result.ValueEnd = i;
            while (i < text.size() && IsBlank(text[i]))
                ++i;
            if (i >= text.size()) {
                result.End = i;
                return result;
            }
            if (text[i] == ')') {
                result.End = i + 1;
                result.Closed = true;
                return result;
            }
            break;
        }
        if (c == '"' || c == '\'' || c == '(' || IsNonPrintable(c))
            break;
        if (c == '\\') {
            if (!IsValidEscape(text, i))
                break;
            i = ReadEscape(text, i + 1, result.Value);
            continue;
        }
        AppendByte(result.Value, c);
        ++i;
    }
    // What is left of a bad value runs to the next ")" that no escape hides.
    result.Bad = true;
    std::string ignored;
    while (i < text.size()) {
        if (text[i] == ')') {
            ++i;
            break;
        }
        if (IsValidEscape(text, i))
            i = ReadEscape(text, i + 1, ignored);
        else
            ++i;
    }
    result.ValueEnd = result.End = i;
    return result;
}

std::string QuoteString(std::string_view value, char quote)
{
    std::string out;
    out.reserve(value.size() + 2);
    out += quote;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"' || c == '\'') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F || c == '<' || c == '>') {
            // The blank ends the escape, whatever follows it.
            out += '\\';
            AppendHex(out, u);
            out += ' ';
        } else {
            out += c;
        }
    }
    out += quote;
    return out;
}

bool CanStandUnquoted(std::string_view value)
{
    if (value.empty())
        return false;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '"' || c == '\'' || c == '(' || c == ')' || c == '\\' || c == '<' ||
            c == '>')
            return false;
    }
    return true;
}

std::string_view TrimAddress(std::string_view address)
{
    while (!address.empty() && static_cast<unsigned char>(address.front()) <= 0x20)
        address.remove_prefix(1);
    while (!address.empty() && static_cast<unsigned char>(address.back()) <= 0x20)
        address.remove_suffix(1);
    return address;
}

} // namespace velbrin::css
