#include "store/WebTree.h"

#include "core/Errors.h"
#include "core/ShortString.h"
#include "core/StreamPrimitives.h"
#include "store/LocalName.h"
#include "store/WebTreeWalk.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velbrin {

namespace {

// Records are yielded to the event loop in batches of this size.
constexpr int kPumpBatch = 50;

// The first version whose records hold the flags byte (earlier ones hold the
// link type there) and the first that holds the MIME type.
constexpr int kFlagsVersion = 16;
constexpr int kMimeTypeVersion = 2;

// State, flags or link type, two depths, then four length bytes at least.
constexpr std::int64_t kShortestRecord = 8;

// Opens the section of the addresses that share the file of another.
constexpr std::string_view kAliasesMark = "ALIASES";
// Two length bytes at least.
constexpr std::int64_t kShortestAlias = 2;

// Two records that read back alike: a file written once per address.
bool SameRecord(const TWebFile& a, const TWebFile& b)
{
    return a.State == b.State && a.Flags == b.Flags && a.WebDepth == b.WebDepth && a.LinkDepth == b.LinkDepth
           && a.GetFileName() == b.GetFileName() && a.GetDescription() == b.GetDescription()
           && a.GetMimeType() == b.GetMimeType();
}

// Writes a count, then the records write() writes, and puts the number it
// returns in the count. Raises before anything is written when the count
// does not fit.
template <class Write>
void WriteCounted(TStream& stream, Write&& write)
{
    const std::int64_t countAt = stream.Position();
    WriteSmallInt(stream, 0);
    const std::size_t written = write();
    const std::int64_t end = stream.Position();
    stream.SetPosition(countAt);
    WriteSmallInt(stream, static_cast<std::int64_t>(written));
    stream.SetPosition(end);
}

} // namespace

void TWebTree::WriteRecord(TStream& stream, const TWebFile& file, const std::string& address)
{
    // The bytes of WriteByte and WriteShortStr, gathered into one write: a
    // project holds tens of thousands of records and is saved again and again.
    char record[4 + 4 * (1 + kShortStringMax)];
    std::size_t size = 0;
    for (std::uint8_t byte : {file.State, file.Flags, file.WebDepth, file.LinkDepth})
        record[size++] = static_cast<char>(byte);
    for (const std::string* text : {&address, &file.m_fileName, &file.m_description, &file.m_mimeType}) {
        const std::size_t length = std::min(text->size(), kShortStringMax);
        record[size++] = static_cast<char>(static_cast<unsigned char>(length));
        std::memcpy(record + size, text->data(), length);
        size += length;
    }
    stream.WriteBuffer(record, size);
}

std::unique_ptr<TWebFile> TWebTree::ReadRecord(TStream& stream, int version, std::string& address)
{
    auto file = std::make_unique<TWebFile>();
    file->State = ReadByte(stream);
    if (version >= kFlagsVersion)
        file->Flags = ReadByte(stream);
    else
        file->SetLinkType(ReadByte(stream));
    file->WebDepth = ReadByte(stream);
    file->LinkDepth = ReadByte(stream);
    address = ReadShortStr(stream);
    file->m_fileName = ReadShortStr(stream);
    // Stored texts are taken as they are: the description was decoded when
    // it was first set.
    file->m_description = ReadShortStr(stream);
    if (version >= kMimeTypeVersion)
        file->m_mimeType = ReadShortStr(stream);
    if (!IsSafeLocalName(file->m_fileName))
        file->m_fileName.clear();
    return file;
}

template <class Take>
void TWebTree::WriteWalkRecords(TStream& stream, Take&& take) const
{
    WriteCounted(stream, [&] {
        std::size_t written = 0;
        std::string address;
        auto step = [&](TWebFile& file, const std::string* at) {
            if (take(file)) {
                WriteRecord(stream, file, *at);
                ++written;
            }
            return false;
        };
        detail::WalkWebNode(*m_root, &address, step);
        return written;
    });
}

void TWebTree::SaveToStream(TStream& stream, const TPump& pump) const
{
    std::size_t seen = 0;
    WriteWalkRecords(stream, [&](const TWebFile&) {
        if (++seen % kPumpBatch == 0)
            LetEventsThrough(pump);
        return true;
    });
}

bool TWebTree::LoadFromStream(TStream& stream, int version, const TPump& pump)
{
    // Everything is read before anything is entered, so that a stream cut
    // short leaves the tree as it was.
    std::vector<std::pair<std::string, std::unique_ptr<TWebFile>>> records;
    try {
        int count = ReadSmallInt(stream);
        if (count < 0)
            return false;
        records.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, stream.Remaining() / kShortestRecord)));
        for (int i = 0; i < count; ++i) {
            std::string address;
            std::unique_ptr<TWebFile> file = ReadRecord(stream, version, address);
            if (address.empty())
                break;
            records.emplace_back(std::move(address), std::move(file));
            if ((i + 1) % kPumpBatch == 0)
                LetEventsThrough(pump);
        }
    } catch (const EStreamError&) {
        return false;
    }
    for (auto& [address, file] : records) {
        // A record the tree refuses, or one it displaces, is dropped.
        TWebFile& entered = *file;
        std::unique_ptr<TWebFile> replaced;
        if (AddFile(address, file, replaced))
            entered.m_savedMark = entered.RecordMark();
    }
    return true;
}

void TWebTree::SaveAliasesToStream(TStream& stream) const
{
    // Most trees share no file between addresses: nothing to walk for.
    if (m_aliases.empty())
        return;
    // Each entry that refers to a file owned elsewhere, with the owner's address.
    std::vector<std::pair<std::string, std::string>> aliases;
    std::string address;
    auto walk = [&](auto& self, const TWebNode& node) -> void {
        for (const TWebNode::Entry& entry : node.m_entries) {
            const std::size_t mark = address.size();
            address += entry.Key;
            if (entry.Node) {
                self(self, *entry.Node);
            } else if (entry.File && !entry.OwnedFile) {
                const TWebNode& owner = *entry.File->m_parent;
                aliases.emplace_back(address, GetNodeUrl(owner) + owner.m_entries[entry.File->m_slot].Key);
            }
            address.resize(mark);
        }
    };
    walk(walk, *m_root);
    if (aliases.empty())
        return;
    WriteShortStr(stream, kAliasesMark);
    WriteSmallInt(stream, static_cast<std::int64_t>(aliases.size()));
    for (const auto& [alias, owner] : aliases) {
        WriteShortStr(stream, alias);
        WriteShortStr(stream, owner);
    }
}

void TWebTree::LoadAliasesFromStream(TStream& stream)
{
    std::vector<std::pair<std::string, std::string>> aliases;
    try {
        if (stream.Remaining() <= 0 || ReadShortStr(stream) != kAliasesMark)
            return;
        const int count = ReadSmallInt(stream);
        if (count < 0)
            return;
        aliases.reserve(static_cast<std::size_t>(std::min<std::int64_t>(count, stream.Remaining() / kShortestAlias)));
        for (int i = 0; i < count; ++i) {
            std::string alias = ReadShortStr(stream);
            std::string owner = ReadShortStr(stream);
            aliases.emplace_back(std::move(alias), std::move(owner));
        }
    } catch (const EStreamError&) {
        return;
    }
    for (const auto& [alias, owner] : aliases) {
        TWebFile* file = FindFile(owner);
        TWebFile* own = FindFile(alias);
        if (!file || !own || file == own || !SameRecord(*file, *own))
            continue;
        // The record loaded for the further address is dropped.
        std::unique_ptr<TWebFile> replaced;
        AddFile(alias, *file, replaced);
    }
}

std::vector<TWebFile*> TWebTree::SaveChangesToStream(TStream& stream) const
{
    // A capture saves its changes every few files, and few records changed
    // in between: the walk does not build the address of every entry, only
    // of the changed ones, from their node. Records go in the order of
    // WriteWalkRecords.
    std::vector<TWebFile*> changed;
    WriteCounted(stream, [&] {
        std::size_t written = 0;
        auto walk = [&](auto& self, const TWebNode& node) -> void {
            for (const TWebNode::Entry& entry : node.m_entries) {
                if (entry.Node) {
                    self(self, *entry.Node);
                    continue;
                }
                TWebFile* file = entry.File;
                if (!file || file->m_savedMark == file->RecordMark())
                    continue;
                WriteRecord(stream, *file, GetNodeUrl(node) + entry.Key);
                ++written;
                // A file of two addresses is met twice; it is marked once.
                if (changed.empty() || changed.back() != file)
                    changed.push_back(file);
            }
        };
        walk(walk, *m_root);
        return written;
    });
    return changed;
}

void TWebTree::MarkSaved(const std::vector<TWebFile*>& files)
{
    for (TWebFile* file : files)
        file->m_savedMark = file->RecordMark();
}

void TWebTree::MarkAllSaved()
{
    ForEachFile([](TWebFile& file) {
        file.m_savedMark = file.RecordMark();
        return false;
    });
}

} // namespace velbrin
