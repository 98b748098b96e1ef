#include "maps/MapFile.h"

#include <cstdio>

namespace velbrin {

namespace {

// Bytes that could end an attribute value or the tag, or that a reader of
// the map file takes as the end of a value (blanks).
bool BreaksAttribute(char c)
{
    return static_cast<unsigned char>(c) <= 32 || c == '"' || c == '<' || c == '>' || c == 0x7F;
}

std::string AttributeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!BreaksAttribute(c))
            out += c;
    }
    return out;
}

std::string AttributeUrl(std::string_view url)
{
    std::string out;
    out.reserve(url.size());
    for (char c : url) {
        if (BreaksAttribute(c)) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string MapFileName(std::string_view imageFile)
{
    std::size_t dot = imageFile.rfind('.');
    return std::string(imageFile.substr(0, dot)) + ".map";
}

std::string MapQueryUrl(std::string_view mapLink, int x, int y)
{
    return std::string(mapLink) + "?" + std::to_string(x) + "," + std::to_string(y);
}

std::string FormatAreaLine(const TMapImg& map, std::string_view shape, std::string_view coords, int centreX,
                           int centreY)
{
    std::string line = "<area shape=\"" + AttributeText(shape) + "\" coords=\"" + AttributeText(coords) + "\" ";
    std::string target = AttributeText(map.Target);
    if (!target.empty())
        line += "target=\"" + target + "\" ";
    line += "href=\"" + AttributeUrl(MapQueryUrl(map.MapLink, centreX, centreY)) + "\">\r\n";
    return line;
}

} // namespace velbrin
