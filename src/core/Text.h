#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

using TStringList = std::vector<std::string>;

// Blank: any byte of code 32 or lower. Word: a maximal run of non-blanks.
// Hash of text for unordered containers keyed by std::string that are looked
// up by std::string_view (with std::equal_to<>): no key is built to look.
struct TTextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// The value of a hexadecimal digit of either case; -1 for any other byte.
inline int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Positions are 1-based, as in the texts they describe; 0 means "none".

// Position of the first non-blank at or after start; 0 when none.
std::size_t SkipBlanks(std::string_view text, std::size_t start);
// Position of the last character of the word that begins at start; the text
// length when the word runs to the end.
std::size_t WordEnd(std::string_view text, std::size_t start);
// The text without leading and trailing blanks.
std::string TrimBlanks(std::string_view text);
// The same, as a view into text.
std::string_view BlankTrimmed(std::string_view text);
// The words of the text, in order, at most 101 of them.
TStringList SplitWords(std::string_view text);
// 1-based index of the first word of text equal to word ignoring case; 0 when none.
int WordIndex(std::string_view word, std::string_view text);

void ReplaceFirst(std::string& text, std::string_view oldPart, std::string_view newPart);
void ReplaceFirstNoCase(std::string& text, std::string_view oldPart, std::string_view newPart);
// Removes every occurrence of part, searching again from the start each time.
void RemoveAll(std::string& text, std::string_view part);

// True when every character is one of "0123456789." (the empty text too).
bool IsNumber(std::string_view text);
int CountChar(char c, std::string_view text);

// The text with "&", "<", ">" and double quotes written as character
// references, for texts from a captured site that go into a page of ours.
std::string HtmlEscape(std::string_view text);

// Texts for readers that take UTF-8 (index pages, bookmark files). A text
// that is valid UTF-8 as a whole (ASCII included) is kept as it is; any other
// is read as Latin-1 and every byte from 0x80 up becomes its two-byte form.
std::string ToUtf8(std::string_view text);
// The Latin-1 text in UTF-8, whatever its bytes (the program's own texts).
std::string Latin1ToUtf8(std::string_view text);
// Whether the bytes are well-formed UTF-8: shortest forms only, no
// surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

// "1 234 567 bytes".
std::string FormatBytes(std::int64_t count);

// Decimal integer parsing in the platform's strict way: optional sign, digits,
// nothing else. Returns false (and leaves value alone) otherwise.
bool TryParseInt(std::string_view text, std::int64_t& value);
// The integer, or fallback when the text is not one.
std::int64_t ParseIntOr(std::string_view text, std::int64_t fallback);

} // namespace velbrin
