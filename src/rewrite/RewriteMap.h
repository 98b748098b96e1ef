#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// The word that marks a picture as a server-side image map, and the word a
// rewrite parks it as when links to what was not stored are suppressed (the
// browser then ignores it). Both have five bytes, so one overwrites the other
// in place.
inline constexpr std::string_view kServerMapWord = "ISMAP";
inline constexpr std::string_view kParkedMapWord = "_SMAP";

// 0-based offset in the text of a tag of the first attribute named ISMAP, or
// when there is none of the first one named _SMAP; npos when there is
// neither. Letter case is ignored. Attributes are read as FindTagParam reads
// them: the same letters inside an address or a quoted value are not one.
std::size_t FindServerMapWord(std::string_view tagText);
// Offsets of every attribute named ISMAP or _SMAP, in order.
std::vector<std::size_t> FindServerMapWords(std::string_view tagText);
// Length of the attribute that begins at offset with such a word: the word,
// and when "=" follows it (ISMAP="ISMAP"), the "=" and its value.
std::size_t ServerMapAttributeLength(std::string_view tagText, std::size_t offset);

// The tag already names a client-side map: its USEMAP value begins with "#".
bool HasUseMap(std::string_view tagText);

// The name of the map a map file holds: the file name up to its first ".".
std::string MapName(std::string_view mapFile);
// USEMAP="#name", the attribute that points a picture at its map.
std::string UseMapAttribute(std::string_view mapName);
// The map block that follows a picture and the text after it: the map
// markers around a MAP element named mapName holding the map file's content
// as it stands.
std::string MapBlock(std::string_view mapName, std::string_view mapFileContent);

} // namespace velbrin
