#include "html/CssMarker.h"

namespace velbrin {

namespace {

bool StaysAsIs(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u > 0x7E)
        return false;
    switch (c) {
    case '%':
    case '*':
    case '"':
    case '\'':
    case '<':
    case '>':
    case '&':
    case '\\':
        return false;
    default:
        return true;
    }
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lower-case digits are not what a rewrite writes
}

} // namespace

std::string WriteCssMarker(std::string_view captured)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out(kCssMarkerPrefix);
    for (const char c : captured) {
        if (StaysAsIs(c)) {
            out += c;
        } else {
            const auto u = static_cast<unsigned char>(c);
            out += '%';
            out += digits[u >> 4];
            out += digits[u & 0x0F];
        }
    }
    out += kCssMarkerSuffix;
    return out;
}

std::optional<TCssMarker> ReadCssMarker(std::string_view text, std::size_t at)
{
    if (at > text.size() || text.substr(at, kCssMarkerPrefix.size()) != kCssMarkerPrefix)
        return std::nullopt;
    std::size_t i = at + kCssMarkerPrefix.size();
    TCssMarker marker;
    while (i < text.size() && text[i] != '*') {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            const char decoded = static_cast<char>(high * 16 + low);
            // A byte that needs no escape written as one: not our writing.
            if (StaysAsIs(decoded))
                return std::nullopt;
            marker.Captured += decoded;
            i += 3;
        } else if (StaysAsIs(c)) {
            marker.Captured += c;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (marker.Captured.empty() || text.substr(i, kCssMarkerSuffix.size()) != kCssMarkerSuffix)
        return std::nullopt;
    marker.End = i + kCssMarkerSuffix.size();
    return marker;
}

} // namespace velbrin
