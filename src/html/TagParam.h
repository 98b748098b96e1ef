#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

class TTagEdits;

// One attribute found in a tag. Positions are 1-based in the whole text of
// the tag, whose "<" is position 1; they always lie between the tag's first
// and last byte, so an edit made with them never touches either.
struct TTagParam {
    std::uint16_t ParamStart = 1;  // the attribute name
    std::uint16_t ParamLength = 0; // name, "=", value and quotes (and the blanks after an unquoted value)
    std::uint16_t ValueStart = 1;  // the value, after its opening quote; where it would go when it is missing
    std::uint16_t ValueLength = 0; // the value as written, without quotes
    std::string Value;             // the value as read: character references decoded, never cut
    char Quote = 0;                // the quote around the value: 0 (none), '"' or '\''
    bool QuotedTwice = false;      // written in two pairs of double quotes (HREF=""x""), read as one

    // Keeps the value's buffer for the next attribute.
    void Clear()
    {
        ParamStart = 1;
        ParamLength = 0;
        ValueStart = 1;
        ValueLength = 0;
        Value.clear();
        Quote = 0;
        QuotedTwice = false;
    }
    // The attribute name occurs in the tag (with or without a value).
    bool Found() const { return ParamLength > 0; }
    bool IsQuoted() const { return Quote != 0; }
};

// Looks for the attribute name in the text of a tag ("<" through its last
// byte), reading the attributes the way a browser does: after the tag name,
// each attribute is a name, and when "=" follows (blanks allowed around it)
// a value in double quotes, in single quotes, or unquoted up to the next
// blank. Blanks, "<" and ">" inside quotes belong to the value, and nothing
// inside a value is ever an attribute. An attribute without "=" has an empty
// value. Names match whole, without regard to case, and the first attribute
// of that name is the one found. A value in two pairs of double quotes
// (HREF=""x"") is read as the value inside them.
// True when the attribute has a non-empty value; param holds the positions
// whenever the name was found. Only the first 65535 bytes of the text are
// searched, the reach of the 16-bit positions.
bool FindTagParam(std::string_view tagText, std::string_view name, TTagParam& param);

// FindTagParam for two names in one reading of the tag: each param ends as
// FindTagParam(tagText, name, param) leaves it (its return value is
// !param.Value.empty()).
void FindTagParams(std::string_view tagText, std::string_view firstName, TTagParam& first,
                   std::string_view secondName, TTagParam& second);

// Every attribute of a tag, in the order written, read as FindTagParam reads
// them (repeated names included).
struct TTagAttribute {
    std::string Name; // as written
    TTagParam Param;
};
std::vector<TTagAttribute> ReadTagAttributes(std::string_view tagText);

// Where each attribute of a tag lies, read as FindTagParam reads them,
// without decoding anything: offsets are 0-based in the text of the tag.
struct TAttributeSpan {
    std::string_view Name;      // as written
    std::size_t ValueAt = 0;    // the value as written, without quotes
    std::size_t ValueLength = 0;
    char Quote = 0;
    bool QuotedTwice = false;
};
// Fills spans (emptied first) with the attributes of the tag, in the order written.
void ReadAttributeSpans(std::string_view tagText, std::vector<TAttributeSpan>& spans);

// 1-based position just after the value of param and its closing quotes (the
// whole value, also where Value stops before a fragment): where an attribute
// that follows it goes.
std::size_t TagParamEnd(std::string_view tagText, const TTagParam& param);

// Adds to edits the replacement of the value of param (as FindTagParam found
// it in tagText) so that it reads back as value, written for the quotes the
// attribute uses. An unquoted value that has to be quoted is quoted whole,
// together with the rest of the written value after the replaced part (a
// fragment left out of Value).
void ReplaceTagParamValue(std::string_view tagText, const TTagParam& param, std::string_view value,
                          TTagEdits& edits);

} // namespace velbrin
