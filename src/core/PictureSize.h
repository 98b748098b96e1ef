#pragma once

#include <cstdint>

namespace velbrin {

// Width and height of a stored picture in pixels; 0 × 0 when they are not
// known (not read, not a picture, or a header that could not be read).
struct TPictureSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    bool IsKnown() const { return Width > 0 && Height > 0; }

    friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

} // namespace velbrin
