#include "html/HtmlParser.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/ShortString.h"
#include "core/Text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace velbrin {

namespace {

constexpr std::size_t kBlockSize = 1024;
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

enum class ScanState { Between, InText, InTag, InDecl, InComment };

const TTag kOutOfRange{TagBoundary, TagUnknown, -1, 0};

TTag Boundary(std::int64_t position)
{
    return TTag{TagBoundary, TagUnknown, static_cast<std::int32_t>(position), 0};
}

bool CarriesLink(std::uint8_t kind)
{
    switch (kind) {
    case TagA:
    case TagBase:
    case TagBody:
    case TagImg:
    case TagTitle:
    case TagArea:
    case TagFrame:
    case TagForm:
    case TagInput:
        return true;
    default:
        return false;
    }
}

// The value ends before its "#"; the fragment stays in the tag, outside the
// value's positions.
void CutAtFragment(TTagParam& param)
{
    std::size_t hash = param.Value.find('#');
    if (hash == std::string::npos)
        return;
    param.Value.resize(hash);
    param.ValueLength = static_cast<std::uint16_t>(hash);
}

// 1-based position just after the word that holds the value of param: where a
// following attribute goes.
std::size_t AttributeEnd(std::string_view tagText, const TTagParam& param)
{
    std::size_t pos = param.ValueStart;
    while (pos < tagText.size() && !IsBlank(tagText[pos - 1]))
        ++pos;
    return pos;
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

THtmlParser::THtmlParser(TStream& source)
    : m_source(source)
    , m_memory(dynamic_cast<TMemoryStreamEx*>(&source))
{
    m_size = source.Size();
    if (m_size > std::numeric_limits<std::int32_t>::max())
        throw EStreamError("The page is too large to be read");
    Scan();
    IndexItems();
    m_source.SetPosition(0);
}

// The scanner's state between two blocks of the source.
struct THtmlParser::TScanner {
    ScanState State = ScanState::Between;
    std::int64_t Pending = 0; // where the item being read starts
    std::string Name;         // the first kKeptName bytes of what follows its "<"
    std::size_t NameLength = 0;

    void StartName()
    {
        Name.clear();
        NameLength = 0;
    }
    void AppendName(const char* bytes, std::size_t count)
    {
        if (Name.size() < kKeptName)
            Name.append(bytes, std::min(count, kKeptName - Name.size()));
        NameLength += count;
    }
};

void THtmlParser::Scan()
{
    AddItem(Boundary(0));

    TScanner scanner;
    scanner.Name.reserve(kKeptName);
    std::int64_t offset = 0;
    if (m_memory) {
        // The whole page at once.
        const std::string_view page = m_memory->View().substr(0, static_cast<std::size_t>(m_size));
        ScanBlock(page.data(), page.size(), 0, scanner);
        offset = static_cast<std::int64_t>(page.size());
    } else {
        std::array<char, kBlockSize> block;
        m_source.SetPosition(0);
        while (offset < m_size) {
            const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(kBlockSize, m_size - offset));
            const std::size_t count = m_source.Read(block.data(), wanted);
            if (count == 0)
                break;
            ScanBlock(block.data(), count, offset, scanner);
            offset += static_cast<std::int64_t>(count);
        }
    }
    m_size = offset;

    // Whatever follows the last item (text, an unclosed tag or comment) is
    // the text after it, up to the end boundary at the end of the page.
    TTag& last = m_items.Items(Count() - 1);
    if (static_cast<std::int64_t>(last.Position) + last.Length < m_size)
        last.Flags |= TagTextFollows;
    AddItem(Boundary(m_size));
}

// One block of the source, whose first byte is at offset in the page. Runs of
// text, of comment and of tag name are skipped over whole; the states change
// at the same bytes as they would one byte at a time.
void THtmlParser::ScanBlock(const char* data, std::size_t count, std::int64_t offset, TScanner& scan)
{
    std::size_t k = 0;
    while (k < count) {
        const char c = data[k];
        const std::int64_t p = offset + static_cast<std::int64_t>(k);
        switch (scan.State) {
        case ScanState::Between:
            scan.Pending = p;
            if (c == '<') {
                scan.StartName();
                scan.State = ScanState::InTag;
            } else {
                scan.State = ScanState::InText;
            }
            ++k;
            break;
        case ScanState::InText: {
            const void* open = std::memchr(data + k, '<', count - k);
            if (!open) {
                k = count;
                break;
            }
            k = static_cast<std::size_t>(static_cast<const char*>(open) - data);
            m_items.Items(Count() - 1).Flags |= TagTextFollows;
            scan.Pending = offset + static_cast<std::int64_t>(k);
            scan.StartName();
            scan.State = ScanState::InTag;
            ++k;
            break;
        }
        case ScanState::InTag:
            if (c == '>') {
                AddTag(scan.Pending, p, scan.Name);
                scan.State = ScanState::Between;
                ++k;
            } else if (c == '<') {
                // Ends the pending tag and begins the next one.
                AddTag(scan.Pending, p, scan.Name);
                scan.Pending = p;
                scan.StartName();
                ++k;
            } else if (scan.NameLength == 0) {
                scan.AppendName(&c, 1);
                if (scan.NameLength >= kMaxTagName)
                    scan.State = ScanState::InText;
                else if (c == '!')
                    scan.State = ScanState::InDecl;
                ++k;
            } else {
                // The name runs to the next "<" or ">", or until it is too
                // long to be a tag.
                const std::size_t room = kMaxTagName - scan.NameLength;
                const std::size_t stop = std::min(count, k + room);
                const void* close = std::memchr(data + k, '>', stop - k);
                std::size_t end = close ? static_cast<std::size_t>(static_cast<const char*>(close) - data) : stop;
                if (const void* open = std::memchr(data + k, '<', end - k))
                    end = static_cast<std::size_t>(static_cast<const char*>(open) - data);
                scan.AppendName(data + k, end - k);
                if (scan.NameLength >= kMaxTagName)
                    scan.State = ScanState::InText;
                k = end;
            }
            break;
        case ScanState::InDecl:
            if (c == '-' && p == scan.Pending + 2) {
                scan.State = ScanState::InComment;
            } else if (c == '>') {
                AddTag(scan.Pending, p, scan.Name);
                scan.State = ScanState::Between;
            }
            ++k;
            break;
        case ScanState::InComment: {
            const void* close = std::memchr(data + k, '>', count - k);
            if (!close) {
                k = count;
                break;
            }
            k = static_cast<std::size_t>(static_cast<const char*>(close) - data);
            AddTag(scan.Pending, offset + static_cast<std::int64_t>(k), scan.Name);
            scan.State = ScanState::Between;
            ++k;
            break;
        }
        }
    }
}

void THtmlParser::AddTag(std::int64_t start, std::int64_t end, const std::string& name)
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

void THtmlParser::IndexItems()
{
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

const TTag& THtmlParser::Item(int i) const
{
    if (i < 0 || i >= Count())
        return kOutOfRange;
    return m_items.Items(i);
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
    const std::string_view bytes = m_memory->View();
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
    if (!Item(i).HasTextFollowing())
        return {};
    const std::int64_t start = OwnEnd(i);
    return ReadSource(start, std::min<std::int64_t>(NextStart(i) - start, kShortStringMax));
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

bool THtmlParser::GetParam(std::string_view name, int i, TTagParam& param) const
{
    const TTag& tag = Item(i);
    const std::int64_t count = std::min<std::int64_t>(tag.Length, kMaxParamText);
    if (m_memory)
        return FindTagParam(MemoryView(tag.Position, count), name, param);
    return FindTagParam(ReadSource(tag.Position, count), name, param);
}

bool THtmlParser::GetLink(int i, TLinkParam& link) const
{
    link.Clear();
    const TTag& tag = Item(i);
    link.TagKind = tag.Kind;
    if (!tag.IsOpen() || tag.IsBoundary() || !CarriesLink(tag.Kind))
        return false;

    GetParam("OLDREF", i, link.OldLink);
    switch (tag.Kind) {
    case TagA:
        GetParam("HREF", i, link.Link);
        link.LinkType = LinkTypePage;
        CutAtFragment(link.Link);
        if (!link.Link.Value.empty())
            GatherAnchorText(i, link);
        break;
    case TagBase:
    case TagArea:
        GetParam("HREF", i, link.Link);
        link.LinkType = LinkTypePage;
        break;
    case TagBody:
        GetParam("BACKGROUND", i, link.Link);
        link.LinkType = LinkTypeBackground;
        break;
    case TagImg:
        GetParam("SRC", i, link.Link);
        link.LinkType = LinkTypeInline;
        link.IsMap = TagHolds(i, "ISMAP");
        break;
    case TagTitle:
        link.Description = TrimBlanks(TextAfter(i));
        break;
    case TagFrame:
        GetParam("SRC", i, link.Link);
        link.LinkType = LinkTypePage;
        CutAtFragment(link.Link);
        break;
    case TagForm:
        GetParam("ACTION", i, link.Link);
        link.LinkType = LinkTypePage;
        break;
    case TagInput:
        link.LinkType = LinkTypeInline;
        return GetParam("SRC", i, link.Link);
    default:
        break;
    }
    return true;
}

void THtmlParser::GatherAnchorText(int i, TLinkParam& link) const
{
    const auto from = static_cast<std::size_t>(i) + 1;
    const int end = m_nextAnchorClose[from];
    link.IsMap = m_nextMapPicture[from] < end;

    std::string text = TextAfter(i);
    for (int j = m_nextAnchorText[from]; j < end && text.size() < kShortStringMax;
         j = m_nextAnchorText[static_cast<std::size_t>(j) + 1]) {
        const TTag& tag = m_items.Items(j);
        if (tag.IsOpen() && tag.Kind == TagImg) {
            TTagParam alt;
            GetParam("ALT", j, alt);
            text += alt.Value;
            text += ' ';
        }
        text += TextAfter(j);
    }
    link.Description = TrimBlanks(ShortString(text));
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
                               std::string_view oldRef) const
{
    if (Item(i).IsBoundary())
        return;
    std::string copy;
    const std::string_view text = FullTagView(i, copy);
    TTagEdits edits;
    if (!link.OldLink.Value.empty()) {
        // The tag already keeps its captured address.
        if (oldRef.empty())
            DeleteAttribute(text, link.OldLink, edits);
        else
            edits.Replace(link.OldLink.ValueStart, link.OldLink.ValueLength, oldRef);
        if (link.Link.Found())
            edits.Replace(link.Link.ValueStart, link.Link.ValueLength, newLink);
    } else if (!oldRef.empty() && link.Link.Found()) {
        edits.Replace(link.Link.ValueStart, link.Link.ValueLength, newLink);
        if (link.OldLink.Found())
            DeleteAttribute(text, link.OldLink, edits); // an OLDREF without value
        std::string attribute = " OLDREF=\"";
        attribute += oldRef;
        attribute += '"';
        edits.Insert(AttributeEnd(text, link.Link), attribute);
    }
    WriteEdited(i, text, edits, out);
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
    std::string edited = edits.Apply(text);
    // Edits never touch the last byte: a "<" shared with the next item stays
    // last and is left to that item.
    const TTag& tag = m_items.Items(i);
    const std::int64_t shared = static_cast<std::int64_t>(tag.Position) + tag.Length - OwnEnd(i);
    if (shared > 0 && static_cast<std::int64_t>(edited.size()) >= shared)
        edited.resize(edited.size() - static_cast<std::size_t>(shared));
    out.WriteBuffer(edited.data(), edited.size());
}

} // namespace velbrin
