#pragma once

#include "html/LinkParam.h"

#include <cstdint>
#include <string>

namespace velbrin {

// A link offered to a Web (TWEB::NewLink): found in a page, the target of a
// redirection, a query of an image map, or entered by the user.
struct TLinkItem {
    std::uint8_t LinkType = LinkTypePage; // LinkTypePage, LinkTypeInline or LinkTypeBackground
    std::string Url;                      // absolute, at most 255 bytes
    std::string Description;              // at most 255 bytes
};

} // namespace velbrin
