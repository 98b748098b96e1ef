#include "net/ContentDecoder.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <array>
#include <cstdint>

namespace velbrin {

namespace {

constexpr std::size_t kOutputStep = 64 * 1024;

class TGzipDecoder final : public TContentDecoder {
public:
    TGzipDecoder()
    {
        // 15 + 32: the largest window, and the gzip or zlib header recognised.
        m_ready = inflateInit2(&m_stream, 15 + 32) == Z_OK;
    }
    ~TGzipDecoder() override
    {
        if (m_ready)
            inflateEnd(&m_stream);
    }

    bool Decode(std::string_view block, std::string& out) override
    {
        if (!m_ready || m_failed)
            return false;
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        m_stream.avail_in = static_cast<uInt>(block.size());
        for (;;) {
            if (m_ended) {
                if (m_stream.avail_in == 0)
                    break;
                // Another member follows the one that ended.
                if (inflateReset(&m_stream) != Z_OK)
                    return Failed();
                m_ended = false;
            }
            const std::size_t start = out.size();
            out.resize(start + kOutputStep);
            m_stream.next_out = reinterpret_cast<Bytef*>(out.data() + start);
            m_stream.avail_out = static_cast<uInt>(kOutputStep);
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            const bool full = m_stream.avail_out == 0;
            out.resize(start + kOutputStep - m_stream.avail_out);
            if (result == Z_STREAM_END) {
                m_ended = true;
                continue;
            }
            if (result == Z_BUF_ERROR)
                break; // no progress possible: the next block is needed
            if (result != Z_OK)
                return Failed();
            if (!full && m_stream.avail_in == 0)
                break;
        }
        return true;
    }

    bool Finished() const override { return m_ready && !m_failed && m_ended; }
    const char* Name() const override { return "gzip"; }

private:
    bool Failed()
    {
        m_failed = true;
        return false;
    }

    z_stream m_stream{};
    bool m_ready = false;
    bool m_failed = false;
    bool m_ended = false;
};

class TBrotliDecoder final : public TContentDecoder {
public:
    TBrotliDecoder()
        : m_state(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr))
    {
    }
    ~TBrotliDecoder() override
    {
        if (m_state)
            BrotliDecoderDestroyInstance(m_state);
    }

    bool Decode(std::string_view block, std::string& out) override
    {
        if (!m_state || m_failed)
            return false;
        if (m_ended)
            return block.empty() || Failed();
        std::size_t availableIn = block.size();
        const auto* nextIn = reinterpret_cast<const std::uint8_t*>(block.data());
        for (;;) {
            const std::size_t start = out.size();
            out.resize(start + kOutputStep);
            std::size_t availableOut = kOutputStep;
            auto* nextOut = reinterpret_cast<std::uint8_t*>(out.data() + start);
            const BrotliDecoderResult result =
                BrotliDecoderDecompressStream(m_state, &availableIn, &nextIn, &availableOut, &nextOut, nullptr);
            out.resize(start + kOutputStep - availableOut);
            switch (result) {
            case BROTLI_DECODER_RESULT_SUCCESS:
                m_ended = true;
                return availableIn == 0 || Failed();
            case BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT:
                return true;
            case BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT:
                continue;
            case BROTLI_DECODER_RESULT_ERROR:
            default:
                return Failed();
            }
        }
    }

    bool Finished() const override { return m_state && !m_failed && m_ended; }
    const char* Name() const override { return "br"; }

private:
    bool Failed()
    {
        m_failed = true;
        return false;
    }

    BrotliDecoderState* m_state;
    bool m_failed = false;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<TContentDecoder> TContentDecoder::Create(TContentCoding coding)
{
    switch (coding) {
    case TContentCoding::Gzip:
        return std::make_unique<TGzipDecoder>();
    case TContentCoding::Brotli:
        return std::make_unique<TBrotliDecoder>();
    case TContentCoding::Identity:
    case TContentCoding::Other:
        break;
    }
    return nullptr;
}

} // namespace velbrin
