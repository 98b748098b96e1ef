#include "browser/BrowserDde.h"

#include "core/CaseFold.h"
#include "core/Files.h"

#include <optional>

namespace velbrin {

namespace {

// A DDE client request on a fresh conversation with the service: the reply
// (empty when the browser returned no data), or nothing when no conversation
// on the topic opened. There is no DDE on this platform.
std::optional<std::string> DdeRequest(std::string_view /*service*/, std::string_view /*topic*/,
                                      std::string_view /*item*/)
{
    return std::nullopt;
}

// A DDE poke with empty data; nothing to poke on this platform.
void DdePoke(std::string_view /*service*/, std::string_view /*topic*/, std::string_view /*item*/)
{
}

} // namespace

std::string DdeServiceName(std::string_view exeName)
{
    std::string name = ExtractFileName(exeName);
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return UpperCase(name);
}

std::string DdeOpenUrlItem(std::string_view target)
{
    std::string item;
    item += '"';
    item += target;
    item += '"';
    item += ",,0xffffffff,0x00000000,,,";
    return item;
}

bool DdeOpenUrl(std::string_view exeName, std::string_view target, bool activate)
{
    const std::string service = DdeServiceName(exeName);
    if (!DdeRequest(service, kDdeTopicOpenUrl, DdeOpenUrlItem(target)))
        return false;
    if (activate) {
        const std::optional<std::string> window = DdeRequest(service, kDdeTopicActivate, kDdeActivateItem);
        if (window && !window->empty())
            DdePoke(service, kDdeTopicWindowChange, kDdeWindowChangeItem);
    }
    return true;
}

bool GetBrowserWindowInfo(std::string_view exeName, std::string& address, std::size_t maxAddress,
                          std::string& title, std::size_t maxTitle)
{
    address.clear();
    title.clear();
    const std::optional<std::string> reply =
        DdeRequest(DdeServiceName(exeName), kDdeTopicGetWindowInfo, kDdeWindowInfoItem);
    return reply && ReadWindowInfoReply(*reply, address, maxAddress, title, maxTitle);
}

bool ReadWindowInfoReply(std::string_view reply, std::string& address, std::size_t maxAddress,
                         std::string& title, std::size_t maxTitle)
{
    const TStringList strings = SplitQuoted(reply);
    if (strings.empty())
        return false;
    address = strings[0].substr(0, maxAddress);
    if (strings.size() > 1)
        title = CleanBrowserTitle(strings[1], maxTitle);
    return true;
}

std::string CleanBrowserTitle(std::string_view title, std::size_t maxLength)
{
    std::string text = TrimBlanks(title).substr(0, maxLength);
    constexpr std::string_view kPrefix = "netscape - ";
    if (StartsWithNoCase(text, kPrefix))
        text.erase(0, kPrefix.size());
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    return text;
}

TStringList SplitQuoted(std::string_view text)
{
    enum class TState { Outside, Inside, Escaped };
    TStringList strings;
    std::string current;
    TState state = TState::Outside;
    for (char c : text) {
        switch (state) {
        case TState::Outside:
            if (c == '"') {
                current.clear();
                state = TState::Inside;
            }
            break;
        case TState::Inside:
            if (c == '"') {
                strings.push_back(current);
                state = TState::Outside;
            } else if (c == '\\') {
                state = TState::Escaped;
            } else {
                current += c;
            }
            break;
        case TState::Escaped:
            current += c;
            state = TState::Inside;
            break;
        }
    }
    return strings;
}

} // namespace velbrin
