#pragma once

#include "html/Reference.h"
#include "html/Tag.h"
#include "html/TagParam.h"

#include <cstdint>
#include <functional>
#include <string>

namespace velbrin {

// What a link leads to; the web file of a link keeps the same values.
inline constexpr std::uint8_t LinkTypePage = 0;
inline constexpr std::uint8_t LinkTypeInline = 1;     // a picture or other object shown in the page
inline constexpr std::uint8_t LinkTypeBackground = 2; // the page's background picture

struct TUrl;

// What a parsed address is to the capture.
enum class TAddressClass : std::uint8_t {
    Unknown,       // not parsed yet
    Invalid,       // no host with a ".", or a ":" in its path
    OtherProtocol, // a protocol the capture does not fetch
    Fetchable,
};
TAddressClass ClassifyAddress(const TUrl& parsed);

// The link one tag carries.
struct TLinkParam {
    std::string Description; // anchor text of an A tag, title text of a TITLE tag; at most 255 characters
    bool IsMap = false;      // the link leads through a server-side image map
    std::uint8_t LinkType = LinkTypePage;
    TReferenceKind Kind = TReferenceKind::PageLink; // what the link leads to
    TTagParam Link;    // HREF, SRC, BACKGROUND or ACTION
    TTagParam OldLink; // OLDREF: the address the tag carried when it was captured
    std::uint8_t TagKind = TagUnknown;
    // Link.Value's class, when the caller parsed that very text already
    // (JudgeLink then does not parse it again); whoever changes Link.Value
    // sets it back to Unknown.
    TAddressClass Address = TAddressClass::Unknown;

    // Empties both attributes, IsMap, Description and Address; LinkType and
    // TagKind stay.
    void Clear();
};

// A caller's own decision on the links found in a page; when one is given its
// answer is final.
using TLinkFilter = std::function<bool(const TLinkParam&)>;

// Whether a link found in a page or a style sheet can be followed at all,
// before the Web's own filters (depth, domain, directory, types) judge it.
enum class TLinkVerdict : std::uint8_t {
    Follow,
    InvalidAddress, // no host with a ".", or a ":" in its path: logged as " : url non valide"
    OtherProtocol,  // a protocol the capture does not fetch (mailto:, ftp:, javascript: ...)
    ServerMapAnchor, // the anchor around a server-side image map: its picture's map is captured instead
};
// The one answer to that question: a valid address of a fetchable protocol
// (http, https), unless it is the anchor around a server-side image map.
TLinkVerdict JudgeLink(const TLinkParam& link);

// Whether a link is worth following: the filter's answer when one is given
// (the capture's, which logs what it refuses), otherwise JudgeLink.
bool AcceptLink(const TLinkParam& link, const TLinkFilter& filter = {});

} // namespace velbrin
