#pragma once

#include "maps/MapList.h"

#include <string>
#include <string_view>

namespace velbrin {

// The map file of a picture: its name with the extension replaced by ".map"
// ("IMG1.GIF" gives "IMG1.map"; a name without extension gets ".map" added).
std::string MapFileName(std::string_view imageFile);

// The address a server-side map program receives for a click at (x, y): the
// map link, "?", x, "," and y in plain decimal. Not cut.
std::string MapQueryUrl(std::string_view mapLink, int x, int y);

// One line of a map file, CR LF included:
//   <area shape="rect" coords="05,10,40,60" target="main" href="http://h.com/cgi-bin/map?22,35">
// The target attribute is only written for an entry with a target. The map
// link and the target come from a captured page and the line is copied into
// pages the user opens, so they cannot close the attribute or the tag: in the
// address a double quote, "<", ">", blanks and control bytes are written
// percent-encoded ("%22"); from the target, the shape and the coordinates
// such bytes are left out.
std::string FormatAreaLine(const TMapImg& map, std::string_view shape, std::string_view coords, int centreX,
                           int centreY);

} // namespace velbrin
