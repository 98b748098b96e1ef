#include "browser/BookmarkSource.h"

#include "browser/BookmarkScanner.h"
#include "browser/BookmarkWriter.h"
#include "core/Text.h"

#include <algorithm>

namespace velbrin {

namespace {

bool IsSpaceOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// One change to the file's bytes: [Begin, End) becomes Text.
struct TSplice {
    std::size_t Begin;
    std::size_t End;
    std::string Text;
};

class TSourceEditor {
public:
    explicit TSourceEditor(const TBookmarkSource& source)
        : m_source(source)
        , m_seen(source.Places.size(), false)
        , m_layout{source.LineEnd, source.IndentUnit}
    {
    }

    std::string Run(const TBookmarkFolder& root, std::string_view title);

private:
    const TBookmarkPlace* PlaceOf(const TBookmarkEntry& entry) const;
    void EditList(const TBookmarkFolder& folder, std::size_t listEnd);
    void EditTag(const TBookmarkEntry& entry, const TBookmarkPlace& place);
    void EditText(std::string_view text, const TBookmarkPlace& place);
    void EditDescription(std::string_view description, const TBookmarkPlace& place);
    // New entries go in at pos, on lines of their own.
    void Insert(std::size_t pos, std::string lines);
    void Replace(std::size_t begin, std::size_t end, std::string text)
    {
        m_splices.push_back({begin, end, std::move(text)});
    }
    std::string Spliced();

    const TBookmarkSource& m_source;
    std::vector<bool> m_seen;
    TBookmarkLayout m_layout;
    std::vector<TSplice> m_splices;
};

std::string TSourceEditor::Run(const TBookmarkFolder& root, std::string_view title)
{
    if (m_source.TitleBegin != TBookmarkSource::npos && title != m_source.Title) {
        std::string text;
        WriteBookmarkText(text, title);
        Replace(m_source.TitleBegin, m_source.TitleEnd, std::move(text));
    }
    EditList(root, m_source.RootListEnd);
    // What the tree no longer holds; an entry inside a folder cut out goes with it.
    for (std::size_t i = 0; i < m_seen.size(); ++i) {
        if (!m_seen[i])
            Replace(m_source.Places[i].Begin, m_source.Places[i].End, {});
    }
    return Spliced();
}

const TBookmarkPlace* TSourceEditor::PlaceOf(const TBookmarkEntry& entry) const
{
    const std::int32_t index = entry.SourceIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_source.Places.size())
        return nullptr;
    return &m_source.Places[static_cast<std::size_t>(index)];
}

void TSourceEditor::EditList(const TBookmarkFolder& folder, std::size_t listEnd)
{
    const std::string indent = std::string(m_source.LineIndent(listEnd)) + m_source.IndentUnit;
    const auto& children = folder.Children();
    // New entries stand after the last entry of the file before them, that
    // is, before the next one the file holds, or at the end of the list.
    std::string pending;
    for (std::size_t i = 0; i <= children.size(); ++i) {
        const TBookmarkPlace* place = i < children.size() ? PlaceOf(*children[i]) : nullptr;
        if (i < children.size() && !place) {
            WriteBookmarkEntry(pending, *children[i], indent, m_layout);
            continue;
        }
        if (!pending.empty()) {
            Insert(place ? place->Begin : listEnd, std::move(pending));
            pending.clear();
        }
        if (!place)
            continue;
        m_seen[static_cast<std::size_t>(children[i]->SourceIndex())] = true;
        EditTag(*children[i], *place);
        if (const TBookmarkFolder* sub = children[i]->AsFolder()) {
            EditText(sub->Name, *place);
            EditDescription(sub->Description, *place);
            EditList(*sub, place->ListEnd);
        } else {
            const TBookmarkItem& item = *children[i]->AsItem();
            EditText(item.Title, *place);
            EditDescription(item.Description, *place);
        }
    }
}

void TSourceEditor::EditTag(const TBookmarkEntry& entry, const TBookmarkPlace& place)
{
    const std::string_view original =
        std::string_view(m_source.Bytes()).substr(place.TagBegin, place.TagEnd - place.TagBegin);
    std::string tag(original);
    auto date = [&tag](std::string_view name, TBookmarkDate now, TBookmarkDate read) {
        if (now != read)
            tag = SetBookmarkTagAttribute(tag, name, "\"" + std::to_string(now) + "\"");
    };
    if (const TBookmarkItem* item = entry.AsItem()) {
        if (item->Url != place.Url)
            tag = SetBookmarkTagAttribute(tag, "HREF", QuotedBookmarkValue(item->Url));
        date("ADD_DATE", item->AddDate, place.AddDate);
        date("LAST_VISIT", item->LastVisit, place.LastVisit);
        date("LAST_MODIFIED", item->LastModified, place.LastModified);
    } else {
        date("ADD_DATE", entry.AsFolder()->AddDate, place.AddDate);
    }
    if (tag != original)
        Replace(place.TagBegin, place.TagEnd, std::move(tag));
}

void TSourceEditor::EditText(std::string_view text, const TBookmarkPlace& place)
{
    if (text == place.Text)
        return;
    std::string written;
    WriteBookmarkText(written, text);
    Replace(place.TextBegin, place.TextEnd, std::move(written));
}

void TSourceEditor::EditDescription(std::string_view description, const TBookmarkPlace& place)
{
    if (description == place.Description)
        return;
    std::string written;
    WriteBookmarkText(written, description);
    if (place.DescriptionBegin == TBookmarkPlace::npos) {
        // A DD line of its own after the title.
        Replace(place.ContentEnd, place.ContentEnd,
                m_source.LineEnd + std::string(m_source.LineIndent(place.Begin)) + "<DD>" + written);
    } else if (description.empty()) {
        Replace(place.ContentEnd, place.DescriptionEnd, {});
    } else {
        Replace(place.DescriptionBegin, place.DescriptionEnd, std::move(written));
    }
}

void TSourceEditor::Insert(std::size_t pos, std::string lines)
{
    if (!m_source.AtLineStart(pos))
        lines.insert(0, m_source.LineEnd);
    Replace(pos, pos, std::move(lines));
}

std::string TSourceEditor::Spliced()
{
    std::stable_sort(m_splices.begin(), m_splices.end(),
                     [](const TSplice& a, const TSplice& b) { return a.Begin < b.Begin; });
    const std::string& bytes = m_source.Bytes();
    std::string out;
    out.reserve(bytes.size() + 1024);
    std::size_t at = 0;
    for (const TSplice& splice : m_splices) {
        // Inside a part cut out already.
        if (splice.Begin < at)
            continue;
        out.append(bytes, at, splice.Begin - at);
        out += splice.Text;
        at = std::max(at, splice.End);
    }
    out.append(bytes, at);
    return out;
}

} // namespace

void TBookmarkSource::SetBytes(std::string bytes)
{
    m_bytes = std::move(bytes);
    m_lineStarts.assign(1, 0);
    for (std::size_t at = m_bytes.find('\n'); at != std::string::npos; at = m_bytes.find('\n', at + 1))
        m_lineStarts.push_back(at + 1);
}

std::size_t TBookmarkSource::LineStart(std::size_t pos) const
{
    // Files of one long line are common enough (and hostile ones too) that
    // looking back for the line end would cost a pass over the line per entry.
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), pos);
    return after == m_lineStarts.begin() ? 0 : *(after - 1);
}

std::string_view TBookmarkSource::LineIndent(std::size_t pos) const
{
    const std::size_t start = LineStart(pos);
    std::size_t end = start;
    while (end < m_bytes.size() && IsSpaceOrTab(m_bytes[end]))
        ++end;
    return std::string_view(m_bytes).substr(start, end - start);
}

std::size_t TBookmarkSource::StartOfEntry(std::size_t pos) const
{
    std::size_t start = pos;
    while (start > 0 && IsSpaceOrTab(m_bytes[start - 1]))
        --start;
    return AtLineStart(start) ? start : pos;
}

std::size_t TBookmarkSource::PastLineEnd(std::size_t pos) const
{
    std::size_t end = pos;
    while (end < m_bytes.size() && IsSpaceOrTab(m_bytes[end]))
        ++end;
    if (end < m_bytes.size() && m_bytes[end] == '\n')
        return end + 1;
    if (end + 1 < m_bytes.size() && m_bytes[end] == '\r' && m_bytes[end + 1] == '\n')
        return end + 2;
    return pos;
}

std::string TBookmarkSource::Apply(const TBookmarkFolder& root, std::string_view title) const
{
    TSourceEditor editor(*this);
    return editor.Run(root, title);
}

std::string SetBookmarkTagAttribute(std::string_view tag, std::string_view name, std::string_view quotedValue)
{
    std::string out;
    const std::optional<std::string_view> value = TagAttribute(tag, name);
    if (!value) {
        const std::size_t end = tag.ends_with('>') ? tag.size() - 1 : tag.size();
        out.append(tag.substr(0, end)).append(" ").append(name).append("=").append(quotedValue);
        out.append(tag.substr(end));
        return out;
    }
    std::size_t begin = static_cast<std::size_t>(value->data() - tag.data());
    std::size_t end = begin + value->size();
    std::string_view insert = quotedValue;
    std::string withEquals;
    if (begin > 0 && (tag[begin - 1] == '"' || tag[begin - 1] == '\'')) {
        // Quoted: the quotes go too.
        if (end < tag.size() && tag[end] == tag[begin - 1])
            ++end;
        --begin;
    } else {
        std::size_t before = begin;
        while (before > 0 && IsBlank(tag[before - 1]))
            --before;
        if (before == 0 || tag[before - 1] != '=') {
            // A name without a value.
            withEquals = "=" + std::string(quotedValue);
            insert = withEquals;
        }
    }
    out.append(tag.substr(0, begin)).append(insert).append(tag.substr(end));
    return out;
}

} // namespace velbrin
