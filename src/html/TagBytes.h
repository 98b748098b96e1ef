#pragma once

#include <array>
#include <cstdint>

namespace velbrin {

// What a byte is to the reading of a tag: its bounds, the blanks that part
// its name and attributes, "/" and "=".
enum TagByte : std::uint8_t {
    kTagBoundByte = 1, // "<" or ">"
    kTagBlankByte = 2, // space, tab, line feed, carriage return, form feed
    kTagSlashByte = 4,
    kTagEqualsByte = 8,
};

constexpr std::array<std::uint8_t, 256> MakeTagBytes()
{
    std::array<std::uint8_t, 256> table{};
    table['<'] = table['>'] = kTagBoundByte;
    for (unsigned char blank : {' ', '\t', '\n', '\r', '\f'})
        table[blank] = kTagBlankByte;
    table['/'] = kTagSlashByte;
    table['='] = kTagEqualsByte;
    return table;
}
inline constexpr std::array<std::uint8_t, 256> kTagBytes = MakeTagBytes();

// Whether c is one of the kinds of bytes given (TagByte flags, or-ed).
inline bool IsTagByte(char c, std::uint8_t kinds) { return (kTagBytes[static_cast<unsigned char>(c)] & kinds) != 0; }
inline bool IsTagBlank(char c) { return IsTagByte(c, kTagBlankByte); }

} // namespace velbrin
