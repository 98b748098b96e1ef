#include "maps/MapList.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/ShortString.h"
#include "core/StreamPrimitives.h"
#include "store/LocalName.h"

#include <algorithm>
#include <utility>

namespace velbrin {

namespace {

// Five or six length bytes at least.
std::int64_t ShortestEntry(int version)
{
    return version >= TMAPLIST::kTargetVersion ? 6 : 5;
}

bool IsUsableName(std::string_view name)
{
    return !name.empty() && IsSafeLocalName(name);
}

} // namespace

int TMAPLIST::Find(std::string_view imageFile) const
{
    for (std::size_t i = m_entries.size(); i-- > 0;) {
        if (SameText(m_entries[i].ImageFile, imageFile))
            return static_cast<int>(i);
    }
    return -1;
}

bool TMAPLIST::Add(TMapImg entry)
{
    if (m_entries.size() >= kMaxEntries)
        return false;
    for (std::string* text : {&entry.ImageFile, &entry.MapFile, &entry.MapLink, &entry.Description, &entry.Page,
                              &entry.Target}) {
        if (text->size() > kShortStringMax)
            text->resize(kShortStringMax);
    }
    m_entries.push_back(std::move(entry));
    return true;
}

void TMAPLIST::SaveToStream(TStream& stream) const
{
    WriteSmallInt(stream, static_cast<std::int64_t>(m_entries.size()));
    for (const TMapImg& entry : m_entries) {
        WriteShortStr(stream, entry.ImageFile);
        WriteShortStr(stream, entry.MapFile);
        WriteShortStr(stream, entry.MapLink);
        WriteShortStr(stream, entry.Description);
        WriteShortStr(stream, entry.Page);
        WriteShortStr(stream, entry.Target);
    }
}

bool TMAPLIST::LoadFromStream(TStream& stream, int version)
{
    std::vector<TMapImg> entries;
    try {
        int count = ReadSmallInt(stream);
        if (count < 0)
            return false;
        entries.reserve(
            static_cast<std::size_t>(std::min<std::int64_t>(count, stream.Remaining() / ShortestEntry(version))));
        for (int i = 0; i < count; ++i) {
            TMapImg entry;
            entry.ImageFile = ReadShortStr(stream);
            entry.MapFile = ReadShortStr(stream);
            entry.MapLink = ReadShortStr(stream);
            entry.Description = ReadShortStr(stream);
            entry.Page = ReadShortStr(stream);
            if (version >= kTargetVersion)
                entry.Target = ReadShortStr(stream);
            if (IsUsableName(entry.ImageFile) && IsUsableName(entry.MapFile))
                entries.push_back(std::move(entry));
        }
    } catch (const EStreamError&) {
        return false;
    }
    m_entries = std::move(entries);
    return true;
}

int TMAPLIST::DeleteMapFiles(const std::string& directory) const
{
    int deleted = 0;
    for (const TMapImg& entry : m_entries) {
        if (!IsUsableName(entry.MapFile))
            continue;
        std::string fileName = directory + entry.MapFile;
        if (FileExists(fileName) && DeleteFile(fileName))
            ++deleted;
    }
    return deleted;
}

} // namespace velbrin
