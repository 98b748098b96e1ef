#pragma once

#include <string_view>
#include <vector>

namespace velbrin {

// The lines of text, each ending at CR LF, at CR or at LF; a break at the very
// end opens no further line.
std::vector<std::string_view> SplitLines(std::string_view text);

} // namespace velbrin
