#pragma once

#include "core/DateTime.h"
#include "html/LinkParam.h"
#include "html/Tag.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A link found in a prepared page; its texts lie in the page's LinkText.
struct TFoundLink {
    std::uint32_t UrlAt = 0;
    std::uint32_t UrlLength = 0;
    std::uint32_t DescriptionAt = 0;
    std::uint32_t DescriptionLength = 0;
    std::uint8_t LinkType = LinkTypePage;
    std::uint8_t TagKind = TagUnknown;
    TReferenceKind Kind = TReferenceKind::PageLink;
    TAddressClass Address = TAddressClass::Unknown;
    bool IsMap = false;
};

// A page prepared for storing, apart from any Web: what the Web then
// writes, keeps for the resolution pass and enters into its tree.
struct TPreparedPage {
    std::string Bytes;             // the prepared page
    std::vector<TTag> Items;       // the items a pass over it reads (ItemsAPassReads); empty when they could not be followed
    std::string Title;             // the text of its TITLE, if any
    // The links found, in page order, made absolute. A table of contents
    // holds thousands: each is a small record, and all their texts share
    // one buffer, rather than two strings of their own each.
    std::vector<TFoundLink> Links;
    std::string LinkText;
    bool IsMap = false;            // an anchor of the page leads to a server-side map

    // Adds a link of address and description, its other fields left as
    // they are in a new TFoundLink, for the caller to set.
    TFoundLink& AddLink(std::string_view address, std::string_view description);
    // Adds what a TLinkParam found of a link (its address, description,
    // kinds, class and map flag).
    void AddLink(const TLinkParam& link);
    // Link i back as a TLinkParam, into link's own buffers.
    void ReadLink(std::size_t i, TLinkParam& link) const;
    std::string_view LinkUrl(std::size_t i) const;
};

// Prepares a page received from pageUrl: every link is made absolute
// against the page's address (and against its BASE address after the BASE
// tag), LOWSRC attributes are dropped, a comment with the page's address
// follows the HTML tag, and the real-link footer of captureDate is appended
// when realLinkFooter asks for it. Reads nothing but its arguments: pages
// are prepared on another thread than the session's.
TPreparedPage PrepareHtmlPage(std::string_view pageUrl, std::string_view page, bool realLinkFooter,
                              TDateTime captureDate);

} // namespace velbrin
