#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velbrin {

// Attribute values as a browser reads them from a tag and as they are written
// back. A value is read with its character references decoded: the named
// ones of the entity table ("&amp;", "&eacute;"...), which need their ";",
// and the numeric ones ("&#38;", "&#x26;", with or without ";") of a byte,
// 1 to 255. Anything else after "&" stays as written, "&" included.

// The value with its character references decoded.
std::string DecodeAttributeValue(std::string_view raw);
// The same into value, whose room is used again.
void DecodeAttributeValue(std::string_view raw, std::string& value);

// How many bytes of the raw value make the first decodedCount bytes of its
// decoded value (all of it when the decoded value is shorter).
std::size_t RawPrefixLength(std::string_view raw, std::size_t decodedCount);

// The bytes that make an attribute read back as value. quote is the quote
// the attribute uses: '"' or '\'' gives the bytes to place between those
// quotes (that quote written as a reference); 0 gives an unquoted value, or,
// when the value could not stand unquoted (empty, with a blank, "<" or ">",
// or beginning with a quote), the value in double quotes, quotes included.
// "&" becomes "&amp;" only where it would otherwise begin a reference.
std::string EncodeAttributeValue(std::string_view value, char quote);
// The same, appended to out.
void AppendAttributeValue(std::string& out, std::string_view value, char quote);

// Whether EncodeAttributeValue(value, 0) has to add quotes.
bool NeedsQuotes(std::string_view value);

} // namespace velbrin
