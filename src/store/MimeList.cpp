#include "store/MimeList.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/ShortString.h"
#include "core/StreamPrimitives.h"
#include "core/Text.h"

#include <algorithm>
#include <utility>

namespace velbrin {

namespace {

constexpr std::size_t kExtensionMax = 3;

struct DefaultMime {
    std::string_view type;
    std::string_view extension;
    std::uint8_t mimeClass;
    bool capture;
};

// The default table. Its first seven entries are the table of the first
// versions, unchanged and in their order; today's types follow. Extensions
// have at most three letters, so longer usual ones are shortened:
//   webp -> wbp, avif -> avf, woff2 -> wf2, woff -> wof, webm -> wbm.
// Browsers tell pictures, fonts and media by their bytes, but a style sheet
// read from a local file needs ".css". "web" is never used: it is the
// extension of project files. Style sheets and scripts are texts (class Text):
// "-TEXT" drops them with plain text, and "+OTHER" does not drag in the
// archives and documents that are known but not captured.
constexpr std::array<DefaultMime, 26> kDefaultTable = {{
    {"text/html", "htm", MimeClassHtml, true},
    {"text/plain", "txt", MimeClassText, true},
    {"image/gif", "gif", MimeClassImage, true},
    {"image/jpeg", "jpg", MimeClassImage, true},
    {"video/x-msvideo", "avi", MimeClassVideo, true},
    {"audio/x-wav", "wav", MimeClassSound, true},
    {"audio/x-aiff", "aif", MimeClassSound, true},
    {"text/css", "css", MimeClassText, true},
    {"text/javascript", "js", MimeClassText, true},
    {"application/javascript", "js", MimeClassText, true},
    {"image/png", "png", MimeClassImage, true},
    {"image/svg+xml", "svg", MimeClassImage, true},
    {"image/webp", "wbp", MimeClassImage, true},
    {"image/avif", "avf", MimeClassImage, true},
    {"image/x-icon", "ico", MimeClassImage, true},
    {"image/vnd.microsoft.icon", "ico", MimeClassImage, true},
    {"font/woff2", "wf2", MimeClassOther, true},
    {"font/woff", "wof", MimeClassOther, true},
    {"font/ttf", "ttf", MimeClassOther, true},
    {"font/otf", "otf", MimeClassOther, true},
    {"application/pdf", "pdf", MimeClassOther, false},
    {"application/zip", "zip", MimeClassOther, false},
    {"video/mp4", "mp4", MimeClassVideo, false},
    {"video/webm", "wbm", MimeClassVideo, false},
    {"audio/mpeg", "mp3", MimeClassSound, false},
    {"audio/ogg", "ogg", MimeClassSound, false},
}};

std::string CutExtension(std::string_view extension)
{
    return std::string(extension.substr(0, kExtensionMax));
}

// Format 1: type, extension, class and capture bytes; format 0 has no class.
std::int64_t ShortestItem(int format)
{
    return format == 0 ? 3 : 4;
}

} // namespace

std::uint8_t MimeClassIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kMimeClassNames.size(); ++i) {
        if (SameText(name, kMimeClassNames[i]))
            return static_cast<std::uint8_t>(i);
    }
    return MimeClassOther;
}

std::string_view MimeClassName(std::uint8_t mimeClass)
{
    return mimeClass < kMimeClassNames.size() ? kMimeClassNames[mimeClass] : kMimeClassNames[MimeClassOther];
}

void TMimeItem::SaveToStream(TStream& stream) const
{
    WriteShortStr(stream, MimeType);
    WriteShortStr(stream, CutExtension(Extension));
    WriteByte(stream, MimeClass);
    WriteBool(stream, Capture);
}

void TMimeItem::LoadfromStream(TStream& stream, int format)
{
    MimeType = ReadShortStr(stream);
    Extension = CutExtension(ReadShortStr(stream));
    MimeClass = MimeClassOther;
    if (format != 0) {
        MimeClass = ReadByte(stream);
        if (MimeClass >= kMimeClassNames.size())
            MimeClass = MimeClassOther;
    }
    Capture = ReadBool(stream);
}

TMIMELIST::TMIMELIST(const TMIMELIST& other)
{
    *this = other;
}

TMIMELIST& TMIMELIST::operator=(const TMIMELIST& other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<TMimeItem>> items;
    items.reserve(other.m_items.size());
    for (const auto& item : other.m_items)
        items.push_back(std::make_unique<TMimeItem>(*item));
    m_items = std::move(items);
    return *this;
}

TMimeItem* TMIMELIST::AddMime(std::string_view mimeType, std::string_view extension, std::string_view className,
                              bool capture)
{
    TMimeItem* item = GetMimeByString(mimeType);
    if (!item) {
        if (m_items.size() >= kMaxItems)
            return nullptr;
        item = m_items.emplace_back(std::make_unique<TMimeItem>()).get();
        item->MimeType = ShortString(mimeType);
    }
    item->Extension = CutExtension(extension);
    item->Capture = capture;
    item->MimeClass = MimeClassIndex(className);
    return item;
}

int TMIMELIST::AddMimeList(const TMIMELIST& other)
{
    int added = 0;
    for (const auto& source : other.m_items) {
        if (MimeExist(source->MimeType))
            continue;
        if (m_items.size() >= kMaxItems)
            break;
        auto& item = m_items.emplace_back(std::make_unique<TMimeItem>(*source));
        item->Capture = false;
        ++added;
    }
    return added;
}

TMimeItem* TMIMELIST::GetMimeByString(std::string_view mimeType)
{
    return const_cast<TMimeItem*>(std::as_const(*this).GetMimeByString(mimeType));
}

const TMimeItem* TMIMELIST::GetMimeByString(std::string_view mimeType) const
{
    auto found = std::find_if(m_items.begin(), m_items.end(),
                              [&](const auto& item) { return SameText(item->MimeType, mimeType); });
    return found == m_items.end() ? nullptr : found->get();
}

TMimeItem* TMIMELIST::GetMimebyIndex(int index)
{
    return const_cast<TMimeItem*>(std::as_const(*this).GetMimebyIndex(index));
}

const TMimeItem* TMIMELIST::GetMimebyIndex(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_items.size())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

void TMIMELIST::SetToDefault()
{
    Clear();
    for (const DefaultMime& entry : kDefaultTable)
        AddMime(entry.type, entry.extension, kMimeClassNames[entry.mimeClass], entry.capture);
}

void TMIMELIST::SetValidClass(std::uint8_t mimeClass, bool flag)
{
    for (auto& item : m_items) {
        if (item->MimeClass == mimeClass)
            item->Capture = flag;
    }
}

void TMIMELIST::SetValidAll(bool flag)
{
    for (auto& item : m_items)
        item->Capture = flag;
}

std::string TMIMELIST::SetCmdLine(std::string_view text)
{
    std::vector<bool> before;
    before.reserve(m_items.size());
    for (const auto& item : m_items)
        before.push_back(item->Capture);

    for (;;) {
        std::size_t comma = text.find(',');
        const std::string written = TrimBlanks(text.substr(0, comma));
        std::string_view token = written;
        bool flag = true;
        if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
            flag = token[0] == '+';
            token.remove_prefix(1);
        }
        // Only a token with nothing at all in it (",,", a trailing comma) is
        // no token; a sign alone names nothing.
        if (!written.empty() && !ApplyToken(token, flag)) {
            for (std::size_t i = 0; i < before.size(); ++i)
                m_items[i]->Capture = before[i];
            return "unknown MIME type in MIMES: \"" + written + "\"";
        }
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return {};
}

bool TMIMELIST::ApplyToken(std::string_view token, bool flag)
{
    if (token.empty())
        return false;
    for (std::size_t i = 0; i < kMimeClassNames.size(); ++i) {
        if (SameText(token, kMimeClassNames[i])) {
            SetValidClass(static_cast<std::uint8_t>(i), flag);
            return true;
        }
    }
    if (SameText(token, "ALL")) {
        SetValidAll(flag);
        return true;
    }
    // An extension turns on every type stored under it (both script types
    // are "js"); a full type names its own entry.
    bool found = false;
    for (auto& item : m_items) {
        if (SameText(item->Extension, token) || SameText(item->MimeType, token)) {
            item->Capture = flag;
            found = true;
        }
    }
    return found;
}

void TMIMELIST::SaveToStream(TStream& stream) const
{
    if (m_items.size() > kMaxItems)
        throw EStreamError("MIME table too large to be stored");
    WriteWord(stream, kFormat);
    WriteSmallInt(stream, static_cast<std::int64_t>(m_items.size()));
    for (const auto& item : m_items)
        item->SaveToStream(stream);
}

bool TMIMELIST::LoadFromStream(TStream& stream)
{
    std::vector<std::unique_ptr<TMimeItem>> items;
    try {
        std::uint16_t first = ReadWord(stream);
        int format = first == kFormat ? kFormat : 0;
        int count = format == kFormat ? ReadSmallInt(stream) : static_cast<std::int16_t>(first);
        if (count < 0)
            return false;
        items.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, stream.Remaining() / ShortestItem(format))));
        for (int i = 0; i < count; ++i) {
            auto item = std::make_unique<TMimeItem>();
            item->LoadfromStream(stream, format);
            items.push_back(std::move(item));
        }
    } catch (const EStreamError&) {
        return false;
    }
    m_items = std::move(items);
    return true;
}

bool IsStyleSheetType(std::string_view mimeType) { return SameText(mimeType, "text/css"); }

} // namespace velbrin
