#include "html/HtmlParser.h"

#include "html/ReferenceTable.h"
#include "html/TagBytes.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/ShortString.h"
#include "core/Text.h"
#include "html/AttributeValue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace velbrin {

namespace {

// Bytes of a page for each item its list is given room for before the scan.
constexpr std::size_t kBytesPerTag = 24;
// What ClassifyTag needs of a tag's name: a "/" and the longest kind name
// with the byte after it fit well within it.
constexpr std::size_t kKeptName = 16;
// A tag whose name buffer (what follows "<") reaches this many bytes is text.
// Real pages hold tags of several hundred bytes (long addresses, srcset,
// inline styles), and a rewritten tag grows by its OLDREF attribute: the limit
// only has to keep attribute positions within 16 bits.
constexpr std::size_t kMaxTagName = 65534;
// GetParam positions are 16-bit: longer items (comments) are searched this far.
constexpr std::int64_t kMaxParamText = std::numeric_limits<std::uint16_t>::max();

TTag Boundary(std::int64_t position)
{
    return TTag{TagBoundary, TagUnknown, static_cast<std::int32_t>(position), 0};
}

// Where the scan of a tag ended.
enum class TagEnd {
    Closed,    // at a ">"
    Shared,    // at a "<", which also begins the next item
    TooLong,   // no end within kMaxTagName bytes: the tag is text
    Unfinished // the page ended first
};

struct TTagEnd {
    TagEnd How = TagEnd::Unfinished;
    std::size_t At = 0; // the ">" or "<"; for TooLong, where the text goes on
    // A tag read with its quotes that fell back to PlainTagEnd: how far the
    // reading with quotes went.
    std::size_t Reached = 0;
};

// Where the tag that begins at start ends without regard to quotes: at the
// first "<" or ">" after it.
TTagEnd PlainTagEnd(std::string_view page, std::size_t start)
{
    const std::size_t limit = start + 1 + kMaxTagName;
    const std::size_t stop = std::min(limit, page.size());
    for (std::size_t p = start + 1; p < stop; ++p) {
        if (page[p] == '>')
            return {TagEnd::Closed, p};
        if (page[p] == '<')
            return {TagEnd::Shared, p};
    }
    if (limit <= page.size())
        return {TagEnd::TooLong, limit};
    return {TagEnd::Unfinished, page.size()};
}

// The next quote of a kind at or after a place. The scan asks from places
// that only move forward, so each byte is searched at most once per quote.
class TQuoteFinder {
public:
    explicit TQuoteFinder(std::string_view page)
        : m_page(page)
    {
    }

    // Offset of the next quote, or the size of the page.
    std::size_t Find(char quote, std::size_t from)
    {
        const int k = quote == '"' ? 0 : 1;
        if (m_searched[k] && from >= m_from[k] && from <= m_at[k])
            return m_at[k];
        const std::size_t at = m_page.find(quote, from);
        m_searched[k] = true;
        m_from[k] = from;
        m_at[k] = at == std::string_view::npos ? m_page.size() : at;
        return m_at[k];
    }

private:
    std::string_view m_page;
    bool m_searched[2] = {false, false};
    std::size_t m_from[2] = {0, 0};
    std::size_t m_at[2] = {0, 0};
};

// The bytes that end a run of each state's bytes in QuotedTagEnd.
constexpr std::uint8_t kEndsName = kTagBoundByte | kTagBlankByte | kTagSlashByte;
constexpr std::uint8_t kEndsAttributeName = kEndsName | kTagEqualsByte;
constexpr std::uint8_t kEndsUnquoted = kTagBoundByte | kTagBlankByte;

// Where a tag ends when its attribute values are read as a browser reads
// them: a quote that opens a value (after "=" and blanks) hides "<" and ">"
// up to the matching quote. A quote not closed in time, or a tag that
// reaches kMaxTagName bytes, ends where PlainTagEnd ends it, so that a broken
// page never runs into one endless tag.
TTagEnd QuotedTagEnd(std::string_view page, std::size_t start, TQuoteFinder& quotes)
{
    enum class InTag { Name, BeforeName, AttributeName, AfterName, AfterEquals, Unquoted };
    InTag state = InTag::Name;
    const std::size_t stop = std::min(start + 1 + kMaxTagName, page.size());
    std::size_t p = start + 1;
    if (p < stop && page[p] == '/')
        ++p;
    for (; p < stop; ++p) {
        // In a name or an unquoted value, the bytes that leave the state as
        // it is go by in a run.
        const std::uint8_t ends = state == InTag::Name            ? kEndsName
                                  : state == InTag::AttributeName ? kEndsAttributeName
                                  : state == InTag::Unquoted      ? kEndsUnquoted
                                                                  : 0;
        if (ends != 0) {
            while (p < stop && !IsTagByte(page[p], ends))
                ++p;
            if (p == stop)
                break;
        }
        const char c = page[p];
        if (c == '>')
            return {TagEnd::Closed, p};
        if (c == '<')
            return {TagEnd::Shared, p};
        const bool blank = IsTagBlank(c);
        switch (state) {
        case InTag::Name:
            if (blank || c == '/')
                state = InTag::BeforeName;
            break;
        case InTag::BeforeName:
            if (!blank && c != '/')
                state = InTag::AttributeName; // a first "=" belongs to the name
            break;
        case InTag::AttributeName:
        case InTag::AfterName:
            if (c == '=')
                state = InTag::AfterEquals;
            else if (c == '/')
                state = InTag::BeforeName;
            else
                state = blank ? InTag::AfterName : InTag::AttributeName;
            break;
        case InTag::AfterEquals:
            if (c == '"' || c == '\'') {
                const std::size_t close = quotes.Find(c, p + 1);
                if (close >= stop) {
                    TTagEnd end = PlainTagEnd(page, start);
                    end.Reached = stop;
                    return end;
                }
                p = close;
                state = InTag::BeforeName;
            } else if (!blank) {
                state = InTag::Unquoted;
            }
            break;
        case InTag::Unquoted:
            if (blank)
                state = InTag::BeforeName;
            break;
        }
    }
    TTagEnd end = PlainTagEnd(page, start);
    end.Reached = stop;
    return end;
}

// The closing tag of an element of raw text: "</" and its name, in any case,
// followed by a blank, "/" or ">".
class TRawTextFinder {
public:
    explicit TRawTextFinder(std::string_view page)
        : m_page(page)
    {
    }

    // Offset of the "<" of the first closing tag of the kind at or after
    // from, or npos.
    std::size_t Find(std::uint8_t kind, std::size_t from)
    {
        // A search that found nothing from some place finds nothing from
        // any later place either.
        auto& missFrom = m_missFrom[kind];
        if (missFrom != std::string_view::npos && from >= missFrom)
            return std::string_view::npos;
        const std::string_view name = TagName(kind);
        for (std::size_t at = m_page.find("</", from); at != std::string_view::npos; at = m_page.find("</", at + 1)) {
            const std::size_t after = at + 2 + name.size();
            if (after < m_page.size() && SameText(m_page.substr(at + 2, name.size()), name)
                && (IsTagBlank(m_page[after]) || m_page[after] == '/' || m_page[after] == '>'))
                return at;
        }
        missFrom = from;
        return std::string_view::npos;
    }

private:
    std::string_view m_page;
    std::array<std::size_t, kTagKindCount> m_missFrom = MissNowhere();

    static std::array<std::size_t, kTagKindCount> MissNowhere()
    {
        std::array<std::size_t, kTagKindCount> none;
        none.fill(std::string_view::npos);
        return none;
    }
};

bool CarriesLink(std::uint8_t kind) { return kind == TagTitle || CarriesReferences(kind); }

// The value ends before its "#"; the fragment stays in the tag, outside the
// value's positions.
void CutAtFragment(std::string_view tagText, TTagParam& param)
{
    const std::size_t hash = param.Value.find('#');
    if (hash == std::string::npos)
        return;
    const std::string_view written = tagText.substr(param.ValueStart - 1u, param.ValueLength);
    param.ValueLength = static_cast<std::uint16_t>(RawPrefixLength(written, hash));
    param.Value.resize(hash);
}

// Removes the attribute, and the space before it when nothing but a blank or
// the end of the tag follows it, so that adding and removing an attribute
// gives back the bytes of the tag.
void DeleteAttribute(std::string_view tagText, const TTagParam& param, TTagEdits& edits)
{
    std::size_t start = param.ParamStart;
    std::size_t length = param.ParamLength;
    const std::size_t after = start + length;
    const bool lastInTag = after >= tagText.size() || IsBlank(tagText[after - 1]) || tagText[after - 1] == '/';
    if (lastInTag && start > 2 && tagText[start - 2] == ' ') {
        --start;
        ++length;
    }
    edits.Delete(start, length);
}

} // namespace

bool IsWholeTag(std::string_view text)
{
    if (text.size() < 2 || text.front() != '<')
        return false;
    if (text[1] == '!') {
        const std::size_t from = text.size() > 2 && text[2] == '-' ? 3 : 2;
        return text.find('>', from) == text.size() - 1;
    }
    TQuoteFinder quotes(text);
    const TTagEnd end = QuotedTagEnd(text, 0, quotes);
    return end.How == TagEnd::Closed && end.At == text.size() - 1 && end.Reached == 0;
}

THtmlParser::THtmlParser(TStream& source)
    : m_source(source)
    , m_memory(source.InPlace().has_value())
{
    m_size = source.Size();
    if (m_size > std::numeric_limits<std::int32_t>::max())
        throw EStreamError("The page is too large to be read");
    Scan();
    m_source.SetPosition(0);
}

THtmlParser::THtmlParser(TStream& source, std::vector<TTag> items)
    : m_source(source)
    , m_memory(source.InPlace().has_value())
{
    m_size = source.Size();
    if (m_size > std::numeric_limits<std::int32_t>::max())
        throw EStreamError("The page is too large to be read");
    if (!TakeItems(items))
        Scan();
    m_source.SetPosition(0);
}

void THtmlParser::Rescan()
{
    m_memory = m_source.InPlace().has_value();
    m_size = m_source.Size();
    if (m_size > std::numeric_limits<std::int32_t>::max())
        throw EStreamError("The page is too large to be read");
    m_items.Empty();
    m_readPlainly = false;
    m_indexed = false;
    Scan();
    m_source.SetPosition(0);
}

bool THtmlParser::TakeItems(std::vector<TTag>& items)
{
    if (items.size() < 2 || !items.front().IsBoundary() || items.front().Position != 0
        || !items.back().IsBoundary() || items.back().Position != m_size)
        return false;
    std::int64_t previous = 0;
    for (const TTag& tag : items) {
        if (tag.Position < previous || tag.Length < 0
            || static_cast<std::int64_t>(tag.Position) + tag.Length > m_size)
            return false;
        previous = tag.Position;
    }
    m_items.Adopt(std::move(items));
    return true;
}

void THtmlParser::Scan()
{
    AddItem(Boundary(0));

    // The scan needs the whole page: a quoted value may hide a ">" far ahead.
    std::string copy;
    std::string_view page;
    if (m_memory) {
        page = m_source.InPlace()->substr(0, static_cast<std::size_t>(m_size));
    } else {
        copy.resize(static_cast<std::size_t>(m_size));
        m_source.SetPosition(0);
        std::size_t read = 0;
        while (read < copy.size()) {
            const std::size_t count = m_source.Read(copy.data() + read, copy.size() - read);
            if (count == 0)
                break;
            read += count;
        }
        copy.resize(read);
        page = copy;
    }
    m_size = static_cast<std::int64_t>(page.size());
    // Real pages hold a tag every 20 to 40 bytes: the list gets its room at
    // once rather than by copies as it grows.
    m_items.Reserve(page.size() / kBytesPerTag + 2);
    ScanPage(page);

    // Whatever follows the last item (text, an unclosed tag or comment) is
    // the text after it, up to the end boundary at the end of the page.
    TTag& last = m_items.Items(Count() - 1);
    if (static_cast<std::int64_t>(last.Position) + last.Length < m_size)
        last.Flags |= TagTextFollows;
    AddItem(Boundary(m_size));
}

// Splits the page into items. Text runs to the next "<". A "<!" begins a
// declaration, which ends at the next ">", and "<!-" a comment, which ends
// at the first ">" after it. Any other "<" begins a tag (QuotedTagEnd); once
// a tag has fallen back to the plain rule, the tags that begin in the bytes
// its reading with quotes went over are read by the plain rule as well, so
// that no byte is read with quotes over and over. After the opening tag of
// an element of raw text, its content up to its closing tag is text; one
// without a closing tag holds none.
void THtmlParser::ScanPage(std::string_view page)
{
    TQuoteFinder quotes(page);
    TRawTextFinder rawText(page);
    std::size_t plainUntil = 0;
    const std::size_t size = page.size();
    std::size_t p = 0;
    while (p < size) {
        if (page[p] != '<') {
            const std::size_t open = page.find('<', p);
            if (open == std::string_view::npos)
                break;
            m_items.Items(Count() - 1).Flags |= TagTextFollows;
            p = open;
        }
        const std::size_t start = p;
        const std::string_view name = page.substr(start + 1, kKeptName);
        if (start + 1 < size && page[start + 1] == '!') {
            // A declaration, or a comment when "-" follows.
            const std::size_t from = start + 2 < size && page[start + 2] == '-' ? start + 3 : start + 2;
            const std::size_t close = page.find('>', from);
            if (close == std::string_view::npos)
                break;
            AddTag(start, close, name.substr(0, 1));
            p = close + 1;
            continue;
        }
        TTagEnd end = start < plainUntil ? PlainTagEnd(page, start) : QuotedTagEnd(page, start, quotes);
        plainUntil = std::max(plainUntil, end.Reached);
        if (end.Reached != 0 || end.How == TagEnd::TooLong)
            m_readPlainly = true;
        switch (end.How) {
        case TagEnd::Unfinished:
            return;
        case TagEnd::TooLong:
            // The tag's bytes are text after the last item.
            m_items.Items(Count() - 1).Flags |= TagTextFollows;
            p = end.At;
            break;
        case TagEnd::Shared:
            AddTag(start, end.At, name.substr(0, end.At - start - 1));
            p = end.At;
            continue;
        case TagEnd::Closed: {
            AddTag(start, end.At, name.substr(0, end.At - start - 1));
            p = end.At + 1;
            TTag& tag = m_items.Items(Count() - 1);
            if (tag.IsOpen() && HoldsRawText(tag.Kind)) {
                const std::size_t close = rawText.Find(tag.Kind, p);
                if (close != std::string_view::npos) {
                    if (close > p)
                        tag.Flags |= TagTextFollows;
                    p = close;
                }
            }
            continue;
        }
        }
    }
}

void THtmlParser::AddTag(std::int64_t start, std::int64_t end, std::string_view name)
{
    TTag tag = ClassifyTag(name);
    tag.Position = static_cast<std::int32_t>(start);
    tag.Length = static_cast<std::int32_t>(end - start + 1);
    AddItem(tag);
}

void THtmlParser::AddItem(const TTag& item)
{
    m_items.Add(item);
}

void THtmlParser::IndexItems() const
{
    if (m_indexed)
        return;
    m_indexed = true;
    const int count = Count();
    m_nextAnchorClose.assign(static_cast<std::size_t>(count) + 1, count);
    m_nextMapPicture.assign(static_cast<std::size_t>(count) + 1, count);
    m_nextAnchorText.assign(static_cast<std::size_t>(count) + 1, count);
    for (int j = count - 1; j >= 0; --j) {
        const TTag& tag = m_items.Items(j);
        const auto at = static_cast<std::size_t>(j);
        const bool picture = tag.IsOpen() && tag.Kind == TagImg;
        m_nextAnchorClose[at] = tag.IsClose() && tag.Kind == TagA ? j : m_nextAnchorClose[at + 1];
        m_nextAnchorText[at] = picture || tag.HasTextFollowing() ? j : m_nextAnchorText[at + 1];
        const bool mapPicture = picture && TagHolds(j, "ISMAP");
        m_nextMapPicture[at] = mapPicture ? j : m_nextMapPicture[at + 1];
    }
}

std::int64_t THtmlParser::NextStart(int i) const
{
    return i + 1 < Count() ? m_items.Items(i + 1).Position : m_size;
}

std::int64_t THtmlParser::OwnEnd(int i) const
{
    const TTag& tag = m_items.Items(i);
    return std::min<std::int64_t>(static_cast<std::int64_t>(tag.Position) + tag.Length, NextStart(i));
}

std::string_view THtmlParser::MemoryView(std::int64_t start, std::int64_t count) const
{
    const std::string_view bytes = *m_source.InPlace();
    const std::int64_t size = std::min(m_size, static_cast<std::int64_t>(bytes.size()));
    if (start < 0 || count <= 0 || start >= size)
        return {};
    count = std::min(count, size - start);
    // Where a read through the stream would have left it.
    m_source.SetPosition(start + count);
    return bytes.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

std::string THtmlParser::ReadSource(std::int64_t start, std::int64_t count) const
{
    if (m_memory)
        return std::string(MemoryView(start, count));
    const std::int64_t size = std::min(m_size, m_source.Size());
    if (start < 0 || count <= 0 || start >= size)
        return {};
    count = std::min(count, size - start);
    std::string bytes(static_cast<std::size_t>(count), '\0');
    m_source.SetPosition(start);
    bytes.resize(m_source.Read(bytes.data(), bytes.size()));
    return bytes;
}

void THtmlParser::CopySource(std::int64_t start, std::int64_t end, TStream& out) const
{
    if (m_memory) {
        const std::string_view bytes = MemoryView(start, end - start);
        out.WriteBuffer(bytes.data(), bytes.size());
        return;
    }
    end = std::min({end, m_size, m_source.Size()});
    if (start < 0 || end <= start)
        return;
    m_source.SetPosition(start);
    out.CopyFrom(m_source, end - start);
}

std::string THtmlParser::TagText(int i) const
{
    const TTag& tag = Item(i);
    return ReadSource(tag.Position, std::min<std::int64_t>(tag.Length, kShortStringMax));
}

std::string THtmlParser::FullTagText(int i) const
{
    const TTag& tag = Item(i);
    return ReadSource(tag.Position, tag.Length);
}

// The bytes of FullTagText: in place for a source in memory, else read into copy.
std::string_view THtmlParser::FullTagView(int i, std::string& copy) const
{
    if (m_memory) {
        const TTag& tag = Item(i);
        return MemoryView(tag.Position, tag.Length);
    }
    copy = FullTagText(i);
    return copy;
}

// Whether the bytes of item i hold the text, ignoring case.
bool THtmlParser::TagHolds(int i, std::string_view text) const
{
    if (m_memory) {
        const TTag& tag = Item(i);
        return FindNoCase(MemoryView(tag.Position, tag.Length), text) != std::string::npos;
    }
    return FindNoCase(FullTagText(i), text) != std::string::npos;
}

std::string THtmlParser::TextAfter(int i) const
{
    std::string text;
    AppendTextAfter(i, text);
    return text;
}

void THtmlParser::CopyTextAfter(int i, TStream& out) const
{
    if (Item(i).HasTextFollowing())
        CopySource(OwnEnd(i), NextStart(i), out);
}

void THtmlParser::CopyTag(int i, TStream& out) const
{
    const TTag& tag = Item(i);
    if (!tag.IsBoundary())
        CopySource(tag.Position, OwnEnd(i), out);
}

void THtmlParser::CopyTagAndText(int i, TStream& out) const
{
    if (i >= 0 && i < Count() - 1)
        CopySource(m_items.Items(i).Position, NextStart(i), out);
}

void THtmlParser::CopyTagsAndText(int first, int last, TStream& out) const
{
    first = std::max(first, 0);
    last = std::min(last, Count() - 2);
    if (first <= last)
        CopySource(m_items.Items(first).Position, NextStart(last), out);
}

// The bytes GetParam reads of item i: in place for a source in memory, else
// read into copy.
std::string_view THtmlParser::ParamText(int i, std::string& copy) const
{
    const TTag& tag = Item(i);
    const std::int64_t count = std::min<std::int64_t>(tag.Length, kMaxParamText);
    if (m_memory)
        return MemoryView(tag.Position, count);
    copy = ReadSource(tag.Position, count);
    return copy;
}

bool THtmlParser::GetParam(std::string_view name, int i, TTagParam& param) const
{
    std::string copy;
    return FindTagParam(ParamText(i, copy), name, param);
}

void THtmlParser::ReplaceParamValue(int i, const TTagParam& param, std::string_view value, TTagEdits& edits) const
{
    std::string copy;
    ReplaceTagParamValue(ParamText(i, copy), param, value, edits);
}

bool THtmlParser::GetLink(int i, TLinkParam& link, TLinkText linkText) const
{
    link.Clear();
    const TTag& tag = Item(i);
    link.TagKind = tag.Kind;
    if (!tag.IsOpen() || tag.IsBoundary() || !CarriesLink(tag.Kind))
        return false;

    std::string copy;
    const std::string_view text = ParamText(i, copy);
    const TReferenceRule* rule = tag.Kind == TagTitle ? nullptr : OwnLinkRule(tag.Kind);
    // The tags with a link attribute and no condition on another one are
    // read once for both it and OLDREF.
    const bool readOnce = rule && tag.Kind != TagLink;
    if (readOnce)
        FindTagParams(text, "OLDREF", link.OldLink, rule->Attribute, link.Link);
    else
        FindTagParam(text, "OLDREF", link.OldLink);
    if (tag.Kind == TagTitle) {
        if (linkText == TLinkText::Gather)
            link.Description = TrimBlanks(TextAfter(i));
        return true;
    }
    if (!rule)
        return false;
    link.Kind = rule->Kind;
    if (tag.Kind == TagLink) {
        // A LINK carries a link only for what it loads.
        TTagParam rel;
        FindTagParam(text, "REL", rel);
        const std::optional<TReferenceKind> kind = LinkRelationKind(rel.Value);
        if (!kind)
            return false;
        link.Kind = *kind;
    }
    link.LinkType = LinkTypeOf(link.Kind);
    const bool found = readOnce ? !link.Link.Value.empty() : FindTagParam(text, rule->Attribute, link.Link);
    switch (tag.Kind) {
    case TagA:
        CutAtFragment(text, link.Link);
        if (!link.Link.Value.empty() && linkText == TLinkText::Gather)
            GatherAnchorText(i, link);
        break;
    case TagImg:
        link.IsMap = TagHolds(i, "ISMAP");
        break;
    case TagFrame:
    case TagIframe:
        CutAtFragment(text, link.Link);
        break;
    case TagInput:
        return found;
    default:
        break;
    }
    return true;
}

void THtmlParser::GatherAnchorText(int i, TLinkParam& link) const
{
    IndexItems();
    const auto from = static_cast<std::size_t>(i) + 1;
    const int end = m_nextAnchorClose[from];
    link.IsMap = m_nextMapPicture[from] < end;

    // Gathered in one buffer for every anchor of the page.
    std::string& text = m_gathered;
    text.clear();
    AppendTextAfter(i, text);
    for (int j = m_nextAnchorText[from]; j < end && text.size() < kShortStringMax;
         j = m_nextAnchorText[static_cast<std::size_t>(j) + 1]) {
        const TTag& tag = m_items.Items(j);
        if (tag.IsOpen() && tag.Kind == TagImg) {
            TTagParam alt;
            GetParam("ALT", j, alt);
            text += alt.Value;
            text += ' ';
        }
        AppendTextAfter(j, text);
    }
    link.Description.assign(BlankTrimmed(std::string_view(text).substr(0, kShortStringMax)));
}

void THtmlParser::AppendTextAfter(int i, std::string& text) const
{
    if (!Item(i).HasTextFollowing())
        return;
    const std::int64_t start = OwnEnd(i);
    const std::int64_t count = std::min<std::int64_t>(NextStart(i) - start, kShortStringMax);
    if (m_memory)
        text.append(MemoryView(start, count));
    else
        text += ReadSource(start, count);
}

std::string THtmlParser::TextUntilClose(int i, std::uint8_t kind) const
{
    std::string text = TextAfter(i);
    for (int j = i + 1; j < Count() && text.size() < kShortStringMax; ++j) {
        const TTag& tag = m_items.Items(j);
        if (tag.IsClose() && tag.Kind == kind)
            break;
        text += TextAfter(j);
    }
    return TrimBlanks(ShortString(text));
}

void THtmlParser::WriteLinkTag(int i, TStream& out, const TLinkParam& link, std::string_view newLink,
                               std::string_view oldRef, TTagEdits& edits) const
{
    if (Item(i).IsBoundary())
        return;
    std::string copy;
    const std::string_view text = FullTagView(i, copy);
    edits.Clear();
    edits.Reserve(newLink.size() + oldRef.size() + 16);
    if (!link.OldLink.Value.empty()) {
        // The tag already keeps its captured address.
        if (oldRef.empty())
            DeleteAttribute(text, link.OldLink, edits);
        else if (oldRef != link.OldLink.Value)
            ReplaceTagParamValue(text, link.OldLink, oldRef, edits);
        if (link.Link.Found() && newLink != link.Link.Value)
            ReplaceTagParamValue(text, link.Link, newLink, edits);
    } else if (!oldRef.empty() && link.Link.Found()) {
        ReplaceTagParamValue(text, link.Link, newLink, edits);
        if (link.OldLink.Found())
            DeleteAttribute(text, link.OldLink, edits); // an OLDREF without value
        const std::size_t end = TagParamEnd(text, link.Link);
        edits.Insert(end, " OLDREF=\"");
        edits.ReplaceWithValue(end, 0, oldRef, '"');
        edits.Insert(end, "\"");
    }
    WriteEdited(i, text, edits, out);
}

void THtmlParser::WriteLinkTag(int i, TStream& out, const TLinkParam& link, std::string_view newLink,
                               std::string_view oldRef) const
{
    TTagEdits edits;
    WriteLinkTag(i, out, link, newLink, oldRef, edits);
}

void THtmlParser::WriteTag(int i, TStream& out, const TTagEdits& edits) const
{
    if (!Item(i).IsBoundary()) {
        std::string copy;
        WriteEdited(i, FullTagView(i, copy), edits, out);
    }
}

void THtmlParser::WriteEdited(int i, std::string_view text, const TTagEdits& edits, TStream& out) const
{
    std::string& edited = m_edited;
    edited.clear();
    edits.ApplyTo(text, edited);
    // Edits never touch the last byte: a "<" shared with the next item stays
    // last and is left to that item.
    const TTag& tag = m_items.Items(i);
    const std::int64_t shared = static_cast<std::int64_t>(tag.Position) + tag.Length - OwnEnd(i);
    if (shared > 0 && static_cast<std::int64_t>(edited.size()) >= shared)
        edited.resize(edited.size() - static_cast<std::size_t>(shared));
    out.WriteBuffer(edited.data(), edited.size());
}

} // namespace velbrin
