#include "browser/Bookmarks.h"

#include "browser/BookmarkScanner.h"
#include "browser/BookmarkWriter.h"
#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/Text.h"
#include "html/Tag.h"

#include <filesystem>

namespace velbrin {

namespace {

// Tags that open or close an entry or a list. The text of a title never reaches
// past one of them, so an unclosed A or H3 takes only its own line of text and
// every text of the file is read once.
bool IsStructural(std::uint8_t kind)
{
    switch (kind) {
    case TagA:
    case TagTitle:
    case TagDd:
    case TagDl:
    case TagDt:
    case TagH1:
    case TagH2:
    case TagH3:
    case TagH4:
    case TagH5:
    case TagH6:
        return true;
    default:
        return false;
    }
}

// Where the text read up to a closing tag lies in the file.
struct TTextSpan {
    std::size_t Begin = 0;      // blanks at both ends left out
    std::size_t End = 0;
    std::size_t ContentEnd = 0; // past the closing tag, or past the text when it has none
};

// The reading pass over the tags of one file, into the root and the places
// of its entries in the file.
class TBookmarkReader {
public:
    TBookmarkReader(TBookMarks& root, std::string_view bytes, TBookmarkSource& source)
        : m_root(root)
        , m_bytes(bytes)
        , m_source(source)
        , m_scanner(bytes)
        , m_current(&root)
    {
    }

    TBookmarkLoad Run();

private:
    bool NextToken(TBookmarkToken& token);
    // The text after the opener and after every following tag, up to the
    // first closing tag of that kind, trimmed; it stops before a structural
    // tag, which is read next.
    std::string TextUntilClose(const TBookmarkToken& opener, std::uint8_t kind, TTextSpan& span);
    // The decimal value of a date attribute; 0 when absent or empty.
    TBookmarkDate Date(std::string_view tag, std::string_view attribute) const;
    void CountEntry();

    std::size_t Offset(std::string_view part) const { return static_cast<std::size_t>(part.data() - m_bytes.data()); }
    // A place for the A or H3 tag of the token, its entry beginning at the DT before it.
    TBookmarkPlace PlaceOf(const TBookmarkToken& token) const;
    void SetText(TBookmarkPlace& place, const TTextSpan& span) const;
    // What each level adds to the indentation, from the first entry of the top list.
    void FindIndentUnit(const TBookmarkPlace& place);
    void ReadLink(const TBookmarkToken& token);
    void ReadHeading(const TBookmarkToken& token);
    void ReadDescription(const TBookmarkToken& token);
    bool OpenList(const TBookmarkToken& token);
    bool CloseList(const TBookmarkToken& token);
    // Lists still open at the end of the file end where the file's last tag ends.
    void EndOpenLists();

    TBookMarks& m_root;
    std::string_view m_bytes;
    TBookmarkSource& m_source;
    TBookmarkScanner m_scanner;
    TBookmarkToken m_held;
    bool m_holding = false;

    TBookmarkFolder* m_current;
    int m_depth = 0;
    std::size_t m_entries = 0;
    // The last DT tag: an entry that follows it begins there.
    std::size_t m_dtBegin = TBookmarkPlace::npos;
    std::size_t m_dtEnd = TBookmarkPlace::npos;
    // The indentation of the line of the top list.
    std::string_view m_rootIndent;
    bool m_unitFound = false;

    // The last entry read, which a DD describes: an item, the pending folder, or none.
    enum class TLast { None, Item, PendingFolder } m_last = TLast::None;
    TBookmarkItem* m_lastItem = nullptr;
    std::string m_pendingName;
    std::string m_pendingDescription;
    TBookmarkDate m_pendingDate = 0;
    TBookmarkPlace m_pendingPlace;
};

TBookmarkLoad TBookmarkReader::Run()
{
    TBookmarkLoad result = BookmarksMissing;
    bool first = true;
    TBookmarkToken token;
    while (NextToken(token)) {
        if (token.Kind == TagDt && !(token.Flags & TagClose)) {
            m_dtBegin = Offset(token.Tag);
            m_dtEnd = m_dtBegin + token.Tag.size();
        }
        const bool firstTag = first;
        first = false;
        if (token.Kind == TagComment) {
            // Only a leading declaration counts: it must be the bookmark one.
            if (firstTag) {
                result = NotABookmarkFile;
                const std::string_view text = token.Tag.substr(2);
                if (FindNoCase(text, "DOCTYPE") == std::string_view::npos ||
                    FindNoCase(text, "NETSCAPE-BOOKMARK") == std::string_view::npos)
                    return NotABookmarkFile;
            }
            continue;
        }
        if (token.Flags & TagClose) {
            if (token.Kind == TagDl && !CloseList(token))
                return TooManyListEnds;
            continue;
        }
        switch (token.Kind) {
        case TagA:
            ReadLink(token);
            break;
        case TagTitle: {
            TTextSpan span;
            m_root.Title = TextUntilClose(token, TagTitle, span);
            m_source.Title = m_root.Title;
            m_source.TitleBegin = span.Begin;
            m_source.TitleEnd = span.End;
            break;
        }
        case TagH1: {
            TTextSpan span;
            m_root.Description = TextUntilClose(token, TagH1, span);
            break;
        }
        case TagH3:
            ReadHeading(token);
            break;
        case TagDd:
            ReadDescription(token);
            break;
        case TagDl:
            if (m_depth == 0)
                result = BookmarksLoaded;
            if (!OpenList(token))
                return NotABookmarkFile;
            break;
        default:
            break;
        }
    }
    EndOpenLists();
    return result;
}

bool TBookmarkReader::NextToken(TBookmarkToken& token)
{
    if (m_holding) {
        token = m_held;
        m_holding = false;
        return true;
    }
    return m_scanner.Next(token);
}

std::string TBookmarkReader::TextUntilClose(const TBookmarkToken& opener, std::uint8_t kind, TTextSpan& span)
{
    std::string text(opener.Text);
    const std::size_t begin = Offset(opener.Text);
    std::size_t end = begin + opener.Text.size();
    bool closed = false;
    TBookmarkToken token;
    while (NextToken(token)) {
        if (token.Kind == kind && (token.Flags & TagClose)) {
            end = Offset(token.Tag);
            span.ContentEnd = end + token.Tag.size();
            closed = true;
            break;
        }
        if (IsStructural(token.Kind)) {
            m_held = token;
            m_holding = true;
            end = Offset(token.Tag);
            break;
        }
        text += token.Text;
        end = Offset(token.Text) + token.Text.size();
    }
    span.Begin = begin;
    span.End = end;
    while (span.Begin < span.End && IsBlank(m_bytes[span.Begin]))
        ++span.Begin;
    while (span.End > span.Begin && IsBlank(m_bytes[span.End - 1]))
        --span.End;
    if (!closed)
        span.ContentEnd = span.End;
    return TrimBlanks(text);
}

TBookmarkDate TBookmarkReader::Date(std::string_view tag, std::string_view attribute) const
{
    const std::optional<std::string_view> value = TagAttribute(tag, attribute);
    if (!value)
        return 0;
    const std::string text = TrimBlanks(*value);
    if (text.empty())
        return 0;
    std::int64_t date = 0;
    if (!TryParseInt(text, date)) {
        std::string shown = text.substr(0, 40);
        if (shown.size() < text.size())
            shown += "...";
        throw EConvertError("'" + shown + "' is not a valid integer value (" + std::string(attribute) +
                            " in the bookmark file " + m_root.FileName() + ")");
    }
    return date;
}

void TBookmarkReader::CountEntry()
{
    if (++m_entries > kMaxBookmarkEntries)
        throw EStreamError("The bookmark file " + m_root.FileName() + " holds more than " +
                           std::to_string(kMaxBookmarkEntries) + " bookmarks");
}

TBookmarkPlace TBookmarkReader::PlaceOf(const TBookmarkToken& token) const
{
    TBookmarkPlace place;
    place.TagBegin = Offset(token.Tag);
    place.TagEnd = place.TagBegin + token.Tag.size();
    std::size_t begin = place.TagBegin;
    if (m_dtEnd != TBookmarkPlace::npos && m_dtEnd <= begin) {
        std::size_t between = m_dtEnd;
        while (between < begin && IsBlank(m_bytes[between]))
            ++between;
        if (between == begin)
            begin = m_dtBegin;
    }
    place.Begin = m_source.StartOfEntry(begin);
    return place;
}

void TBookmarkReader::FindIndentUnit(const TBookmarkPlace& place)
{
    // The first entry of the top list that begins a line gives the
    // indentation of a level.
    if (m_depth != 1 || m_unitFound || !m_source.AtLineStart(place.Begin))
        return;
    m_unitFound = true;
    const std::string_view indent = m_source.LineIndent(place.Begin);
    if (indent.size() > m_rootIndent.size() && indent.starts_with(m_rootIndent))
        m_source.IndentUnit = std::string(indent.substr(m_rootIndent.size()));
}

void TBookmarkReader::SetText(TBookmarkPlace& place, const TTextSpan& span) const
{
    place.TextBegin = span.Begin;
    place.TextEnd = span.End;
    place.ContentEnd = span.ContentEnd;
    place.End = span.ContentEnd;
}

void TBookmarkReader::ReadLink(const TBookmarkToken& token)
{
    const std::optional<std::string_view> href = TagAttribute(token.Tag, "HREF");
    if (!href || href->empty())
        return;
    CountEntry();
    auto item = std::make_unique<TBookmarkItem>();
    item->Url = std::string(*href);
    item->AddDate = Date(token.Tag, "ADD_DATE");
    item->LastVisit = Date(token.Tag, "LAST_VISIT");
    item->LastModified = Date(token.Tag, "LAST_MODIFIED");
    TBookmarkPlace place = PlaceOf(token);
    TTextSpan span;
    item->Title = TextUntilClose(token, TagA, span);
    SetText(place, span);
    place.Url = item->Url;
    place.Text = item->Title;
    place.AddDate = item->AddDate;
    place.LastVisit = item->LastVisit;
    place.LastModified = item->LastModified;
    FindIndentUnit(place);
    item->SetSourceIndex(static_cast<std::int32_t>(m_source.Places.size()));
    m_source.Places.push_back(std::move(place));
    m_lastItem = &m_current->AddItem(std::move(item));
    m_last = TLast::Item;
}

void TBookmarkReader::ReadHeading(const TBookmarkToken& token)
{
    m_pendingDate = Date(token.Tag, "ADD_DATE");
    m_pendingPlace = PlaceOf(token);
    FindIndentUnit(m_pendingPlace);
    TTextSpan span;
    m_pendingName = TextUntilClose(token, TagH3, span);
    SetText(m_pendingPlace, span);
    m_pendingPlace.Text = m_pendingName;
    m_pendingPlace.AddDate = m_pendingDate;
    m_pendingDescription.clear();
    m_last = TLast::PendingFolder;
}

void TBookmarkReader::ReadDescription(const TBookmarkToken& token)
{
    TBookmarkPlace* place = nullptr;
    if (m_last == TLast::Item) {
        m_lastItem->Description = TrimBlanks(token.Text);
        place = &m_source.Places[static_cast<std::size_t>(m_lastItem->SourceIndex())];
        place->Description = m_lastItem->Description;
    } else if (m_last == TLast::PendingFolder) {
        m_pendingDescription = TrimBlanks(token.Text);
        place = &m_pendingPlace;
        place->Description = m_pendingDescription;
    } else {
        return;
    }
    std::size_t begin = Offset(token.Text);
    std::size_t end = begin + token.Text.size();
    while (begin < end && IsBlank(m_bytes[begin]))
        ++begin;
    while (end > begin && IsBlank(m_bytes[end - 1]))
        --end;
    place->DescriptionBegin = begin;
    place->DescriptionEnd = end;
    place->End = end;
}

bool TBookmarkReader::OpenList(const TBookmarkToken& token)
{
    m_last = TLast::None;
    if (m_depth == 0) {
        m_root.Name = m_root.Title;
        m_root.Description = m_root.Title;
        if (m_source.RootListEnd == TBookmarkSource::npos)
            m_rootIndent = m_source.LineIndent(Offset(token.Tag));
    } else {
        if (m_depth > kMaxBookmarkDepth)
            return false;
        CountEntry();
        auto folder = std::make_unique<TBookmarkFolder>(std::move(m_pendingName), std::move(m_pendingDescription));
        folder->AddDate = m_pendingDate;
        // A list without a heading begins where it stands.
        if (m_pendingPlace.TagEnd == 0) {
            m_pendingPlace.TagBegin = m_pendingPlace.TagEnd = Offset(token.Tag);
            m_pendingPlace.Begin = m_source.StartOfEntry(Offset(token.Tag));
            m_pendingPlace.TextBegin = m_pendingPlace.TextEnd = m_pendingPlace.ContentEnd = Offset(token.Tag);
        }
        folder->SetSourceIndex(static_cast<std::int32_t>(m_source.Places.size()));
        m_source.Places.push_back(std::move(m_pendingPlace));
        m_pendingPlace = {};
        m_current = &m_current->AddFolder(std::move(folder));
        m_pendingName.clear();
        m_pendingDescription.clear();
        m_pendingDate = 0;
    }
    ++m_depth;
    return true;
}

bool TBookmarkReader::CloseList(const TBookmarkToken& token)
{
    m_last = TLast::None;
    if (--m_depth < 0)
        return false;
    const std::size_t at = Offset(token.Tag);
    if (m_current == &m_root) {
        if (m_source.RootListEnd == TBookmarkSource::npos)
            m_source.RootListEnd = m_source.StartOfEntry(at);
    } else {
        TBookmarkPlace& place = m_source.Places[static_cast<std::size_t>(m_current->SourceIndex())];
        place.ListEnd = m_source.StartOfEntry(at);
        // The "<p>" browsers write after the list end belongs to it.
        std::size_t end = at + token.Tag.size();
        std::size_t next = end;
        while (next < m_bytes.size() && (m_bytes[next] == ' ' || m_bytes[next] == '\t'))
            ++next;
        if (next + 3 <= m_bytes.size() && SameText(m_bytes.substr(next, 3), "<p>"))
            end = next + 3;
        place.End = end;
    }
    // Lists closed back to the top leave the root current: entries after the
    // top list still have a home.
    if (m_current->Parent())
        m_current = m_current->Parent();
    return true;
}

void TBookmarkReader::EndOpenLists()
{
    const std::size_t end = m_scanner.Unfinished();
    for (TBookmarkFolder* folder = m_current; folder && folder != &m_root; folder = folder->Parent()) {
        TBookmarkPlace& place = m_source.Places[static_cast<std::size_t>(folder->SourceIndex())];
        if (place.ListEnd == TBookmarkPlace::npos) {
            place.ListEnd = end;
            place.End = end;
        }
    }
    if (m_depth > 0 && m_source.RootListEnd == TBookmarkSource::npos)
        m_source.RootListEnd = end;
    // An entry that begins its line ends with the line, when nothing follows it there.
    for (TBookmarkPlace& place : m_source.Places) {
        if (m_source.AtLineStart(place.Begin))
            place.End = m_source.PastLineEnd(place.End);
    }
}

void ClearModified(TBookmarkFolder& folder)
{
    folder.Modified = false;
    for (const auto& child : folder.Children()) {
        if (TBookmarkFolder* sub = child->AsFolder())
            ClearModified(*sub);
    }
}

} // namespace

TBookMarks::TBookMarks() = default;
TBookMarks::~TBookMarks() = default;

TBookmarkLoad TBookMarks::Load()
{
    if (m_fileName.empty() || !FileExists(m_fileName)) {
        Release();
        return BookmarksMissing;
    }
    if (GetFileSize(m_fileName) > kMaxBookmarkFileSize)
        throw EStreamError("The bookmark file " + m_fileName + " is too large to be read");
    const std::string bytes = ReadWholeFile(m_fileName);
    return LoadFrom(bytes);
}

TBookmarkLoad TBookMarks::LoadFrom(std::string_view bytes)
{
    Release();
    Title.clear();
    Description.clear();
    if (static_cast<std::int64_t>(bytes.size()) > kMaxBookmarkFileSize)
        throw EStreamError("The bookmark file " + m_fileName + " is too large to be read");

    TBookmarkLoad result = BookmarksMissing;
    auto source = std::make_unique<TBookmarkSource>();
    source->SetBytes(std::string(bytes));
    try {
        TBookmarkReader reader(*this, source->Bytes(), *source);
        result = reader.Run();
    } catch (...) {
        Release();
        Modified = false;
        throw;
    }
    if (result == BookmarksLoaded) {
        // A TITLE after the first list still names the root.
        Name = Title;
        Description = Title;
        const std::string& loaded = source->Bytes();
        const std::size_t newline = loaded.find('\n');
        if (newline != std::string::npos)
            source->LineEnd = newline > 0 && loaded[newline - 1] == '\r' ? "\r\n" : "\n";
        m_source = std::move(source);
    } else {
        Release();
    }
    ClearModified(*this);
    return result;
}

void TBookMarks::Release()
{
    FreeChildren();
    m_source.reset();
}

std::string TBookMarks::SaveText() const
{
    if (m_source)
        return m_source->Apply(*this, Title);
    std::string out;
    out += "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n\r\n";
    out += "<!-- This is an automatically generated file.\r\n\r\n";
    out += "Il will be read an overwritten.\r\n\r\n";
    out += "Do Not Edit!-->\r\n\r\n";
    out += "<TITLE>";
    WriteBookmarkText(out, Title);
    out += "</TITLE>\r\n\r\n";
    out += "<H1>";
    WriteBookmarkText(out, Title);
    out += "</H1>\r\n";
    WriteBookmarkFolder(out, *this, {}, true, TBookmarkLayout{});
    return out;
}

void TBookMarks::Save() const
{
    if (m_fileName.empty())
        throw EInOutError("No bookmark file is named");
    // A link (a bookmark file kept elsewhere) stays a link: its target is replaced.
    std::string target = m_fileName;
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
        if (!error)
            target = resolved.string();
    }
    const std::string text = SaveText();
    TAtomicFileStream stream(target);
    stream.WriteBuffer(text.data(), text.size());
    stream.Commit();
}

void CreateBookmarkFile(const std::string& fileName)
{
    TBookMarks bookmarks;
    bookmarks.Title = "Velbrin's webs";
    bookmarks.SetFileName(fileName);
    bookmarks.Save();
}

} // namespace velbrin
