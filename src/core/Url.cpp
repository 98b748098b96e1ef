#include "core/Url.h"

#include "core/SystemFiles.h"

#include "core/CaseFold.h"
#include "core/Files.h"
#include "core/ShortString.h"

#include <algorithm>

namespace velbrin {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t FindLastSeparator(std::string_view path)
{
    return path.find_last_of("/\\");
}

// Removes "../" segments (with the segment before them, but never the root),
// then "..\" segments the same way, then "./" and ".\" segments.
std::string NormalizeDirectory(std::string_view directory)
{
    // Without "./" or ".\" there is no dot segment, and the directory (which
    // ends with its separator) splits and joins back into itself.
    if (directory.size() <= kShortStringMax && directory.find("./") == std::string_view::npos
        && directory.find(".\\") == std::string_view::npos && !directory.empty()
        && IsSeparator(directory.back()))
        return std::string(directory);
    TStringList segments = SplitPath(directory);
    for (;;) {
        auto parent = std::find(segments.begin(), segments.end(), "../");
        if (parent == segments.end())
            parent = std::find(segments.begin(), segments.end(), "..\\");
        if (parent == segments.end())
            break;
        auto index = parent - segments.begin();
        if (index > 1)
            segments.erase(parent - 1, parent + 1);
        else
            segments.erase(parent);
    }
    std::erase_if(segments, [](const std::string& s) { return s == "./" || s == ".\\"; });
    return JoinPath(segments);
}

// TUrl::Create, and ResolveLink when keepBaseProtocol is set.
TUrl ParseUrl(std::string_view text, const TUrl* base, bool keepBaseProtocol)
{
    // The texts are views into text (or into pathBuffer) until they are
    // stored: an address is parsed for every link of every page.
    TUrl url;
    std::string_view rest = text.substr(0, kShortStringMax);

    // 1. Protocol.
    bool prefixed = false;
    for (std::size_t i = 0; i < kProtocolPrefixes.size(); ++i) {
        if (StartsWithNoCase(rest, kProtocolPrefixes[i])) {
            url.Protocol = static_cast<std::uint8_t>(i);
            rest.remove_prefix(kProtocolPrefixes[i].size());
            prefixed = true;
            break;
        }
    }
    if (!prefixed && keepBaseProtocol && base)
        url.Protocol = base->Protocol;

    // 2. Query.
    if (std::size_t question = rest.find('?'); question != std::string_view::npos) {
        url.Query = rest.substr(question);
        rest = rest.substr(0, question);
    }

    // 3 and 4. Authority or relative reference.
    std::string pathBuffer;
    std::string_view path;
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        if (std::size_t slash = rest.find('/'); slash != std::string_view::npos) {
            url.Host = rest.substr(0, slash);
            path = rest.substr(slash);
        } else {
            url.Host = rest;
            path = "/";
        }
        if (std::size_t colon = url.Host.find(':'); colon != std::string::npos) {
            std::int64_t port = 0;
            std::string_view digits = std::string_view(url.Host).substr(colon + 1);
            url.Port = TryParseInt(digits, port) && port >= INT32_MIN && port <= INT32_MAX
                           ? static_cast<std::int32_t>(port)
                           : DefaultPort(url.Protocol);
            url.Host.erase(colon);
        }
    } else {
        if (base) {
            url.Host = base->Host;
            url.Port = base->Port;
        }
        if (rest.starts_with('/')) {
            path = rest;
        } else {
            pathBuffer.reserve((base ? base->Directory.size() : 1) + rest.size());
            pathBuffer = base ? std::string_view(base->Directory) : std::string_view("/");
            pathBuffer += rest;
            path = pathBuffer;
        }
    }
    path = path.substr(0, kShortStringMax);

    // 5. File name and directory.
    if (path == "/") {
        url.FileName = url.Query;
        url.Directory = "/";
        return url;
    }
    std::size_t last = FindLastSeparator(path);
    url.FileName.reserve(path.size() - last - 1 + url.Query.size());
    url.FileName = path.substr(last + 1);
    url.FileName += url.Query;
    if (url.FileName.size() > kShortStringMax)
        url.FileName.resize(kShortStringMax);
    for (;;) {
        std::size_t pair = url.FileName.find("//");
        if (pair == std::string::npos)
            pair = url.FileName.find("\\\\");
        if (pair == std::string::npos)
            break;
        url.FileName.erase(pair, 1);
    }
    url.Directory = NormalizeDirectory(path.substr(0, last + 1));
    return url;
}

} // namespace

TUrl TUrl::Create(std::string_view text, const TUrl* base) { return ParseUrl(text, base, false); }

TUrl ResolveLink(std::string_view text, const TUrl& base) { return ParseUrl(text, &base, true); }

std::string GetUrlText(const TUrl& url)
{
    std::string text(kProtocolPrefixes[url.Protocol < kProtocolPrefixes.size() ? url.Protocol : 0]);
    text += "//";
    text += url.Host;
    if (url.Port != -1)
        text += ":" + std::to_string(url.Port);
    text += url.Directory;
    text += url.FileName;
    return ShortString(text);
}

std::string ResolveUrl(std::string_view reference, std::string_view base)
{
    if (base.empty())
        return GetUrlText(TUrl::Create(reference));
    TUrl parsedBase = TUrl::Create(base);
    return GetUrlText(TUrl::Create(reference, &parsedBase));
}

std::uint8_t GetProtocol(std::string_view url) { return TUrl::Create(url).Protocol; }

bool HasForeignScheme(std::string_view text)
{
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isAlpha(text[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        char c = text[i];
        if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    for (std::string_view prefix : kProtocolPrefixes) {
        if (colon + 1 == prefix.size() && StartsWithNoCase(text, prefix))
            return false;
    }
    return true;
}

bool IsValidUrl(std::string_view url) { return IsValidUrl(TUrl::Create(url)); }

bool IsValidUrl(const TUrl& url)
{
    return url.Host.find('.') != std::string::npos && url.Directory.find(':') == std::string::npos
           && url.FileName.find(':') == std::string::npos;
}

std::string GetHost(std::string_view url) { return TUrl::Create(url).Host; }

std::int32_t GetPort(std::string_view url)
{
    TUrl parsed = TUrl::Create(url);
    return parsed.Port == -1 ? DefaultPort(parsed.Protocol) : parsed.Port;
}

std::string GetDirectory(std::string_view url) { return TUrl::Create(url).Directory; }

std::string GetFileName(std::string_view url) { return TUrl::Create(url).FileName; }

std::string GetDocument(std::string_view url)
{
    TUrl parsed = TUrl::Create(url);
    return parsed.Directory + parsed.FileName;
}

std::string GetExtension(std::string_view url)
{
    std::string name = TUrl::Create(url).FileName;
    std::size_t dot = name.find('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return {};
    return name.substr(dot + 1);
}

std::string GetDomainName(std::string_view url)
{
    std::string host = TUrl::Create(url).Host;
    if (std::size_t last = host.rfind('.'); last != std::string::npos)
        host.erase(last);
    for (std::size_t dot = host.find('.'); dot != std::string::npos; dot = host.find('.'))
        host.erase(0, dot + 1);
    return host;
}

std::string GetMachineName(std::string_view url)
{
    std::string host = TUrl::Create(url).Host;
    return host.substr(0, host.find('.'));
}

TStringList UrlToList(std::string_view url)
{
    TUrl parsed = TUrl::Create(url);
    TStringList keys;
    // Protocol, host, one key per directory segment (SplitPath), file name.
    keys.reserve(3 + static_cast<std::size_t>(std::count_if(parsed.Directory.begin(), parsed.Directory.end(), IsSeparator)));
    keys.emplace_back(kProtocolPrefixes[parsed.Protocol]);
    std::string host = "//" + parsed.Host;
    if (parsed.Port != -1)
        host += ":" + std::to_string(parsed.Port);
    keys.push_back(std::move(host));
    std::string_view directory = parsed.Directory;
    std::size_t start = 0;
    for (std::size_t i = 0; i < directory.size(); ++i) {
        if (IsSeparator(directory[i])) {
            keys.emplace_back(directory.substr(start, i - start + 1));
            start = i + 1;
        }
    }
    if (start < directory.size())
        keys.push_back(std::string(directory.substr(start)) + "/");
    keys.push_back(std::move(parsed.FileName));
    return keys;
}

std::size_t UrlKeysInPlace(std::string_view url, std::span<std::string_view> keys)
{
    if (url.size() > kShortStringMax || keys.size() < 3)
        return 0;
    std::size_t protocol = 0;
    while (protocol < kProtocolPrefixes.size() && !StartsWithNoCase(url, kProtocolPrefixes[protocol]))
        ++protocol;
    if (protocol == kProtocolPrefixes.size())
        return 0;
    const std::size_t authority = kProtocolPrefixes[protocol].size();
    if (url.substr(authority, 2) != "//")
        return 0;
    // The query starts at the first "?"; the path at the first "/" before it.
    const std::size_t query = std::min(url.find('?', authority), url.size());
    const std::size_t path = url.find('/', authority + 2);
    if (path == std::string_view::npos || path >= query)
        return 0;
    const std::string_view host = url.substr(authority, path - authority);
    if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        // Only a port that reads back as written: digits, no leading zero.
        const std::string_view digits = host.substr(colon + 1);
        if (digits.empty() || digits.size() > 9 || (digits[0] == '0' && digits.size() > 1)
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return 0;
    }
    const std::string_view directoryAndName = url.substr(path, query - path);
    const std::size_t last = path + FindLastSeparator(directoryAndName);
    const std::string_view directory = url.substr(path, last + 1 - path);
    const std::string_view fileName = url.substr(last + 1);
    if (directory.find("./") != std::string_view::npos || directory.find(".\\") != std::string_view::npos
        || fileName.find("//") != std::string_view::npos || fileName.find("\\\\") != std::string_view::npos)
        return 0;
    std::size_t count = 0;
    keys[count++] = kProtocolPrefixes[protocol];
    keys[count++] = host;
    std::size_t start = 0;
    for (std::size_t i = 0; i < directory.size(); ++i) {
        if (IsSeparator(directory[i])) {
            if (count + 1 == keys.size())
                return 0;
            keys[count++] = directory.substr(start, i - start + 1);
            start = i + 1;
        }
    }
    keys[count++] = fileName;
    return count;
}

bool SameUrlKey(std::size_t level, std::string_view a, std::string_view b)
{
    return UrlKeyIgnoresCase(level) ? SameText(a, b) : a == b;
}

bool SameAddress(std::string_view a, std::string_view b)
{
    const TStringList first = UrlToList(a);
    const TStringList second = UrlToList(b);
    if (first.size() != second.size())
        return false;
    for (std::size_t level = 0; level < first.size(); ++level) {
        if (!SameUrlKey(level, first[level], second[level]))
            return false;
    }
    return true;
}

bool IsUnderDirectory(std::string_view path, std::string_view directory)
{
    return path.starts_with(directory);
}

std::string GetShortName(std::string_view url)
{
    TUrl parsed = TUrl::Create(url);
    std::string name;
    bool found = false;
    for (const std::string& segment : SplitPath(parsed.Directory)) {
        if (segment.size() >= 2) {
            name = segment.substr(0, segment.size() - 1);
            found = true;
        }
    }
    if (!found) {
        name = UpperCase(parsed.Host);
        if (std::size_t last = name.rfind('.'); last != std::string::npos)
            name.erase(last);
        for (std::size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.'))
            name.erase(0, dot + 1);
    }
    return UpperCase(name.substr(0, 8));
}

std::string LocalBaseName(std::string_view url)
{
    std::string base = TUrl::Create(url).FileName;
    base.erase(std::min(base.find_first_of(". ?"), base.size()));
    std::erase_if(base, [](char c) { return c == '=' || c == '*' || c == ',' || c == '+' || c == '"' || c == '\0'; });
    base = base.substr(0, 8);
    return base.empty() ? std::string("INDEX") : base;
}

// Names the program writes into a capture directory itself: the log, the
// report pages and the index pages, which are a list's name ("_Home",
// "_IxH", "_IxI", "_IxO", "_IxE") alone or followed by a page number of at
// least two hexadecimal digits ("_IxH01.htm", "_IxH100.htm"). A captured file
// never takes one, even before the program's file exists.
bool IsReservedLocalName(std::string_view name)
{
    for (std::string_view own : {kLogFileName, kNotFoundFileName, kBadLinkFileName})
        if (SameText(name, own))
            return true;
    if (!EndsWithNoCase(name, ".htm"))
        return false;
    std::string_view base = name.substr(0, name.size() - 4);
    constexpr std::string_view home = kHomePageName.substr(0, kHomePageName.size() - 4);
    std::string_view number;
    if (StartsWithNoCase(base, home))
        number = base.substr(home.size());
    else if (base.size() >= 4 && StartsWithNoCase(base, "_Ix") && std::string_view("HIOEhioe").find(base[3]) != std::string_view::npos)
        number = base.substr(4);
    else
        return false;
    if (number.empty())
        return true;
    return number.size() >= 2 && number.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

std::string NumberedName(std::string_view base, int n)
{
    std::string number = std::to_string(n);
    std::size_t keep = number.size() < 8 ? 8 - number.size() : 0;
    return std::string(base.substr(0, keep)) + number;
}

std::string MakeLocalFileName(std::string_view url, std::string_view directory, std::string_view extension)
{
    std::string base = LocalBaseName(url);
    // The extension comes from the MIME table, which may have learnt it from an
    // address: it must never lead out of the directory.
    std::string ext(extension);
    std::erase_if(ext, [](char c) { return IsSeparator(c) || c == '\0'; });
    std::string dir(directory);

    auto taken = [&](const std::string& name) {
        return IsReservedLocalName(name) || FileExistsNoCase(dir + name);
    };
    std::string candidate = base + "." + ext;
    if (!taken(candidate))
        return dir + candidate;
    for (int n = 1;; ++n) {
        candidate = NumberedName(base, n) + "." + ext;
        if (!taken(candidate))
            return dir + candidate;
    }
}

std::string MakeFileUrl(std::string_view fileName)
{
    std::string path(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.starts_with('/'))
        return ShortString("file://" + path);
    return ShortString("file:///" + path);
}

TStringList SplitPath(std::string_view path)
{
    TStringList segments;
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            segments.emplace_back(path.substr(start, i - start + 1));
            start = i + 1;
        }
    }
    if (start < path.size())
        segments.push_back(std::string(path.substr(start)) + "/");
    return segments;
}

std::string JoinPath(const TStringList& segments)
{
    std::string path;
    for (const std::string& segment : segments) {
        path += segment;
        if (path.size() >= kShortStringMax)
            break;
    }
    return ShortString(path);
}

} // namespace velbrin
