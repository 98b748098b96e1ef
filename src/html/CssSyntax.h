#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The pieces of the CSS tokenizer that reading and writing references need:
// blanks, escapes, identifiers, comments, strings and unquoted url() values,
// read the way a browser reads them. Every reader takes the whole text and a
// position, and returns where it stopped; none reads past the end of the text.
//
// Escaped code points are appended as UTF-8 (code points below 0x80 as their
// byte); bytes of the text itself are kept as they are, whatever their encoding.
// A NUL, an escaped zero, a surrogate or a code point past 0x10FFFF reads as
// U+FFFD.
namespace velbrin::css {

// Space, tab, LF, CR, FF.
bool IsBlank(char c);
// LF, CR, FF.
bool IsNewline(char c);
bool IsIdentChar(char c);

// text[at] is a backslash that escapes something: not followed by a newline.
bool IsValidEscape(std::string_view text, std::size_t at);
// An identifier starts at text[at] (a letter, "_", a byte from 0x80, an
// escape, or "-" followed by one of those or by a second "-").
bool StartsIdentifier(std::string_view text, std::size_t at);
// A number starts at text[at]: a digit, or "+", "-", "." leading to one.
bool StartsNumber(std::string_view text, std::size_t at);

void AppendCodePoint(std::string& out, std::uint32_t codePoint);
// Reads the escape whose backslash is at text[at - 1]; appends what it stands for.
std::size_t ReadEscape(std::string_view text, std::size_t at, std::string& out);
// Reads the identifier characters and escapes from at; name receives them decoded.
std::size_t ReadIdentifier(std::string_view text, std::size_t at, std::string& name);
// text[at] starts a number; returns the end of the number (its unit excluded).
std::size_t SkipNumber(std::string_view text, std::size_t at);
// text[at] starts "/*"; returns the end of the comment, or of the text.
std::size_t SkipComment(std::string_view text, std::size_t at);
// Skips blanks and comments.
std::size_t SkipBlanksAndComments(std::string_view text, std::size_t at);

enum class TStringEnd : std::uint8_t {
    Quote,     // closed by its quote
    Newline,   // broken by a raw newline: the string is invalid
    EndOfText, // the text ends inside it
};

struct TCssString {
    std::size_t End = 0; // after the closing quote; at the breaking newline; the end of the text
    TStringEnd How = TStringEnd::Quote;
    std::string Value; // decoded
};
// text[at] is the opening quote.
TCssString ReadString(std::string_view text, std::size_t at);

struct TCssUrlValue {
    bool Bad = false;    // quotes, "(", a control byte, a blank inside, or a broken escape
    bool Closed = false; // ended by ")"; false when the text ends first
    std::size_t ValueBegin = 0;
    std::size_t ValueEnd = 0; // before the blanks that precede ")"
    std::size_t End = 0;      // after ")" (for a bad value, after the ")" that ends it)
    std::string Value;        // decoded
};
// Reads an unquoted url() value, from just after "url(".
TCssUrlValue ReadUrlValue(std::string_view text, std::size_t at);

// The value written as a CSS string in the given quote (' or "): backslash,
// both quotes escaped; control bytes, DEL, "<" and ">" as hex escapes, so that
// the string never ends a STYLE block.
std::string QuoteString(std::string_view value, char quote);
// The value can stand unquoted inside url(): not empty, and without blanks,
// quotes, parentheses, backslash, "<", ">" or control bytes.
bool CanStandUnquoted(std::string_view value);

// Leading and trailing bytes up to 0x20 removed, as an address parser does.
std::string_view TrimAddress(std::string_view address);

} // namespace velbrin::css
