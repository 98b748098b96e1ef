#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velbrin {

// The table of links to the pages of one list (VLBN_PAGE_INDEX): at most two
// rows of 25 pages; with more than 50 pages only every step-th page is
// offered, step = pageCount / 50 rounded up. The page being written is shown
// in bold instead of a link. pageFile gives the file of the list's k-th page
// (k from 0). No page, no row: the table is then empty.
void WritePageNavigation(std::string& page, std::int32_t pageCount, std::int32_t pageNumber,
                         const std::function<std::string(std::int32_t k)>& pageFile);

} // namespace velbrin
