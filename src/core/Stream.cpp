#include "core/Stream.h"

#include "core/Errors.h"

#include <algorithm>
#include <vector>

namespace velbrin {

std::int64_t TStream::Remaining()
{
    return std::max<std::int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void* buffer, std::size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EStreamError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count < 0)
        count = source.Remaining();
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 65536)) + 1);
    std::int64_t done = 0;
    while (done < count) {
        auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(count - done, 65536));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        done += static_cast<std::int64_t>(chunk);
    }
    return done;
}

} // namespace velbrin
