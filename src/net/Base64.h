#pragma once

#include <string>
#include <string_view>

namespace velbrin {

// Base64 with the standard alphabet ("A".."Z", "a".."z", "0".."9", "+", "/"),
// "=" padding and no line breaks, as Basic credentials carry it.
class TBase64 {
public:
    static std::string Encode(std::string_view bytes);
};

} // namespace velbrin
