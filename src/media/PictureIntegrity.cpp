#include "media/PictureIntegrity.h"

#include <cstddef>
#include <cstdint>

namespace velbrin {

namespace {

std::uint8_t At(std::string_view bytes, std::size_t i)
{
    return static_cast<std::uint8_t>(bytes[i]);
}

// Skips a chain of GIF data sub-blocks from pos; false when it is cut short.
bool SkipSubBlocks(std::string_view bytes, std::size_t& pos)
{
    for (;;) {
        if (pos >= bytes.size())
            return false;
        const std::size_t size = At(bytes, pos++);
        if (size == 0)
            return true;
        if (bytes.size() - pos < size)
            return false;
        pos += size;
    }
}

bool GifWhole(std::string_view bytes)
{
    // Header and logical screen descriptor.
    std::size_t pos = 13;
    if (bytes.size() < pos)
        return false;
    const std::uint8_t screen = At(bytes, 10);
    if (screen & 0x80)
        pos += 3u << ((screen & 7) + 1);
    int frames = 0;
    for (;;) {
        if (pos == bytes.size())
            return frames > 0; // no trailer, but nothing missing either
        if (pos > bytes.size())
            return false;
        switch (At(bytes, pos++)) {
        case 0x3B:
            return frames > 0;
        case 0x21: // extension: label, then sub-blocks
            if (++pos > bytes.size() || !SkipSubBlocks(bytes, pos))
                return false;
            break;
        case 0x2C: { // image descriptor, local colour table, code size, data
            if (bytes.size() - pos < 9)
                return false;
            const std::uint8_t image = At(bytes, pos + 8);
            pos += 9;
            if (image & 0x80)
                pos += 3u << ((image & 7) + 1);
            if (++pos > bytes.size() || !SkipSubBlocks(bytes, pos))
                return false;
            ++frames;
            break;
        }
        default:
            return false;
        }
    }
}

bool JpegWhole(std::string_view bytes)
{
    std::size_t pos = 2; // after the start-of-image marker
    for (;;) {
        if (pos >= bytes.size() || At(bytes, pos) != 0xFF)
            return false;
        while (pos < bytes.size() && At(bytes, pos) == 0xFF)
            ++pos; // fill bytes
        if (pos >= bytes.size())
            return false;
        const std::uint8_t marker = At(bytes, pos++);
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a segment
        if (bytes.size() - pos < 2)
            return false;
        const std::size_t length = (std::size_t{At(bytes, pos)} << 8) | At(bytes, pos + 1);
        if (length < 2 || bytes.size() - pos < length)
            return false;
        pos += length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data runs to the next marker that is neither a
        // stuffed 0xFF 0x00 nor a restart marker.
        for (;;) {
            if (pos + 1 >= bytes.size())
                return false;
            if (At(bytes, pos) == 0xFF) {
                const std::uint8_t next = At(bytes, pos + 1);
                if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                    break;
                if (next == 0xFF) { // fill before a marker
                    ++pos;
                    continue;
                }
            }
            ++pos;
        }
    }
}

} // namespace

bool IsPictureDataWhole(std::string_view bytes)
{
    if (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a")
        return GifWhole(bytes);
    if (bytes.size() >= 2 && At(bytes, 0) == 0xFF && At(bytes, 1) == 0xD8)
        return JpegWhole(bytes);
    return true;
}

} // namespace velbrin
