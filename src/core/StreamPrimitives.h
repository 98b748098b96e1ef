#pragma once

#include "core/Stream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

// The little-endian encodings of the binary files (project file, web tree,
// MIME table, map list), whatever the host. Readers raise EStreamError when
// the stream ends early; they never read past its end.

// One length byte n (0..255), then n bytes; a longer text is cut at 255.
void WriteShortStr(TStream& stream, std::string_view text);
std::string ReadShortStr(TStream& stream);

void WriteByte(TStream& stream, std::uint8_t value);
std::uint8_t ReadByte(TStream& stream);

void WriteWord(TStream& stream, std::uint16_t value);
std::uint16_t ReadWord(TStream& stream);

// Signed 16-bit with a range check: a value outside -32768..32767 raises
// EStreamError before anything is written.
void WriteSmallInt(TStream& stream, std::int64_t value);
std::int16_t ReadSmallInt(TStream& stream);

void WriteInt(TStream& stream, std::int32_t value);
std::int32_t ReadInt(TStream& stream);

void WriteDouble(TStream& stream, double value);
double ReadDouble(TStream& stream);

void WriteBool(TStream& stream, bool value);
// Any non-zero byte is true.
bool ReadBool(TStream& stream);

} // namespace velbrin
