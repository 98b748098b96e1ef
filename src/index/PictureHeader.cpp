#include "index/PictureHeader.h"

#include "core/Errors.h"
#include "core/FileStream.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace velbrin {

namespace {

// How much of a file is read for its header. JPEG files put their size after
// their other segments (camera data, colour profiles, thumbnails), which can
// take a few hundred kilobytes; a picture whose size comes later is unknown.
constexpr std::size_t kHeaderBytes = std::size_t{1} << 20;

std::uint32_t Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }
std::uint32_t Le16(std::string_view bytes, std::size_t at) { return Byte(bytes, at) | Byte(bytes, at + 1) << 8; }
std::uint32_t Be16(std::string_view bytes, std::size_t at) { return Byte(bytes, at) << 8 | Byte(bytes, at + 1); }
std::uint32_t Be32(std::string_view bytes, std::size_t at) { return Be16(bytes, at) << 16 | Be16(bytes, at + 2); }

TPictureSize Known(std::uint32_t width, std::uint32_t height)
{
    // Sides beyond what the index can write are as good as unknown.
    constexpr std::uint32_t kLargest = 0x7FFFFFFF;
    if (width == 0 || height == 0 || width > kLargest || height > kLargest)
        return {};
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

// The logical screen's size, or the first frame's when the screen has none;
// a file cut before its first frame is not a picture yet.
TPictureSize GifSize(std::string_view bytes)
{
    constexpr std::size_t kScreen = 13;
    if (bytes.size() < kScreen)
        return {};
    std::size_t at = kScreen;
    const std::uint32_t flags = Byte(bytes, 10);
    if (flags & 0x80)
        at += std::size_t{3} << ((flags & 0x07) + 1);
    while (at < bytes.size()) {
        const std::uint32_t introducer = Byte(bytes, at);
        if (introducer == 0x2C) { // an image
            if (bytes.size() < at + 10)
                return {};
            const std::uint32_t width = Le16(bytes, 6) != 0 ? Le16(bytes, 6) : Le16(bytes, at + 5);
            const std::uint32_t height = Le16(bytes, 8) != 0 ? Le16(bytes, 8) : Le16(bytes, at + 7);
            return Known(width, height);
        }
        if (introducer != 0x21 || at + 2 > bytes.size()) // an extension, or the end
            return {};
        at += 2;
        // Sub-blocks, each its length then its bytes, up to an empty one.
        while (at < bytes.size() && Byte(bytes, at) != 0)
            at += Byte(bytes, at) + 1;
        ++at;
    }
    return {};
}

TPictureSize PngSize(std::string_view bytes)
{
    // The signature, then the IHDR chunk: its length (13), name, width, height.
    if (bytes.size() < 24 || Be32(bytes, 8) != 13 || bytes.substr(12, 4) != "IHDR")
        return {};
    return Known(Be32(bytes, 16), Be32(bytes, 20));
}

bool IsFrameMarker(std::uint32_t marker)
{
    // Start of frame, any coding: C0-CF but C4 (Huffman tables), C8 (reserved)
    // and CC (arithmetic coding).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

TPictureSize JpegSize(std::string_view bytes)
{
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (Byte(bytes, at) != 0xFF)
            return {};
        const std::uint32_t marker = Byte(bytes, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image, or the data begins
            return {};
        const std::uint32_t length = Be16(bytes, at + 2);
        if (length < 2)
            return {};
        if (IsFrameMarker(marker)) {
            // Length, precision, height, width.
            if (length < 7 || at + 9 > bytes.size())
                return {};
            return Known(Be16(bytes, at + 7), Be16(bytes, at + 5));
        }
        at += 2 + length;
    }
    return {};
}

} // namespace

TPictureSize PictureSizeOf(std::string_view bytes)
{
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a"))
        return GifSize(bytes);
    if (bytes.starts_with("\x89PNG\r\n\x1A\n"))
        return PngSize(bytes);
    if (bytes.starts_with("\xFF\xD8\xFF"))
        return JpegSize(bytes);
    return {};
}

TPictureSize ReadPictureSize(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return {};
    try {
        TFileStream file(fileName, TFileStream::Mode::OpenRead);
        const auto size = static_cast<std::size_t>(std::max<std::int64_t>(file.Size(), 0));
        std::string bytes(std::min(size, kHeaderBytes), '\0');
        // A file stream reads up to the count, or to the end.
        bytes.resize(file.Read(bytes.data(), bytes.size()));
        return PictureSizeOf(bytes);
    } catch (const EVelbrinError&) {
        return {};
    }
}

} // namespace velbrin
