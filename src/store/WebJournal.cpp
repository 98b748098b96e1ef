#include "store/WebJournal.h"

#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/StreamPrimitives.h"
#include "core/SystemFiles.h"

#include <chrono>
#include <filesystem>
#include <system_error>

namespace velbrin {

namespace {

// The journal holds the project's head, password included.
constexpr unsigned kJournalPermissions = 0600;

// Length and checksum before the bytes of every entry.
constexpr std::int64_t kEntryFrame = 8;

std::uint64_t Fnv64(std::string_view bytes)
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

std::uint32_t Checksum(std::string_view bytes)
{
    std::uint32_t hash = 0x811C9DC5U;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x01000193U;
    }
    return hash;
}

void WriteInt64(TStream& stream, std::uint64_t value)
{
    WriteInt(stream, static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    WriteInt(stream, static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32)));
}

std::uint64_t ReadInt64(TStream& stream)
{
    std::uint64_t low = static_cast<std::uint32_t>(ReadInt(stream));
    std::uint64_t high = static_cast<std::uint32_t>(ReadInt(stream));
    return low | high << 32;
}

std::string Heading(const TJournalBase& base, std::int64_t started)
{
    TMemoryStreamEx heading;
    WriteShortStr(heading, kProjectJournalSignature);
    WriteWord(heading, static_cast<std::uint16_t>(kProjectJournalVersion));
    WriteInt64(heading, base.Size);
    WriteInt64(heading, base.Hash);
    WriteInt64(heading, static_cast<std::uint64_t>(started));
    return heading.ToString();
}

void RemoveJournal(const std::string& fileName)
{
    if (FileExists(fileName))
        DeleteFile(fileName);
}

} // namespace

TJournalBase JournalBaseOf(std::string_view projectBytes)
{
    return {projectBytes.size(), Fnv64(projectBytes)};
}

std::string TWebJournal::FileNameFor(std::string_view projectFile)
{
    return std::string(projectFile) + std::string(kProjectJournalSuffix);
}

void TWebJournal::Restart(const std::string& projectFile, const TJournalBase& base)
{
    m_projectFile = projectFile;
    m_fileName = FileNameFor(projectFile);
    m_base = base;
    m_attached = true;
    m_size = 0;
    // A journal that stays behind names other bytes and is never applied.
    RemoveJournal(m_fileName);
}

void TWebJournal::Detach()
{
    m_attached = false;
    m_size = 0;
}

bool TWebJournal::Follows(const std::string& projectFile) const
{
    // A project file removed or written by other means since is not
    // followed: appending would extend bytes that are not there.
    return m_attached && m_projectFile == projectFile
           && GetFileSize(projectFile) == static_cast<std::int64_t>(m_base.Size);
}

void TWebJournal::Append(std::string_view entry)
{
    if (!m_attached)
        throw EInOutError("The journal follows no project file.");
    TMemoryStreamEx bytes;
    std::int64_t started = m_started;
    if (m_size == 0) {
        started = std::chrono::duration_cast<std::chrono::seconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
        std::string heading = Heading(m_base, started);
        bytes.WriteBuffer(heading.data(), heading.size());
    }
    WriteInt(bytes, static_cast<std::int32_t>(entry.size()));
    WriteInt(bytes, static_cast<std::int32_t>(Checksum(entry)));
    bytes.WriteBuffer(entry.data(), entry.size());

    if (m_size == 0) {
        TFileStream file(m_fileName, TFileStream::Mode::Create, kJournalPermissions);
        file.WriteBuffer(bytes.Data(), static_cast<std::size_t>(bytes.Size()));
        file.Close();
        NoteFileCreated(m_fileName);
    } else {
        // Whatever a failed write left after the last whole entry goes.
        std::error_code error;
        auto size = std::filesystem::file_size(m_fileName, error);
        if (!error && size != static_cast<std::uintmax_t>(m_size))
            std::filesystem::resize_file(m_fileName, static_cast<std::uintmax_t>(m_size), error);
        if (error)
            throw EInOutError(m_fileName + ": " + error.message(), error.value());
        TFileStream file(m_fileName, TFileStream::Mode::OpenReadWrite);
        file.Seek(m_size, SeekOrigin::Begin);
        file.WriteBuffer(bytes.Data(), static_cast<std::size_t>(bytes.Size()));
        file.Close();
    }
    m_size += bytes.Size();
    m_started = started;
}

std::vector<std::string> TWebJournal::Recover(const std::string& projectFile, const TJournalBase& base)
{
    m_projectFile = projectFile;
    m_fileName = FileNameFor(projectFile);
    m_base = base;
    m_attached = true;
    m_size = 0;

    std::vector<std::string> entries;
    if (!FileExists(m_fileName))
        return entries;
    std::string content;
    try {
        content = ReadWholeFile(m_fileName);
    } catch (const EVelbrinError&) {
        // Unreadable: the next Append starts a new journal.
        return entries;
    }
    TMemoryStreamEx stream(content);
    try {
        if (ReadShortStr(stream) != kProjectJournalSignature || ReadWord(stream) != kProjectJournalVersion)
            throw EStreamError("not a journal");
        TJournalBase named;
        named.Size = ReadInt64(stream);
        named.Hash = ReadInt64(stream);
        m_started = static_cast<std::int64_t>(ReadInt64(stream));
        if (named != base)
            throw EStreamError("the journal of other project bytes");
    } catch (const EStreamError&) {
        RemoveJournal(m_fileName);
        return entries;
    }
    m_size = stream.Position();
    while (stream.Remaining() >= kEntryFrame) {
        auto length = static_cast<std::uint32_t>(ReadInt(stream));
        auto checksum = static_cast<std::uint32_t>(ReadInt(stream));
        if (length > stream.Remaining())
            break;
        std::string_view bytes(content.data() + stream.Position(), length);
        if (Checksum(bytes) != checksum)
            break;
        entries.emplace_back(bytes);
        stream.Seek(length, SeekOrigin::Current);
        m_size = stream.Position();
    }
    return entries;
}

} // namespace velbrin
