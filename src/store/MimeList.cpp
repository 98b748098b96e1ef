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
};

constexpr std::array<DefaultMime, 7> kDefaultTable = {{
    {"text/html", "htm", MimeClassHtml},
    {"text/plain", "txt", MimeClassText},
    {"image/gif", "gif", MimeClassImage},
    {"image/jpeg", "jpg", MimeClassImage},
    {"video/x-msvideo", "avi", MimeClassVideo},
    {"audio/x-wav", "wav", MimeClassSound},
    {"audio/x-aiff", "aif", MimeClassSound},
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
        AddMime(entry.type, entry.extension, kMimeClassNames[entry.mimeClass], true);
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

void TMIMELIST::SetCmdLine(std::string_view text)
{
    for (;;) {
        std::size_t comma = text.find(',');
        std::string token = TrimBlanks(text.substr(0, comma));
        bool flag = true;
        if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
            flag = token[0] == '+';
            token.erase(0, 1);
        }
        // An empty token would otherwise pick the first entry without an
        // extension.
        if (!token.empty()) {
            std::string upper = UpperCase(token);
            auto isClass = [&](std::string_view name) { return UpperCase(name) == upper; };
            auto named = std::find_if(kMimeClassNames.begin(), kMimeClassNames.end(), isClass);
            if (named != kMimeClassNames.end()) {
                SetValidClass(static_cast<std::uint8_t>(named - kMimeClassNames.begin()), flag);
            } else if (upper == "ALL") {
                SetValidAll(flag);
            } else {
                auto match = std::find_if(m_items.begin(), m_items.end(),
                                          [&](const auto& item) { return SameText(item->Extension, token); });
                if (match != m_items.end())
                    (*match)->Capture = flag;
            }
        }
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
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

} // namespace velbrin
