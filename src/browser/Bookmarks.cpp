#include "browser/Bookmarks.h"

#include "browser/BookmarkScanner.h"
#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/Text.h"
#include "html/Tag.h"

#include <filesystem>

namespace velbrin {

namespace {

constexpr std::string_view kCrLf = "\r\n";

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

// The reading pass over the tags of one file, into the root.
class TBookmarkReader {
public:
    TBookmarkReader(TBookMarks& root, std::string_view bytes)
        : m_root(root)
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
    std::string TextUntilClose(const TBookmarkToken& opener, std::uint8_t kind);
    // The decimal value of a date attribute; 0 when absent or empty.
    TBookmarkDate Date(std::string_view tag, std::string_view attribute) const;
    void CountEntry();

    void ReadLink(const TBookmarkToken& token);
    void ReadHeading(const TBookmarkToken& token);
    void ReadDescription(const TBookmarkToken& token);
    bool OpenList();
    bool CloseList();

    TBookMarks& m_root;
    TBookmarkScanner m_scanner;
    TBookmarkToken m_held;
    bool m_holding = false;

    TBookmarkFolder* m_current;
    int m_depth = 0;
    std::size_t m_entries = 0;

    // The last entry read, which a DD describes: an item, the pending folder, or none.
    enum class TLast { None, Item, PendingFolder } m_last = TLast::None;
    TBookmarkItem* m_lastItem = nullptr;
    std::string m_pendingName;
    std::string m_pendingDescription;
    TBookmarkDate m_pendingDate = 0;
};

TBookmarkLoad TBookmarkReader::Run()
{
    TBookmarkLoad result = BookmarksMissing;
    bool first = true;
    TBookmarkToken token;
    while (NextToken(token)) {
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
            if (token.Kind == TagDl && !CloseList())
                return TooManyListEnds;
            continue;
        }
        switch (token.Kind) {
        case TagA:
            ReadLink(token);
            break;
        case TagTitle:
            m_root.Title = TextUntilClose(token, TagTitle);
            break;
        case TagH1:
            m_root.Description = TextUntilClose(token, TagH1);
            break;
        case TagH3:
            ReadHeading(token);
            break;
        case TagDd:
            ReadDescription(token);
            break;
        case TagDl:
            if (m_depth == 0)
                result = BookmarksLoaded;
            if (!OpenList())
                return NotABookmarkFile;
            break;
        default:
            break;
        }
    }
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

std::string TBookmarkReader::TextUntilClose(const TBookmarkToken& opener, std::uint8_t kind)
{
    std::string text(opener.Text);
    TBookmarkToken token;
    while (NextToken(token)) {
        if (token.Kind == kind && (token.Flags & TagClose))
            break;
        if (IsStructural(token.Kind)) {
            m_held = token;
            m_holding = true;
            break;
        }
        text += token.Text;
    }
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
    item->Title = TextUntilClose(token, TagA);
    m_lastItem = &m_current->AddItem(std::move(item));
    m_last = TLast::Item;
}

void TBookmarkReader::ReadHeading(const TBookmarkToken& token)
{
    m_pendingDate = Date(token.Tag, "ADD_DATE");
    m_pendingName = TextUntilClose(token, TagH3);
    m_pendingDescription.clear();
    m_last = TLast::PendingFolder;
}

void TBookmarkReader::ReadDescription(const TBookmarkToken& token)
{
    if (m_last == TLast::Item)
        m_lastItem->Description = TrimBlanks(token.Text);
    else if (m_last == TLast::PendingFolder)
        m_pendingDescription = TrimBlanks(token.Text);
}

bool TBookmarkReader::OpenList()
{
    m_last = TLast::None;
    if (m_depth == 0) {
        m_root.Name = m_root.Title;
        m_root.Description = m_root.Title;
    } else {
        if (m_depth > kMaxBookmarkDepth)
            return false;
        CountEntry();
        auto folder = std::make_unique<TBookmarkFolder>(std::move(m_pendingName), std::move(m_pendingDescription));
        folder->AddDate = m_pendingDate;
        m_current = &m_current->AddFolder(std::move(folder));
        m_pendingName.clear();
        m_pendingDescription.clear();
        m_pendingDate = 0;
    }
    ++m_depth;
    return true;
}

bool TBookmarkReader::CloseList()
{
    m_last = TLast::None;
    if (--m_depth < 0)
        return false;
    // Lists closed back to the top leave the root current: entries after the
    // top list still have a home.
    if (m_current->Parent())
        m_current = m_current->Parent();
    return true;
}

void ClearModified(TBookmarkFolder& folder)
{
    folder.Modified = false;
    for (const auto& child : folder.Children()) {
        if (TBookmarkFolder* sub = child->AsFolder())
            ClearModified(*sub);
    }
}

// An attribute value between double quotes: a double quote inside it (only a
// value the file held in single quotes can have one) is written as a reference.
std::string QuotedValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    out += '"';
    return out;
}

// A text between tags. It holds a "<" that would begin a tag only when the
// file it was read from ended inside that tag; written as it stands, such a
// "<" would take what follows it, so it is written as a reference.
void WriteText(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (OpensTag(text, i))
            out += "&lt;";
        else
            out += text[i];
    }
}

void WriteItem(std::string& out, const TBookmarkItem& item, const std::string& indent)
{
    out += indent;
    out += "<DT><A HREF=";
    out += QuotedValue(item.Url);
    out += " ADD_DATE=\"" + std::to_string(item.AddDate);
    out += "\" LAST_VISIT=\"" + std::to_string(item.LastVisit);
    out += "\" LAST_MODIFIED=\"" + std::to_string(item.LastModified);
    out += "\">";
    WriteText(out, item.Title);
    out += "</A>";
    out += kCrLf;
    if (!item.Description.empty()) {
        out += indent;
        out += "<DD>";
        WriteText(out, item.Description);
        out += kCrLf;
    }
}

void WriteFolder(std::string& out, const TBookmarkFolder& folder, const std::string& indent, bool root)
{
    if (!root) {
        out += indent;
        out += "<DT> <H3 FOLDED ADD_DATE=\"" + std::to_string(folder.AddDate) + "\">";
        WriteText(out, folder.Name);
        out += "</H3>";
        out += kCrLf;
    }
    if (!folder.Description.empty()) {
        out += indent;
        out += "<DD>";
        WriteText(out, folder.Description);
        out += kCrLf;
        out += kCrLf;
    }
    out += indent;
    out += "<DL><p>";
    out += kCrLf;
    const std::string inner = indent + '\t';
    for (const auto& child : folder.Children()) {
        if (const TBookmarkFolder* sub = child->AsFolder())
            WriteFolder(out, *sub, inner, false);
        else
            WriteItem(out, *child->AsItem(), inner);
    }
    out += indent;
    out += "</DL><p>";
    out += kCrLf;
}

} // namespace

TBookMarks::TBookMarks() = default;

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
    try {
        TBookmarkReader reader(*this, bytes);
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
    } else {
        Release();
    }
    ClearModified(*this);
    return result;
}

std::string TBookMarks::SaveText() const
{
    std::string out;
    out += "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n\r\n";
    out += "<!-- This is an automatically generated file.\r\n\r\n";
    out += "Il will be read an overwritten.\r\n\r\n";
    out += "Do Not Edit!-->\r\n\r\n";
    out += "<TITLE>";
    WriteText(out, Title);
    out += "</TITLE>\r\n\r\n";
    out += "<H1>";
    WriteText(out, Title);
    out += "</H1>\r\n";
    WriteFolder(out, *this, std::string(), true);
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
