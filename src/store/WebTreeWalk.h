#pragma once

#include "store/WebTree.h"

#include <string>

namespace velbrin::detail {

// The walk behind TWebTree::ForEachFile. Entries are reached by index and
// re-read at every step, so a visitor that appends entries does not
// invalidate the walk. address, when given, holds the keys down to node and
// is restored before returning.
template<typename Visit>
bool WalkWebNode(const TWebNode& node, std::string* address, Visit& visit)
{
    for (std::size_t i = 0; i < node.EntryCount(); ++i) {
        std::size_t mark = 0;
        if (address) {
            mark = address->size();
            address->append(node.Key(i));
        }
        bool stop = false;
        if (const TWebNode* child = node.NodeAt(i))
            stop = WalkWebNode(*child, address, visit);
        else if (TWebFile* file = node.FileAt(i))
            stop = visit(*file, address);
        if (address)
            address->resize(mark);
        if (stop)
            return true;
    }
    return false;
}

} // namespace velbrin::detail
