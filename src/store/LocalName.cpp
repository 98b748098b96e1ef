#include "store/LocalName.h"

namespace velbrin {

bool IsSafeLocalName(std::string_view name)
{
    // Without separators the whole name is the only path component.
    if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos)
        return false;
    return name != "." && name != "..";
}

} // namespace velbrin
