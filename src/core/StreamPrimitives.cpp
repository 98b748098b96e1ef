#include "core/StreamPrimitives.h"

#include "core/Errors.h"
#include "core/ShortString.h"

#include <bit>
#include <cstring>

namespace velbrin {

namespace {

template<typename T>
void WriteLittle(TStream& stream, T value)
{
    using U = std::make_unsigned_t<T>;
    auto bits = static_cast<U>(value);
    unsigned char bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    stream.WriteBuffer(bytes, sizeof bytes);
}

template<typename T>
T ReadLittle(TStream& stream)
{
    using U = std::make_unsigned_t<T>;
    unsigned char bytes[sizeof(T)];
    stream.ReadBuffer(bytes, sizeof bytes);
    U bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits = static_cast<U>(bits | static_cast<U>(static_cast<U>(bytes[i]) << (8 * i)));
    return static_cast<T>(bits);
}

} // namespace

void WriteShortStr(TStream& stream, std::string_view text)
{
    std::string_view cut = text.substr(0, kShortStringMax);
    auto length = static_cast<unsigned char>(cut.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(cut.data(), cut.size());
}

std::string ReadShortStr(TStream& stream)
{
    unsigned char length = 0;
    stream.ReadBuffer(&length, 1);
    std::string text(length, '\0');
    stream.ReadBuffer(text.data(), length);
    return text;
}

void WriteByte(TStream& stream, std::uint8_t value) { stream.WriteBuffer(&value, 1); }

std::uint8_t ReadByte(TStream& stream)
{
    std::uint8_t value = 0;
    stream.ReadBuffer(&value, 1);
    return value;
}

void WriteWord(TStream& stream, std::uint16_t value) { WriteLittle(stream, value); }
std::uint16_t ReadWord(TStream& stream) { return ReadLittle<std::uint16_t>(stream); }

void WriteSmallInt(TStream& stream, std::int64_t value)
{
    if (value < INT16_MIN || value > INT16_MAX)
        throw EStreamError("Range check error: " + std::to_string(value) + " does not fit 16 bits");
    WriteLittle(stream, static_cast<std::int16_t>(value));
}

std::int16_t ReadSmallInt(TStream& stream) { return ReadLittle<std::int16_t>(stream); }

void WriteInt(TStream& stream, std::int32_t value) { WriteLittle(stream, value); }
std::int32_t ReadInt(TStream& stream) { return ReadLittle<std::int32_t>(stream); }

void WriteDouble(TStream& stream, double value)
{
    WriteLittle(stream, std::bit_cast<std::uint64_t>(value));
}

double ReadDouble(TStream& stream)
{
    return std::bit_cast<double>(ReadLittle<std::uint64_t>(stream));
}

void WriteBool(TStream& stream, bool value) { WriteByte(stream, value ? 1 : 0); }
bool ReadBool(TStream& stream) { return ReadByte(stream) != 0; }

} // namespace velbrin
