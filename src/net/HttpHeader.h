#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

// What the system reads of a response header.
struct THTTPHEADER {
    std::int32_t Status = 0;        // code of the status line; 0 when absent or not a number
    std::string ContentType;        // media type of the Content-Type line, parameters left out
    std::int32_t ContentLength = 0; // see ParseHttpHeader
    std::string Location;           // second word of the Location line
    bool HasContentLength = false;  // the header carried a readable Content-Length line
};

// A response header may not be longer than this, its empty line included.
inline constexpr std::size_t kMaxHeaderLength = 64 * 1024;

// Length of the header at the start of bytes, up to and including the LF that
// ends it; 0 while its end has not arrived. A header ends with two LF in a row,
// CR bytes between them being ignored (so "LF LF" and "LF CR LF" end it, two CR
// in a row do not).
std::size_t FindHeaderEnd(std::string_view bytes);

// The media type of a Content-Type value: what precedes the first ";",
// without surrounding blanks ("text/html; charset=utf-8" gives "text/html").
std::string MediaType(std::string_view value);

// Parses the first headerLength bytes of buffer. Lines end at CR LF, CR or LF
// and are cut at 255 bytes; the first line without words ends the parse. The
// status is the second word of the first line; Content-Type, Content-Length
// and Location are recognised by their first word, colon attached, in any
// letter case. When no Content-Length gives a length, ContentLength is the
// count of bytes of buffer after the header (the part of the body that came
// with it).
THTTPHEADER ParseHttpHeader(std::string_view buffer, std::size_t headerLength);

} // namespace velbrin
