// Any byte string is a possible address: parsing, resolving and naming must
// keep the model's invariants and never read out of bounds.
#include "core/Url.h"

#include <cstdlib>
#include <string>

using namespace velbrin;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckInvariants(const TUrl& url)
{
    Check(!url.Directory.empty() && url.Directory.front() == '/');
    Check(url.Directory.back() == '/' || url.Directory.back() == '\\');
    Check(url.Directory.size() <= 255 && url.FileName.size() <= 255 && url.Host.size() <= 255);
    std::string segment = url.FileName.substr(0, url.FileName.size() - std::min(url.FileName.size(), url.Query.size()));
    Check(segment.find_first_of("/\\") == std::string::npos);
    Check(url.Protocol < kProtocolPrefixes.size());
    Check(GetUrlText(url).size() <= 255);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\n');
    std::string reference = input.substr(0, split);
    std::string base = split == std::string::npos ? std::string() : input.substr(split + 1);

    TUrl parsedBase = TUrl::Create(base);
    CheckInvariants(parsedBase);
    TUrl resolved = TUrl::Create(reference, &parsedBase);
    CheckInvariants(resolved);

    std::string text = ResolveUrl(reference, base);
    Check(text.size() <= 255);
    // The canonical text parses back to itself.
    Check(ResolveUrl(text, "") == text || text.size() == 255);

    std::string name = LocalBaseName(text);
    Check(!name.empty() && name.size() <= 8);
    Check(name.find_first_of(std::string("/\\.?\0", 5)) == std::string::npos);
    UrlToList(text);
    GetShortName(text);
    GetDomainName(text);
    return 0;
}
