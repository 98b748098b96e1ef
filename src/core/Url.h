#pragma once

#include "core/Text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>

namespace velbrin {

// The protocol prefixes the model knows, in the order they are tried. The
// index is stored in project files: a new protocol goes at the end. No prefix
// begins another one, so the order decides nothing.
inline constexpr std::array<std::string_view, 6> kProtocolPrefixes = {"http:",   "ftp:",  "news:",
                                                                      "mailto:", "file:", "https:"};
enum Protocol : std::uint8_t {
    ProtocolHttp = 0,
    ProtocolFtp = 1,
    ProtocolNews = 2,
    ProtocolMailto = 3,
    ProtocolFile = 4,
    ProtocolHttps = 5,
};

// The protocols a capture fetches: http and https.
constexpr bool IsFetchableProtocol(std::uint8_t protocol)
{
    return protocol == ProtocolHttp || protocol == ProtocolHttps;
}
// The port of a protocol's addresses when none is written: 443 for https, 80
// for every other.
constexpr std::int32_t DefaultPort(std::uint8_t protocol) { return protocol == ProtocolHttps ? 443 : 80; }

// A parsed address: protocol, host with an optional port, a directory path, a
// last segment and a query. No "%" decoding, no fragments ("#" is an ordinary
// character), no case folding. "/" and "\" both separate path segments.
//
// After parsing, Directory begins with "/" and ends with a separator, and
// FileName holds a separator only inside its query part. Every text is at most
// 255 bytes.
struct TUrl {
    std::uint8_t Protocol = ProtocolHttp; // also when the text carries no known prefix
    std::string Host;                     // as written; empty when nothing supplies one
    std::int32_t Port = -1;               // -1 when no port was written
    std::string Directory = "/";          // path up to its last separator, dot segments removed
    std::string FileName;                 // last path segment followed by the query
    std::string Query;                    // from the first "?" (included), or empty

    // Parses text (cut at 255 bytes first), resolving a relative reference
    // against base when one is given.
    static TUrl Create(std::string_view text, const TUrl* base = nullptr);
};

// A reference found in a document fetched from base: as TUrl::Create, but a
// reference without a prefix ("page.htm", "/top.htm", "//host/x") takes the
// protocol of base, so that the links of a page fetched over https stay https.
TUrl ResolveLink(std::string_view text, const TUrl& base);

// The canonical text: prefix, "//", host, ":" port when written, directory,
// file name; cut at 255.
std::string GetUrlText(const TUrl& url);

// The canonical text of reference resolved against base; an empty base means
// there is none.
std::string ResolveUrl(std::string_view reference, std::string_view base);

std::uint8_t GetProtocol(std::string_view url);
// The text begins with a scheme the model does not know ("javascript:",
// "data:" ...): it would be taken for a relative path.
bool HasForeignScheme(std::string_view text);
// Host contains "." and neither the directory nor the file name holds ":".
bool IsValidUrl(std::string_view url);
// The same test on an address parsed already.
bool IsValidUrl(const TUrl& url);
std::string GetHost(std::string_view url);
// The port; when none is written, DefaultPort of the protocol.
std::int32_t GetPort(std::string_view url);
std::string GetDirectory(std::string_view url);
std::string GetFileName(std::string_view url);
// Directory followed by file name: the path of a request line.
std::string GetDocument(std::string_view url);
// Everything after the first "." of the file name (query included), or empty.
std::string GetExtension(std::string_view url);
// Second-level label of the host ("site" of srv.site.tld).
std::string GetDomainName(std::string_view url);
// First label of the host.
std::string GetMachineName(std::string_view url);
// Keys of the web tree: prefix, "//host[:port]", directory segments, file name.
TStringList UrlToList(std::string_view url);
// The keys of UrlToList as views, for an absolute address that parsing
// leaves as it is written (no dot segments, no doubled separator in the file
// name, a port written plainly, at most 255 bytes, no more than keys.size()
// keys): the prefix is the canonical one, the other keys lie in url. Returns
// how many keys, or 0 when the address needs UrlToList.
std::size_t UrlKeysInPlace(std::string_view url, std::span<std::string_view> keys);

// Letter case in addresses: servers take the scheme and the host name in any
// letter case, the path and the query as they are written. So the first keys
// of UrlToList (the prefix and "//host[:port]") compare ignoring case, the
// directory segments and the file name exactly. Every comparison of addresses
// goes through these.
inline constexpr std::size_t kUrlKeysIgnoringCase = 2;
constexpr bool UrlKeyIgnoresCase(std::size_t level) { return level < kUrlKeysIgnoringCase; }
bool SameUrlKey(std::size_t level, std::string_view a, std::string_view b);
// The two addresses, parsed, name the same document.
bool SameAddress(std::string_view a, std::string_view b);
// A directory (or document) path lies under a directory: the path begins
// with it, letter case included.
bool IsUnderDirectory(std::string_view path, std::string_view directory);
// At most 8 upper-case characters naming a new Web's directory.
std::string GetShortName(std::string_view url);

// The bare base name a captured document is stored under, before the
// directory and the number that make it unique: the file name up to its first
// ".", " " or "?", without "=", "*", ",", "+", double quotes and NUL bytes, cut
// to 8 characters; "INDEX" when nothing is left.
std::string LocalBaseName(std::string_view url);
// Names the program itself writes beside the captured files (index pages,
// log, report pages), in any letter case.
bool IsReservedLocalName(std::string_view name);
// The n-th other name for base when base is taken: base cut so that the
// number fits within 8 characters, then n ("INDEX" and 1 give "INDEX1",
// "LONGNAME" and 12 give "LONGNA12"). Local file names and the directories
// of new Webs are made unique this way, n counting from 1.
std::string NumberedName(std::string_view base, int n);
// directory + unique name + "." + extension. A name counts as taken when a file
// of that name exists in any letter case, or when the program keeps it for a
// file of its own; the caller creates the file before asking for the next name.
std::string MakeLocalFileName(std::string_view url, std::string_view directory, std::string_view extension);
// "file:///" address of a local file name ("/a/b" gives file:///a/b).
std::string MakeFileUrl(std::string_view fileName);

// Segments each ending with its separator; text after the last separator
// becomes a final segment with "/" appended.
TStringList SplitPath(std::string_view path);
// The segments concatenated, cut at 255.
std::string JoinPath(const TStringList& segments);

} // namespace velbrin
