#include "html/EditedItems.h"

#include "core/MemoryStream.h"
#include "html/HtmlParser.h"

#include <algorithm>
#include <memory>

namespace velbrin {

namespace {

std::size_t CountOpenings(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '<'));
}

// Whether every "<" of the page begins one of its items, and nothing was
// read without regard to quotes: then the same bytes scanned within another
// page whose bytes before them end in plain text read the same.
bool ReadsWhole(const THtmlParser& parser, std::string_view page)
{
    if (parser.ReadPlainly())
        return false;
    const TTag& last = parser.Item(parser.Count() - 2);
    const auto end = std::min(static_cast<std::size_t>(last.Position) + static_cast<std::size_t>(last.Length), page.size());
    // A last tag ended by a "<" that began nothing: the page ends unfinished.
    if (!last.IsBoundary() && end > 0 && page[end - 1] == '<')
        return false;
    // So does a page with a "<" after its last item.
    return page.find('<', end) == std::string_view::npos;
}

char* PutNumber(char* out, std::uint64_t value)
{
    while (value >= 0x80) {
        *out++ = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    *out++ = static_cast<char>(value);
    return out;
}

// Whether text and original hold as many "<" (nearly always: one, at the
// start of each).
bool SameOpenings(std::string_view original, std::string_view text)
{
    if (original.find('<', 1) == std::string_view::npos && text.find('<', 1) == std::string_view::npos)
        return original.starts_with('<') == text.starts_with('<');
    return CountOpenings(original) == CountOpenings(text);
}

} // namespace

TEditedItems::TEditedItems(const THtmlParser& parser, std::string_view page)
    : m_parser(parser)
{
    m_valid = ReadsWhole(parser, page);
    // Nearly every item is the page's own: a few more for what is inserted
    // and appended, rather than growing a long list by copies.
    m_items.reserve(static_cast<std::size_t>(parser.Count()) + 32);
    m_items.push_back(parser.Item(0));
}

void TEditedItems::Add(TTag tag)
{
    const TTag& previous = m_items.back();
    if (tag.Position < previous.Position)
        m_valid = false;
    m_items.push_back(tag);
}

void TEditedItems::Copied(int first, int last, std::int64_t at, bool withoutOtherReferences)
{
    if (!m_valid || first > last)
        return;
    const std::int64_t shift = at - m_parser.Item(first).Position;
    const std::uint8_t flags = withoutOtherReferences ? TagNoOtherReferences : 0;
    for (int j = first; j <= last; ++j) {
        TTag tag = m_parser.Item(j);
        tag.Position = static_cast<std::int32_t>(tag.Position + shift);
        tag.Flags |= flags;
        Add(tag);
    }
}

void TEditedItems::Written(int i, std::int64_t at, std::string_view original, std::string_view text)
{
    if (!m_valid)
        return;
    // The edit may have made a tag of another length end elsewhere, or put
    // a "<" into a value that a closing tag of raw text could be read from.
    if (!SameOpenings(original, text) || !IsWholeTag(text)) {
        m_valid = false;
        return;
    }
    TTag tag = m_parser.Item(i);
    tag.Position = static_cast<std::int32_t>(at);
    tag.Length = static_cast<std::int32_t>(text.size());
    Add(tag);
}

void TEditedItems::TextReplaced(std::string_view original, std::string_view text)
{
    if (!SameOpenings(original, text))
        m_valid = false;
}

void TEditedItems::Inserted(std::string_view text, std::int64_t at)
{
    if (!m_valid)
        return;
    if (!IsWholeTag(text) || CountOpenings(text) != 1) {
        m_valid = false;
        return;
    }
    TTag tag = ClassifyTag(text[1] == '!' ? text.substr(1, 1) : text.substr(1, std::min<std::size_t>(16, text.size() - 2)));
    tag.Position = static_cast<std::int32_t>(at);
    tag.Length = static_cast<std::int32_t>(text.size());
    Add(tag);
}

void TEditedItems::Appended(std::string_view text, std::int64_t at)
{
    if (!m_valid)
        return;
    TViewStream source(text);
    const THtmlParser appended(source);
    if (!ReadsWhole(appended, text) || CountOpenings(text) != static_cast<std::size_t>(appended.Count() - 2)) {
        m_valid = false;
        return;
    }
    for (int j = 1; j + 1 < appended.Count(); ++j) {
        TTag tag = appended.Item(j);
        tag.Position = static_cast<std::int32_t>(tag.Position + at);
        Add(tag);
    }
}

std::vector<TTag> TEditedItems::Finish(std::int64_t size)
{
    if (!m_valid)
        return {};
    Add(TTag{TagBoundary, TagUnknown, static_cast<std::int32_t>(size), 0});
    if (!m_valid)
        return {};
    // Text follows an item when bytes lie between its end and the next item.
    for (std::size_t j = 0; j + 1 < m_items.size(); ++j) {
        TTag& tag = m_items[j];
        const std::int64_t end = static_cast<std::int64_t>(tag.Position) + tag.Length;
        if (m_items[j + 1].Position > end)
            tag.Flags |= TagTextFollows;
        else
            tag.Flags &= static_cast<std::uint8_t>(~TagTextFollows);
    }
    return std::move(m_items);
}

std::string EncodeItems(const std::vector<TTag>& items)
{
    // At most 10 bytes for the count, and 2 + 10 + 5 for an item: written
    // into room that is not cleared first, then kept at its size.
    const auto room = std::make_unique_for_overwrite<char[]>(10 + items.size() * 17);
    char* out = PutNumber(room.get(), items.size());
    std::int64_t end = 0;
    for (const TTag& tag : items) {
        out = PutNumber(out, static_cast<std::uint64_t>(tag.Kind) << 4 | (tag.Flags & 0x0F));
        // Items begin at or near the end of the one before (a tag ended by
        // the "<" of the next shares that byte): small, zigzag coded.
        const std::int64_t gap = tag.Position - end;
        out = PutNumber(out, gap >= 0 ? static_cast<std::uint64_t>(gap) << 1 : (static_cast<std::uint64_t>(-gap) << 1) - 1);
        out = PutNumber(out, static_cast<std::uint64_t>(tag.Length));
        end = static_cast<std::int64_t>(tag.Position) + tag.Length;
    }
    return std::string(room.get(), out);
}

std::vector<TTag> DecodeItems(std::string_view code)
{
    const auto* p = reinterpret_cast<const unsigned char*>(code.data());
    const auto* const stop = p + code.size();
    bool broken = false;
    auto next = [&]() -> std::uint64_t {
        if (p < stop && *p < 0x80)
            return *p++;
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64 && p < stop; shift += 7) {
            const unsigned char byte = *p++;
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        broken = true;
        return 0;
    };
    const std::uint64_t count = next();
    if (broken || count > code.size())
        return {};
    std::vector<TTag> items(static_cast<std::size_t>(count));
    std::int64_t end = 0;
    for (TTag& tag : items) {
        const std::uint64_t kindFlags = next();
        const std::uint64_t gap = next();
        const std::uint64_t length = next();
        if (broken || kindFlags >> 4 > 0xFF || length > INT32_MAX || gap > (std::uint64_t{1} << 33))
            return {};
        const std::int64_t position = end + ((gap & 1) ? -static_cast<std::int64_t>((gap + 1) >> 1)
                                                        : static_cast<std::int64_t>(gap >> 1));
        if (position < 0 || position > INT32_MAX)
            return {};
        tag = TTag{static_cast<std::uint8_t>(kindFlags & 0x0F), static_cast<std::uint8_t>(kindFlags >> 4),
                   static_cast<std::int32_t>(position), static_cast<std::int32_t>(length)};
        end = position + static_cast<std::int64_t>(length);
    }
    if (p != stop)
        return {};
    return items;
}

} // namespace velbrin
