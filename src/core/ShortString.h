#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velbrin {

// Most texts the system keeps (addresses, titles, attribute values, log lines,
// settings) hold at most 255 bytes. The cut is applied where a rule asks for
// it, never silently by a type.
inline constexpr std::size_t kShortStringMax = 255;

inline std::string ShortString(std::string_view text)
{
    return std::string(text.substr(0, kShortStringMax));
}

} // namespace velbrin
