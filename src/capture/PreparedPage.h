#pragma once

#include "core/DateTime.h"
#include "html/LinkParam.h"
#include "html/Tag.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A page prepared for storing, apart from any Web: what the Web then
// writes, keeps for the resolution pass and enters into its tree.
struct TPreparedPage {
    std::string Bytes;             // the prepared page
    std::vector<TTag> Items;       // the items a pass over it reads (ItemsAPassReads); empty when they could not be followed
    std::string Title;             // the text of its TITLE, if any
    // The links found, in page order, made absolute: a table of contents
    // holds thousands, which grow in blocks and are never copied.
    std::deque<TLinkParam> Links;
    bool IsMap = false;            // an anchor of the page leads to a server-side map
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
