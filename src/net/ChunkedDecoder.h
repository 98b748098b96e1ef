#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

// Reads a body sent with the chunked transfer coding, in blocks as they
// arrive: each chunk's size line (extensions skipped), its data, and at the
// end the trailer lines, which are read and dropped. Size lines, chunk ends
// and trailers may be split anywhere between two blocks. A bare LF is taken
// for CR LF.
class TChunkedDecoder {
public:
    enum class TResult {
        More,  // the body goes on in the next block
        Done,  // the body ended, trailer included
        Error, // not a chunked body (bad size line, missing chunk end, overlong line or trailer)
    };

    // Appends the chunk data of block to out. On Done, consumed is the
    // number of bytes of block that belong to the body; the rest follows it.
    // After Done or Error every call returns the same result and takes nothing.
    TResult Feed(std::string_view block, std::string& out, std::size_t& consumed);

private:
    enum class TState { Size, Extension, SizeLf, Data, DataCr, DataLf, Trailer, Done, Error };

    TResult Stop(TState state);

    TState m_state = TState::Size;
    std::uint64_t m_size = 0;
    int m_digits = 0;
    std::size_t m_lineLength = 0;   // bytes of the current size, extension or trailer line
    std::size_t m_trailerLength = 0;
};

} // namespace velbrin
