#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

// The content coding of a response body (its Content-Encoding).
enum class TContentCoding {
    Identity, // none, or "identity"
    Gzip,     // "gzip" or "x-gzip"
    Brotli,   // "br"
    Other,    // any other coding, or several: the body is kept as it came
};

// What the system reads of a response header.
struct THTTPHEADER {
    std::int32_t Status = 0;        // code of the status line; 0 when absent or not a number
    std::string ContentType;        // media type of the Content-Type line, parameters left out
    std::int32_t ContentLength = 0; // see ParseHttpHeader
    std::string Location;           // second word of the Location line
    bool HasContentLength = false;  // the header carried a readable Content-Length line
    std::int32_t Version = 0;       // 10 for "HTTP/1.0", 11 for "HTTP/1.1"...; 0 without such a status line
    bool Chunked = false;           // the last transfer coding of Transfer-Encoding is chunked
    bool OtherTransferCoding = false; // Transfer-Encoding names codings, chunked not last
    TContentCoding ContentCoding = TContentCoding::Identity;
    bool ConnectionClose = false;   // Connection names "close"
    bool ConnectionKeepAlive = false; // Connection names "keep-alive"
};

// Whether the connection may carry another request once this response's body
// ended: an HTTP/1.1 (or later) answer without "Connection: close", or an
// HTTP/1.0 one with "Connection: keep-alive". A body that only the close of
// the connection ends (no Content-Length, no chunked coding) rules it out.
bool IsPersistent(const THTTPHEADER& header);
// An answer that never has a body, whatever its header says: 1xx, 204, 304.
bool HasNoBody(const THTTPHEADER& header);

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
// letter case. Transfer-Encoding, Content-Encoding and Connection are read
// as lists of comma-separated words. When no Content-Length gives a length, ContentLength is the
// count of bytes of buffer after the header (the part of the body that came
// with it).
THTTPHEADER ParseHttpHeader(std::string_view buffer, std::size_t headerLength);

} // namespace velbrin
