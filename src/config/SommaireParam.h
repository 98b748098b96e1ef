#pragma once

#include <cstdint>
#include <string_view>

namespace velbrin {

class TIniFile;

// Layout of the generated index pages. The members hold the defaults a
// missing key gives.
struct TSommaireParam {
    std::int32_t LigByPage = 10;   // rows per page of the HTML, other-file and error lists
    std::int32_t ImgLigByPage = 2; // rows of pictures per page
    std::int32_t ImgColByPage = 8; // pictures per row
    std::int32_t ImgSize = 64;     // side of the square box of a thumbnail, in pixels
    std::int32_t ImgSizeMin = 0;   // pictures smaller in both directions are not listed
    bool ImgRatio = false;         // keep the picture's proportions inside the box

    // The six keys; missing keys take the defaults above, and values outside
    // the ranges the setup dialog allows are brought back into them (a page
    // of zero rows would never end).
    void Read(const TIniFile& ini, std::string_view section);
    void Write(TIniFile& ini, std::string_view section) const;

    bool operator==(const TSommaireParam&) const = default;
};

} // namespace velbrin
