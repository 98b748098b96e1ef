#pragma once

#include "maps/MapList.h"
#include "store/WebTree.h"

#include <string>
#include <string_view>

namespace velbrin {

// Gives every captured picture of a stored page that is marked ISMAP a map
// entry, unless one exists already for its file. The page is read from
// pageFile (nothing happens when it does not exist; EStreamError when it
// cannot be read); pageUrl is its address in the tree.
//
// Walking the page, the current link is the address of the last anchor
// opened (cleared by every anchor, set by one with an address) and the
// current target the TARGET of the last anchor around a server-side map. An
// address is the one the tag was captured with (OLDREF) when the page has
// been rewritten. A picture gets an entry when its address leads to a record
// in state CapturedFile: image file and description from the record, the map
// file named after it, the current link and target, and the page's address.
// Returns the number of entries added.
int BuildPageMaps(std::string_view pageUrl, const std::string& pageFile, const TWebTree& tree, TMAPLIST& maps);

} // namespace velbrin
