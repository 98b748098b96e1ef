#include "browser/BookmarkScanner.h"

#include "core/CaseFold.h"
#include "core/Text.h"
#include "html/Tag.h"

namespace velbrin {

namespace {

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Offset of the first byte at or after pos that is not a blank.
std::size_t SkipBlanksFrom(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

} // namespace

TBookmarkScanner::TBookmarkScanner(std::string_view bytes)
    : m_bytes(bytes)
    , m_unfinished(bytes.size())
{
    FindTag(0);
}

bool TBookmarkScanner::Next(TBookmarkToken& token)
{
    if (m_next >= m_bytes.size())
        return false;
    const std::size_t start = m_next;
    const std::size_t end = m_nextEnd;
    token.Tag = m_bytes.substr(start, end - start + 1);

    // The name: what follows "<" up to a blank, "/" (after a leading one) or ">".
    std::size_t nameEnd = start + 1;
    if (nameEnd < end && m_bytes[nameEnd] == '/')
        ++nameEnd;
    while (nameEnd < end && !IsBlank(m_bytes[nameEnd]) && m_bytes[nameEnd] != '/')
        ++nameEnd;
    const TTag tag = ClassifyTag(m_bytes.substr(start + 1, nameEnd - start - 1));
    token.Kind = tag.Kind;
    token.Flags = tag.Flags;

    FindTag(end + 1);
    token.Text = m_bytes.substr(end + 1, m_next - end - 1);
    return true;
}

void TBookmarkScanner::FindTag(std::size_t from)
{
    for (std::size_t pos = m_bytes.find('<', from); pos != std::string_view::npos; pos = m_bytes.find('<', pos + 1)) {
        if (!OpensTag(m_bytes, pos))
            continue;
        const std::size_t end = TagEnd(pos);
        if (end == std::string_view::npos) {
            m_unfinished = pos; // an unfinished tag: the rest of the file is text
            break;
        }
        m_next = pos;
        m_nextEnd = end;
        return;
    }
    m_next = m_bytes.size();
    m_nextEnd = m_bytes.size();
}

std::size_t TBookmarkScanner::TagEnd(std::size_t start) const
{
    constexpr auto npos = std::string_view::npos;
    if (m_bytes.substr(start, 4) == "<!--") {
        const std::size_t close = m_bytes.find("-->", start + 2);
        return close == npos ? npos : close + 2;
    }
    if (m_bytes[start + 1] == '!' || m_bytes[start + 1] == '?')
        return m_bytes.find('>', start + 2);

    std::size_t pos = start + 1;
    while (pos < m_bytes.size()) {
        const char c = m_bytes[pos];
        if (c == '>')
            return pos;
        if (c != '=') {
            ++pos;
            continue;
        }
        pos = SkipBlanksFrom(m_bytes, pos + 1);
        if (pos < m_bytes.size() && IsQuote(m_bytes[pos])) {
            const std::size_t close = m_bytes.find(m_bytes[pos], pos + 1);
            if (close == npos)
                return npos;
            pos = close + 1;
        }
    }
    return npos;
}

bool OpensTag(std::string_view text, std::size_t pos)
{
    if (pos >= text.size() || text[pos] != '<' || pos + 1 >= text.size())
        return false;
    const char next = text[pos + 1];
    return IsLetter(next) || next == '!' || next == '?' ||
           (next == '/' && pos + 2 < text.size() && IsLetter(text[pos + 2]));
}

std::optional<std::string_view> TagAttribute(std::string_view tag, std::string_view name)
{
    // Everything before the closing ">" (a tag cut short has none).
    const std::size_t end = tag.ends_with('>') ? tag.size() - 1 : tag.size();
    std::size_t pos = 1;
    if (pos < end && tag[pos] == '/')
        ++pos;
    while (pos < end && !IsBlank(tag[pos]) && tag[pos] != '/')
        ++pos;

    while (true) {
        while (pos < end && (IsBlank(tag[pos]) || tag[pos] == '/'))
            ++pos;
        if (pos >= end)
            return std::nullopt;

        const std::size_t nameStart = pos;
        ++pos; // a name is at least one byte, even an "="
        while (pos < end && !IsBlank(tag[pos]) && tag[pos] != '=' && tag[pos] != '/')
            ++pos;
        const std::string_view attribute = tag.substr(nameStart, pos - nameStart);

        std::string_view value = tag.substr(pos, 0);
        const std::size_t afterName = SkipBlanksFrom(tag.substr(0, end), pos);
        if (afterName < end && tag[afterName] == '=') {
            pos = SkipBlanksFrom(tag.substr(0, end), afterName + 1);
            if (pos < end && IsQuote(tag[pos])) {
                const std::size_t close = tag.find(tag[pos], pos + 1);
                const std::size_t valueEnd = close == std::string_view::npos || close > end ? end : close;
                value = tag.substr(pos + 1, valueEnd - pos - 1);
                pos = valueEnd + 1;
            } else {
                const std::size_t valueStart = pos;
                while (pos < end && !IsBlank(tag[pos]))
                    ++pos;
                value = tag.substr(valueStart, pos - valueStart);
            }
        }
        if (SameText(attribute, name))
            return value;
    }
}

} // namespace velbrin
