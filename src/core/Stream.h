#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velbrin {

enum class SeekOrigin { Begin, Current, End };

// A seekable sequence of bytes. Read and Write move the position and return
// how many bytes they moved; ReadBuffer and WriteBuffer insist on the whole
// count and raise EStreamError otherwise.
class TStream {
public:
    virtual ~TStream() = default;

    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size() const = 0;
    // All bytes of a stream that holds them in memory, for readers that read
    // them in place; nullopt for a stream that must be read through Read.
    virtual std::optional<std::string_view> InPlace() const { return std::nullopt; }

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Begin); }
    // Bytes between the position and the end.
    std::int64_t Remaining();

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies count bytes (all that remain when count is negative) from source.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

} // namespace velbrin
