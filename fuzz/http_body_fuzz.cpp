// A response body is whatever a server sends: the chunked reader and the
// gzip and brotli decoders must stay inside the bytes, whatever the blocks
// they come in, and give the same result for any split of the same bytes.
#include "net/ChunkedDecoder.h"
#include "net/ContentDecoder.h"

#include <cstdlib>
#include <string>
#include <string_view>

using namespace velbrin;

namespace {

// The bytes in blocks of step bytes; returns the result and what came out.
TChunkedDecoder::TResult Chunked(std::string_view bytes, std::size_t step, std::string& out)
{
    TChunkedDecoder decoder;
    TChunkedDecoder::TResult result = TChunkedDecoder::TResult::More;
    for (std::size_t pos = 0; pos < bytes.size() && result == TChunkedDecoder::TResult::More; pos += step) {
        std::string_view block = bytes.substr(pos, step);
        std::size_t consumed = 0;
        result = decoder.Feed(block, out, consumed);
        if (consumed > block.size())
            std::abort();
    }
    return result;
}

void Decode(TContentCoding coding, std::string_view bytes, std::size_t step)
{
    std::string whole;
    std::unique_ptr<TContentDecoder> once = TContentDecoder::Create(coding);
    bool wholeOk = once->Decode(bytes, whole);

    std::string split;
    std::unique_ptr<TContentDecoder> blocks = TContentDecoder::Create(coding);
    bool splitOk = true;
    for (std::size_t pos = 0; pos < bytes.size() && splitOk; pos += step)
        splitOk = blocks->Decode(bytes.substr(pos, step), split);
    if (wholeOk && splitOk && (whole != split || once->Finished() != blocks->Finished()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t step = 1 + data[0] % 17;
    const int which = data[1] % 3;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    if (which == 0) {
        std::string whole;
        std::string split;
        TChunkedDecoder::TResult a = Chunked(bytes, bytes.size() + 1, whole);
        TChunkedDecoder::TResult b = Chunked(bytes, step, split);
        if (a != b || whole != split)
            std::abort();
    } else {
        Decode(which == 1 ? TContentCoding::Gzip : TContentCoding::Brotli, bytes, step);
    }
    return 0;
}
