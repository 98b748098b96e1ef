#include "index/IndexTexts.h"

#include "core/CaseFold.h"
#include "core/Text.h"
#include "store/LocalName.h"

#include <algorithm>
#include <cmath>

namespace velbrin {

namespace {

constexpr double kSecondsPerDay = 86400.0;

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~';
}

} // namespace

std::string PageText(std::string_view text)
{
    return HtmlEscape(ToUtf8(text));
}

std::string SizeText(std::int64_t bytes)
{
    if (bytes <= 1024)
        return std::to_string(bytes) + " bytes";
    return std::to_string(bytes / 1024) + " Kb";
}

std::int64_t SessionSeconds(TDateTime start, TDateTime end)
{
    double seconds = std::round((end - start) * kSecondsPerDay);
    if (!(seconds > 0))
        return 0;
    return static_cast<std::int64_t>(std::min(seconds, 9.0e15));
}

std::string SessionTimeText(TDateTime start, TDateTime end)
{
    std::int64_t seconds = SessionSeconds(start, end);
    if (seconds < 86400)
        return FormatTimeText(static_cast<double>(seconds) / kSecondsPerDay);
    return FormatDuration(seconds);
}

std::int64_t SessionSpeed(std::int32_t receivedKb, TDateTime start, TDateTime end)
{
    std::int64_t seconds = SessionSeconds(start, end);
    if (seconds == 0)
        return 0;
    return static_cast<std::int64_t>(receivedKb) * 1024 / seconds;
}

std::string LocalHref(std::string_view fileName)
{
    if (fileName.empty() || !IsSafeLocalName(fileName))
        return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string href;
    href.reserve(fileName.size());
    for (char c : fileName) {
        auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            href += c;
        } else {
            href += '%';
            href += kHex[byte >> 4];
            href += kHex[byte & 0x0F];
        }
    }
    return href;
}

bool IsWebAddress(std::string_view address)
{
    return StartsWithNoCase(address, "http:") || StartsWithNoCase(address, "https:")
           || StartsWithNoCase(address, "ftp:");
}

} // namespace velbrin
