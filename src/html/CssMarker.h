#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velbrin {

// The comment a rewrite writes right after a style sheet reference whose value
// it changed, keeping the value as captured, exactly as it was written
// (quotes and escapes included), so that a later rewrite can start from it
// again or put it back:
//
//     url("IMAGE12.PNG")/*VELBRIN OLDREF=%22http://h/img/a.png%22*/
//
// The kept value is written with every byte outside 0x21..0x7E, and every
// one of  % * " ' < > & \  as %XX (upper-case hex). So the comment never
// holds "*/", a quote or "<": it cannot end early, and a STYLE block or a
// quoted attribute holding it stays well-formed. Only a comment exactly as a
// rewrite writes it counts as a marker; anything else, even with the same
// beginning, is the author's comment.
inline constexpr std::string_view kCssMarkerPrefix = "/*VELBRIN OLDREF=";
inline constexpr std::string_view kCssMarkerSuffix = "*/";

std::string WriteCssMarker(std::string_view captured);

struct TCssMarker {
    std::string Captured;
    std::size_t End = 0; // after the closing "*/"
};
// The marker that starts at text[at], if one does; its kept value is not empty.
std::optional<TCssMarker> ReadCssMarker(std::string_view text, std::size_t at);

} // namespace velbrin
