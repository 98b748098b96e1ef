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

} // namespace velbrin
