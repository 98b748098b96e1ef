#include "net/HttpStatusText.h"

#include <array>
#include <span>
#include <string_view>

namespace velbrin {

namespace {

// Indexed by the code modulo 100. The spelling is the program's own.
constexpr std::array<std::string_view, 7> kSuccessNames = {
    "Ok", "Created", "Accepted", "Non-Authoritative information", "No content", "Reset content", "Partial content",
};

constexpr std::array<std::string_view, 6> kRedirectionNames = {
    "Multiple choices", "Moved permanently", "Moved temporary", "See other", "Not modified", "Use proxy",
};

constexpr std::array<std::string_view, 16> kClientErrorNames = {
    "Bad Request",
    "Unhauthorized",
    "Payement required",
    "Forbidden",
    "Not found",
    "Method not allowed",
    "Not acceptable",
    "Proxy Authentification required",
    "Request Tiemout",
    "Conflict",
    "Gone",
    "Length Required",
    "Precondition failded",
    "Request entity too large",
    "Request-URI too long",
    "Unsupported media type",
};

constexpr std::array<std::string_view, 6> kServerErrorNames = {
    "Internal Server Error", "Not Implemented", "Bad Gateway", "Service Unavailable", "Gateway Timeout",
    "HTTP Version Not Supported",
};

std::string_view NameIn(std::span<const std::string_view> names, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return {};
    return names[static_cast<std::size_t>(index)];
}

} // namespace

std::string HttpStatusText(int code)
{
    std::string text;
    int index = code % 100;
    switch (code / 100) {
    case 2:
        text = NameIn(kSuccessNames, index);
        break;
    case 3:
        text = NameIn(kRedirectionNames, index);
        break;
    case 4:
        text = NameIn(kClientErrorNames, index);
        break;
    case 5:
        text = NameIn(kServerErrorNames, index);
        break;
    default:
        text = "HTTP error number " + std::to_string(code);
        break;
    }
    return text + " (" + std::to_string(code) + ")";
}

} // namespace velbrin
