#include "core/MemoryStream.h"

#include "core/Errors.h"
#include "core/FileStream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace velbrin {

namespace {

// Where a seek from origin by offset lands; a place before the start is an
// error.
std::size_t SeekTarget(std::int64_t offset, SeekOrigin origin, std::size_t position, std::size_t size)
{
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = static_cast<std::int64_t>(position);
    else if (origin == SeekOrigin::End)
        base = static_cast<std::int64_t>(size);
    const std::int64_t target = base + offset;
    if (target < 0)
        throw EStreamError("Stream seek error");
    return static_cast<std::size_t>(target);
}

// Reads from bytes at position, which moves on.
std::size_t ReadAt(std::string_view bytes, std::size_t& position, void* buffer, std::size_t count)
{
    if (position >= bytes.size())
        return 0;
    const std::size_t n = std::min(count, bytes.size() - position);
    std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    return n;
}

} // namespace

TMemoryStreamEx::TMemoryStreamEx(std::string_view bytes)
{
    Write(bytes.data(), bytes.size());
    m_position = 0;
}

void TMemoryStreamEx::Reserve(std::size_t needed)
{
    if (needed <= m_capacity)
        return;
    // Growing by half at least keeps a stream written piece by piece linear:
    // growing to the bare need copied the whole block again every 8 KB.
    needed = std::max(needed, m_capacity + m_capacity / 2);
    std::size_t capacity = (needed + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
    std::unique_ptr<char[]> block(new (std::nothrow) char[capacity]);
    if (!block)
        throw EStreamError("Out of memory while expanding memory stream");
    if (m_size != 0)
        std::memcpy(block.get(), m_block.get(), m_size);
    m_block = std::move(block);
    m_capacity = capacity;
}

std::size_t TMemoryStreamEx::Read(void* buffer, std::size_t count)
{
    if (m_position >= m_size)
        return 0;
    std::size_t n = std::min(count, m_size - m_position);
    std::memcpy(buffer, m_block.get() + m_position, n);
    m_position += n;
    return n;
}

std::size_t TMemoryStreamEx::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    std::size_t end = m_position + count;
    Reserve(end);
    if (m_position > m_size)
        std::memset(m_block.get() + m_size, 0, m_position - m_size);
    std::memcpy(m_block.get() + m_position, buffer, count);
    m_position = end;
    m_size = std::max(m_size, end);
    return count;
}

std::int64_t TMemoryStreamEx::Seek(std::int64_t offset, SeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = static_cast<std::int64_t>(m_position);
    else if (origin == SeekOrigin::End)
        base = static_cast<std::int64_t>(m_size);
    std::int64_t target = base + offset;
    if (target < 0)
        throw EStreamError("Stream seek error");
    m_position = static_cast<std::size_t>(target);
    return target;
}

void TMemoryStreamEx::Reset()
{
    m_size = 0;
    m_position = 0;
    if (m_capacity > kGrowthStep) {
        m_block.reset();
        m_capacity = 0;
        Reserve(kGrowthStep);
    }
}

void TMemoryStreamEx::Clear()
{
    m_block.reset();
    m_size = m_capacity = m_position = 0;
}

void TMemoryStreamEx::SetSize(std::size_t size)
{
    Reserve(size);
    if (size > m_size)
        std::memset(m_block.get() + m_size, 0, size - m_size);
    m_size = size;
    m_position = std::min(m_position, m_size);
}

void TMemoryStreamEx::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, TFileStream::Mode::OpenRead);
    Clear();
    auto size = static_cast<std::size_t>(file.Size());
    SetSize(size);
    file.ReadBuffer(m_block.get(), size);
    m_position = 0;
}

void TMemoryStreamEx::SaveToFile(const std::string& fileName) const
{
    TAtomicFileStream file(fileName);
    file.WriteBuffer(m_block.get(), m_size);
    file.Commit();
}

TStringStream::TStringStream(std::size_t capacity)
{
    m_bytes.reserve(capacity);
}

std::size_t TStringStream::Read(void* buffer, std::size_t count)
{
    return ReadAt(m_bytes, m_position, buffer, count);
}

std::size_t TStringStream::WriteInside(const void* buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    const char* bytes = static_cast<const char*>(buffer);
    if (m_position > m_bytes.size())
        m_bytes.resize(m_position, '\0');
    const std::size_t over = std::min(count, m_bytes.size() - m_position);
    m_bytes.replace(m_position, over, bytes, over);
    m_bytes.append(bytes + over, count - over);
    m_position += count;
    return count;
}

std::int64_t TStringStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    m_position = SeekTarget(offset, origin, m_position, m_bytes.size());
    return static_cast<std::int64_t>(m_position);
}

std::string TStringStream::Take()
{
    std::string bytes = std::move(m_bytes);
    m_bytes.clear();
    m_position = 0;
    return bytes;
}

std::size_t TViewStream::Read(void* buffer, std::size_t count)
{
    return ReadAt(m_bytes, m_position, buffer, count);
}

std::int64_t TViewStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    m_position = SeekTarget(offset, origin, m_position, m_bytes.size());
    return static_cast<std::int64_t>(m_position);
}

} // namespace velbrin
