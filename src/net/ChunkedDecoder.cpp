#include "net/ChunkedDecoder.h"

#include "core/Text.h"
#include "net/HttpHeader.h"

#include <algorithm>

namespace velbrin {

namespace {

// A size line longer than this is not one a server writes.
constexpr std::size_t kMaxSizeLine = 4096;
// 15 hexadecimal digits: a size that an int64 still holds.
constexpr int kMaxSizeDigits = 15;

} // namespace

TChunkedDecoder::TResult TChunkedDecoder::Stop(TState state)
{
    m_state = state;
    return state == TState::Done ? TResult::Done : TResult::Error;
}

TChunkedDecoder::TResult TChunkedDecoder::Feed(std::string_view block, std::string& out, std::size_t& consumed)
{
    consumed = 0;
    if (m_state == TState::Done)
        return TResult::Done;
    if (m_state == TState::Error)
        return TResult::Error;

    std::size_t pos = 0;
    while (pos < block.size()) {
        if (m_state == TState::Data) {
            std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(m_size, block.size() - pos));
            out.append(block.data() + pos, take);
            pos += take;
            m_size -= take;
            if (m_size == 0)
                m_state = TState::DataCr;
            continue;
        }
        const char c = block[pos++];
        switch (m_state) {
        case TState::Size: {
            const int digit = HexDigitValue(c);
            if (digit >= 0) {
                if (++m_digits > kMaxSizeDigits)
                    return Stop(TState::Error);
                m_size = m_size * 16 + static_cast<std::uint64_t>(digit);
                break;
            }
            if (m_digits == 0)
                return Stop(TState::Error);
            if (c == ';' || c == ' ' || c == '\t') {
                m_state = TState::Extension;
                m_lineLength = static_cast<std::size_t>(m_digits) + 1;
            } else if (c == '\r') {
                m_state = TState::SizeLf;
            } else if (c == '\n') {
                --pos;
                m_state = TState::SizeLf;
            } else {
                return Stop(TState::Error);
            }
            break;
        }
        case TState::Extension:
            if (c == '\n') {
                --pos;
                m_state = TState::SizeLf;
            } else if (++m_lineLength > kMaxSizeLine) {
                return Stop(TState::Error);
            }
            break;
        case TState::SizeLf:
            if (c != '\n')
                return Stop(TState::Error);
            m_digits = 0;
            m_lineLength = 0;
            if (m_size == 0) {
                m_state = TState::Trailer;
                m_trailerLength = 0;
            } else {
                m_state = TState::Data;
            }
            break;
        case TState::DataCr:
            if (c == '\r')
                m_state = TState::DataLf;
            else if (c == '\n')
                m_state = TState::Size;
            else
                return Stop(TState::Error);
            break;
        case TState::DataLf:
            if (c != '\n')
                return Stop(TState::Error);
            m_state = TState::Size;
            break;
        case TState::Trailer:
            if (++m_trailerLength > kMaxHeaderLength)
                return Stop(TState::Error);
            if (c == '\n') {
                if (m_lineLength == 0) {
                    consumed = pos;
                    return Stop(TState::Done);
                }
                m_lineLength = 0;
            } else if (c != '\r') {
                ++m_lineLength;
            }
            break;
        case TState::Data:
        case TState::Done:
        case TState::Error:
            break;
        }
    }
    consumed = block.size();
    return TResult::More;
}

} // namespace velbrin
