#pragma once

#include "core/Stream.h"

#include <memory>
#include <string>
#include <string_view>

namespace velbrin {

// Bytes in one memory block whose capacity grows to the needed size, or to
// half as much again when that is more, rounded up to a multiple of 8192
// bytes.
class TMemoryStreamEx final : public TStream {
public:
    static constexpr std::size_t kGrowthStep = 8192;

    TMemoryStreamEx() = default;
    explicit TMemoryStreamEx(std::string_view bytes);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_size); }
    std::optional<std::string_view> InPlace() const override { return View(); }

    std::size_t Capacity() const { return m_capacity; }
    const char* Data() const { return m_block.get(); }
    std::string_view View() const { return {m_block.get(), m_size}; }
    std::string ToString() const { return std::string(View()); }

    // Size and position 0; the block shrinks to 8192 bytes when it is larger.
    void Reset();
    // Size and position 0; the block is released.
    void Clear();
    void SetSize(std::size_t size);

    // The whole file; raises EStreamError when it cannot be read.
    void LoadFromFile(const std::string& fileName);
    // Writes the content to a new file (replacing it atomically).
    void SaveToFile(const std::string& fileName) const;

private:
    void Reserve(std::size_t needed);

    std::unique_ptr<char[]> m_block;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::size_t m_position = 0;
};

// Bytes written into a std::string, which the caller can take over whole
// when done (no copy). Writing past the end fills the gap with zeros, like
// TMemoryStreamEx.
class TStringStream final : public TStream {
public:
    TStringStream() = default;
    // Room for capacity bytes, so that writing that many allocates once.
    explicit TStringStream(std::size_t capacity);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override
    {
        // Writing at the end, the usual case, is an append.
        if (m_position != m_bytes.size())
            return WriteInside(buffer, count);
        m_bytes.append(static_cast<const char*>(buffer), count);
        m_position += count;
        return count;
    }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_bytes.size()); }
    std::optional<std::string_view> InPlace() const override { return View(); }

    std::string_view View() const { return m_bytes; }
    // The bytes, moved out; the stream is left empty, at position 0.
    std::string Take();

private:
    std::size_t WriteInside(const void* buffer, std::size_t count);

    std::string m_bytes;
    std::size_t m_position = 0;
};

// Bytes the stream reads in place and does not own: they must stay alive,
// unchanged, while it is used. Writing is refused (WriteBuffer raises
// EStreamError).
class TViewStream final : public TStream {
public:
    explicit TViewStream(std::string_view bytes)
        : m_bytes(bytes)
    {
    }

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_bytes.size()); }
    std::optional<std::string_view> InPlace() const override { return m_bytes; }

private:
    std::string_view m_bytes;
    std::size_t m_position = 0;
};

} // namespace velbrin
