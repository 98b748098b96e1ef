#include "core/CaseFold.h"

#include <algorithm>

namespace velbrin {

namespace {

bool IsLatin1Lower(unsigned char c) { return c >= 0xE0 && c <= 0xFE && c != 0xF7; }
bool IsLatin1Upper(unsigned char c) { return c >= 0xC0 && c <= 0xDE && c != 0xD7; }

} // namespace

char UpperChar(char c)
{
    auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || IsLatin1Lower(u))
        return static_cast<char>(u - 0x20);
    return c;
}

char LowerChar(char c)
{
    auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || IsLatin1Upper(u))
        return static_cast<char>(u + 0x20);
    return c;
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), UpperChar);
    return out;
}

std::string LowerCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), LowerChar);
    return out;
}

int CompareText(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(UpperChar(a[i]));
        auto cb = static_cast<unsigned char>(UpperChar(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t from)
{
    if (needle.empty())
        return from <= haystack.size() ? from : std::string::npos;
    if (haystack.size() < needle.size())
        return std::string::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (SameText(haystack.substr(i, needle.size()), needle))
            return i;
    }
    return std::string::npos;
}

std::size_t NoCaseHash::operator()(std::string_view text) const
{
    // FNV-1a over the upper-cased bytes.
    std::size_t hash = 1469598103934665603ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(UpperChar(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace velbrin
