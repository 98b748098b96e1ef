#include "core/CaseFold.h"

#include <algorithm>
#include <array>

namespace velbrin {

namespace {

constexpr bool IsLatin1Lower(unsigned char c) { return c >= 0xE0 && c <= 0xFE && c != 0xF7; }
constexpr bool IsLatin1Upper(unsigned char c) { return c >= 0xC0 && c <= 0xDE && c != 0xD7; }

// The folds of every byte, looked up rather than computed: names, keys and
// tags are compared byte by byte all through a capture.
constexpr std::array<unsigned char, 256> FoldTable(bool upper)
{
    std::array<unsigned char, 256> table{};
    for (unsigned u = 0; u < 256; ++u) {
        auto c = static_cast<unsigned char>(u);
        if (upper && ((c >= 'a' && c <= 'z') || IsLatin1Lower(c)))
            c = static_cast<unsigned char>(c - 0x20);
        else if (!upper && ((c >= 'A' && c <= 'Z') || IsLatin1Upper(c)))
            c = static_cast<unsigned char>(c + 0x20);
        table[u] = c;
    }
    return table;
}

constexpr std::array<unsigned char, 256> kUpper = FoldTable(true);
constexpr std::array<unsigned char, 256> kLower = FoldTable(false);

unsigned char Up(char c) { return kUpper[static_cast<unsigned char>(c)]; }

} // namespace

char UpperChar(char c) { return static_cast<char>(Up(c)); }

char LowerChar(char c) { return static_cast<char>(kLower[static_cast<unsigned char>(c)]); }

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
        unsigned char ca = Up(a[i]);
        unsigned char cb = Up(b[i]);
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
        if (Up(a[i]) != Up(b[i]))
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
    if (haystack.size() < needle.size() || from > haystack.size() - needle.size())
        return std::string::npos;
    const std::size_t last = haystack.size() - needle.size(); // the last place the needle fits
    const std::string_view rest = needle.substr(1);
    // The bytes that fold to the needle's first: its two cases, each looked
    // for with the library's search from where the last search of that case
    // ended, so that no byte is searched twice.
    const auto upper = static_cast<char>(Up(needle.front()));
    const auto lower = static_cast<char>(kLower[static_cast<unsigned char>(upper)]);
    std::size_t nextUpper = haystack.find(upper, from);
    std::size_t nextLower = lower == upper ? std::string::npos : haystack.find(lower, from);
    for (;;) {
        const std::size_t at = std::min(nextUpper, nextLower);
        if (at == std::string::npos || at > last)
            return std::string::npos;
        if (SameText(haystack.substr(at + 1, rest.size()), rest))
            return at;
        if (at == nextUpper)
            nextUpper = haystack.find(upper, at + 1);
        else
            nextLower = haystack.find(lower, at + 1);
    }
}

std::size_t NoCaseHash::operator()(std::string_view text) const
{
    // FNV-1a over the upper-cased bytes.
    std::size_t hash = 1469598103934665603ull;
    for (char c : text) {
        hash ^= Up(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace velbrin
