#include "rewrite/RewriteMap.h"

#include "core/CaseFold.h"
#include "core/Text.h"
#include "rewrite/RewriteMarkers.h"
#include "html/TagParam.h"

#include <initializer_list>

namespace velbrin {

namespace {

// Offsets of the attributes named as one of the words, in order; only the
// first when first is set.
std::vector<std::size_t> FindStandingWords(std::string_view text, std::initializer_list<std::string_view> words,
                                           bool first)
{
    std::vector<std::size_t> found;
    for (const TTagAttribute& attribute : ReadTagAttributes(text)) {
        for (std::string_view word : words) {
            if (SameText(attribute.Name, word)) {
                found.push_back(attribute.Param.ParamStart - 1u);
                if (first)
                    return found;
                break;
            }
        }
    }
    return found;
}

} // namespace

std::size_t FindServerMapWord(std::string_view tagText)
{
    for (std::string_view word : {kServerMapWord, kParkedMapWord}) {
        const std::vector<std::size_t> found = FindStandingWords(tagText, {word}, true);
        if (!found.empty())
            return found.front();
    }
    return std::string_view::npos;
}

std::vector<std::size_t> FindServerMapWords(std::string_view tagText)
{
    return FindStandingWords(tagText, {kServerMapWord, kParkedMapWord}, false);
}

std::size_t ServerMapAttributeLength(std::string_view tagText, std::size_t offset)
{
    std::size_t end = offset + kServerMapWord.size();
    if (end >= tagText.size() || tagText[end] != '=')
        return end - offset;
    ++end;
    if (end < tagText.size() && (tagText[end] == '"' || tagText[end] == '\'')) {
        const std::size_t close = tagText.find(tagText[end], end + 1);
        // An unclosed quote runs to the end of the tag, which must stay.
        if (close == std::string_view::npos || close + 1 >= tagText.size())
            return end - offset;
        return close + 1 - offset;
    }
    while (end + 1 < tagText.size() && !IsBlank(tagText[end]) && tagText[end] != '>' && tagText[end] != '<')
        ++end;
    return end - offset;
}

bool HasUseMap(std::string_view tagText)
{
    TTagParam useMap;
    return FindTagParam(tagText, "USEMAP", useMap) && useMap.Value.front() == '#';
}

std::string MapName(std::string_view mapFile)
{
    return std::string(mapFile.substr(0, mapFile.find('.')));
}

std::string UseMapAttribute(std::string_view mapName)
{
    std::string attribute = "USEMAP=\"#";
    attribute += mapName;
    attribute += '"';
    return attribute;
}

std::string MapBlock(std::string_view mapName, std::string_view mapFileContent)
{
    std::string block;
    block.reserve(kMapOn.size() + kMapOff.size() + mapName.size() + mapFileContent.size() + 32);
    block += kMapOn;
    block += "\r\n<map name=\"";
    block += mapName;
    block += "\">\r\n";
    block += mapFileContent;
    block += "</map>\r\n";
    block += kMapOff;
    return block;
}

} // namespace velbrin
