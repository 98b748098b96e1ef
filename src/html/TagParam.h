#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

// One attribute found in a tag. Positions are 1-based in the whole text of
// the tag, whose "<" is position 1; they always lie between the tag's first
// and last byte, so an edit made with them never touches either.
struct TTagParam {
    std::uint16_t ParamStart = 1;  // the attribute name
    std::uint16_t ParamLength = 0; // name, "=", value and quotes (and the blanks after an unquoted value)
    std::uint16_t ValueStart = 1;  // the value, after its opening quote; where it would go when it is missing
    std::uint16_t ValueLength = 0; // the value without quotes
    std::string Value;             // at most 255 characters
    bool Quoted = false;           // the value was written in double quotes
    bool QuotedTwice = false;      // a second pair of double quotes was removed

    // Keeps the value's buffer for the next attribute.
    void Clear()
    {
        ParamStart = 1;
        ParamLength = 0;
        ValueStart = 1;
        ValueLength = 0;
        Value.clear();
        Quoted = false;
        QuotedTwice = false;
    }
    // The attribute name occurs in the tag (with or without a value).
    bool Found() const { return ParamLength > 0; }
};

// Looks for the attribute name in the text of a tag ("<" through its last
// byte). Candidates are the starts of the blank-separated words inside the
// tag, the tag name and words inside quoted values included, and the name is
// a prefix test without regard to case: SRC also finds SRCX=value. Blanks
// around "=" are allowed. The value is the word that follows, cut at its first
// blank even inside quotes, with its double quotes (one pair, or two) removed.
// True when the attribute has a non-empty value; param holds the positions
// whenever the name was found. Only the first 65535 bytes of the text are
// searched, the reach of the 16-bit positions.
bool FindTagParam(std::string_view tagText, std::string_view name, TTagParam& param);

} // namespace velbrin
