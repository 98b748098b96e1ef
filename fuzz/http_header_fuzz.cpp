// A response header is whatever a server sends: the end scan and the parse
// must stay inside the bytes and keep their results within range.
#include "net/HttpHeader.h"

#include <cstdlib>
#include <string_view>

using namespace velbrin;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t end = FindHeaderEnd(bytes);
    if (end > bytes.size())
        std::abort();
    if (end == 0)
        return 0;
    if (bytes[end - 1] != '\n')
        std::abort();
    THTTPHEADER header = ParseHttpHeader(bytes, end);
    if (header.ContentLength < 0 || header.ContentType.find(';') != std::string::npos)
        std::abort();
    if (header.Location.size() > 255)
        std::abort();
    MediaType(bytes.substr(0, std::min<std::size_t>(bytes.size(), 300)));
    return 0;
}
