#pragma once

// Picture and sound files for the tests, written byte by byte: Qt cannot
// write GIF files, and the tests must not depend on files from elsewhere.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace velbrin::test {

inline std::string Le16(int value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

inline std::string Le32(std::uint32_t value)
{
    return Le16(static_cast<int>(value & 0xFFFF)) + Le16(static_cast<int>(value >> 16));
}

// The LZW data of a frame whose pixels are indexes 0..3, three bits a code:
// a clear code before every pair of pixels keeps the code table small.
inline std::string GifFrameData(const std::vector<std::uint8_t>& pixels)
{
    std::vector<int> codes;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0)
            codes.push_back(4);
        codes.push_back(pixels[i] & 3);
    }
    codes.push_back(5);
    std::string packed;
    unsigned bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<unsigned>(code) << count;
        count += 3;
        while (count >= 8) {
            packed += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        packed += static_cast<char>(bits & 0xFF);
    std::string blocks = std::string(1, '\x02'); // minimum code size
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::string part = packed.substr(at, 255);
        blocks += static_cast<char>(part.size());
        blocks += part;
    }
    return blocks + std::string(1, '\0');
}

// A GIF of width × height, one frame per colour index given (0 black,
// 1 red, 2 green, 3 blue), each a single colour, looping, 100 ms a frame.
inline std::string GifBytes(int width, int height, const std::vector<std::uint8_t>& frameColours)
{
    std::string gif = "GIF89a" + Le16(width) + Le16(height) + std::string("\x81\x00\x00", 3);
    gif += std::string("\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 12);
    if (frameColours.size() > 1)
        gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (std::uint8_t colour : frameColours) {
        gif += std::string("\x21\xF9\x04\x00", 4) + Le16(10) + std::string("\x00\x00", 2);
        gif += std::string("\x2C\x00\x00\x00\x00", 5) + Le16(width) + Le16(height) + std::string(1, '\0');
        gif += GifFrameData(std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), colour));
    }
    return gif + ";";
}

// A WAV file of 8-bit mono samples at 8000 Hz: a quarter second of a tone.
inline std::string WavBytes()
{
    std::string samples;
    for (int i = 0; i < 2000; ++i)
        samples += static_cast<char>(128 + ((i / 8) % 2 ? 40 : -40));
    std::string wav = "RIFF" + Le32(36 + static_cast<std::uint32_t>(samples.size())) + "WAVE";
    wav += "fmt " + Le32(16) + Le16(1) + Le16(1) + Le32(8000) + Le32(8000) + Le16(1) + Le16(8);
    wav += "data" + Le32(static_cast<std::uint32_t>(samples.size())) + samples;
    return wav;
}

inline void WriteBytes(const std::string& fileName, const std::string& bytes)
{
    std::ofstream(fileName, std::ios::binary) << bytes;
}

} // namespace velbrin::test
