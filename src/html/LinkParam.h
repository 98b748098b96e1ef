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

// The link one tag carries.
struct TLinkParam {
    std::string Description; // anchor text of an A tag, title text of a TITLE tag; at most 255 characters
    bool IsMap = false;      // the link leads through a server-side image map
    std::uint8_t LinkType = LinkTypePage;
    TReferenceKind Kind = TReferenceKind::PageLink; // what the link leads to
    TTagParam Link;    // HREF, SRC, BACKGROUND or ACTION
    TTagParam OldLink; // OLDREF: the address the tag carried when it was captured
    std::uint8_t TagKind = TagUnknown;

    // Empties both attributes, IsMap and Description; LinkType and TagKind stay.
    void Clear();
};

// A caller's own decision on the links found in a page; when one is given its
// answer is final.
using TLinkFilter = std::function<bool(const TLinkParam&)>;

// Whether a link found in a page is worth following. Without a filter: a
// valid http address, unless it is the anchor around a server-side image map.
bool AcceptLink(const TLinkParam& link, const TLinkFilter& filter = {});

} // namespace velbrin
