#pragma once

#include <string>
#include <string_view>

namespace velbrin {

// Case folding of single-byte (Latin-1) texts: ASCII letters and the Latin-1
// letters 0xC0..0xDE / 0xE0..0xFE (without the multiplication and division
// signs) map onto each other. Every case-insensitive comparison of names,
// keys and MIME types goes through these.
char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Compares like strcmp on the upper-cased texts: <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Offset of the first occurrence of needle at or after from, ignoring case;
// std::string::npos when there is none.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle, std::size_t from = 0);

// A hash that agrees with SameText, for unordered containers keyed by folded text.
struct NoCaseHash {
    std::size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};

} // namespace velbrin
