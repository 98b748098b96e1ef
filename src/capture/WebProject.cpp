#include "capture/Web.h"

#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/StreamPrimitives.h"

#include "core/CaseFold.h"
#include "core/Url.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <unordered_set>

namespace velbrin {

namespace {

// The project file holds the user name and password in plain text.
constexpr unsigned kProjectPermissions = 0600;

// A project of the largest tree, MIME table and map list stays far below this;
// a larger file is not read into memory.
constexpr std::int64_t kMaxProjectFileSize = 256 * 1024 * 1024;

// Stored dates are day ordinals from 1 January of year 1. Ordinals outside
// 0 .. 2 x the offset (beyond the year 3700) are damage and read as "no date";
// within it, converting back and forth changes no stored value after the first
// save.
constexpr double kMaxFileDays = 2 * kFileDayOffset;

void WriteCount(TStream& stream, std::uint16_t count)
{
    WriteSmallInt(stream, std::min<std::uint16_t>(count, kMaxWebCount));
}

std::uint16_t ReadCount(TStream& stream)
{
    return static_cast<std::uint16_t>(std::max<std::int16_t>(ReadSmallInt(stream), 0));
}

void WriteOption(TStream& stream, std::int32_t value) { WriteSmallInt(stream, ClampOption(value)); }

std::int32_t ReadOption(TStream& stream) { return ClampOption(ReadSmallInt(stream)); }

void WriteDate(TStream& stream, TDateTime date) { WriteDouble(stream, DateToFileDays(date)); }

TDateTime ReadDate(TStream& stream)
{
    double days = ReadDouble(stream);
    if (!std::isfinite(days) || days < 0 || days > kMaxFileDays)
        return 0;
    return FileDaysToDate(days);
}

} // namespace

void TWEB::WriteProject(TStream& stream, const TPump& pump) const
{
    WriteProjectHead(stream);
    Tree.SaveToStream(stream, pump);
    Tree.SaveAliasesToStream(stream);
}

std::string TWEB::ProjectHead() const
{
    TMemoryStreamEx head;
    WriteProjectHead(head);
    return head.ToString();
}

void TWEB::WriteProjectHead(TStream& stream) const
{
    WriteShortStr(stream, kProjectSignature);
    WriteSmallInt(stream, kProjectVersion);
    WriteShortStr(stream, Url);
    WriteShortStr(stream, Path);
    WriteShortStr(stream, Title);
    WriteCount(stream, CapturedCount);
    WriteCount(stream, FilteredCount);
    WriteCount(stream, NotFoundCount);
    WriteCount(stream, ErrorCount);
    WriteBool(stream, Options.ExternalPathLimit);
    WriteBool(stream, Options.InternalPathLimit);
    WriteBool(stream, Options.RefLimit);
    WriteOption(stream, Options.InternalLinkDepth);
    WriteOption(stream, Options.ExternalWebDepth);
    WriteOption(stream, Options.ExternalLinkDepth);
    WriteOption(stream, Options.MaxFileCount);
    WriteOption(stream, Options.MaxFileSize);
    WriteOption(stream, Options.MinFileSize);
    WriteOption(stream, Options.MaxDiskSize);
    WriteOption(stream, Options.MaxTime);
    WriteBool(stream, Options.RealLinkFlag);
    WriteBool(stream, RewriteFlag);
    WriteBool(stream, Options.SuppressLinkFlag);
    WriteBool(stream, Options.ListGifFlag);
    WriteBool(stream, Options.ListJpegFlag);
    WriteBool(stream, Options.ListAviFlag);
    WriteBool(stream, Options.ListWavFlag);
    WriteBool(stream, Options.ResolvedUrlFlag);
    WriteBool(stream, Options.ErrorUrlFlag);
    WriteBool(stream, Options.TodoUrlFlag);
    WriteBool(stream, Options.FilteredUrlFlag);
    WriteBool(stream, DisplayOnlineImage);
    WriteBool(stream, Options.StretchImageFlag);
    WriteShortStr(stream, Options.Username);
    WriteShortStr(stream, Options.Password);
    WriteInt(stream, TotalSize);
    WriteDate(stream, CaptureDate);
    WriteBool(stream, Options.BackgroundOnlyFlag);
    MimeList.SaveToStream(stream);
    MapList.SaveToStream(stream);
    WriteDate(stream, LastCaptureInfo.StartDate);
    WriteDate(stream, LastCaptureInfo.EndDate);
    WriteInt(stream, LastCaptureInfo.Reserved);
    WriteInt(stream, LastCaptureInfo.ReceivedKb);
    WriteInt(stream, LastCaptureInfo.SessionCaptured);
    WriteInt(stream, LastCaptureInfo.SessionFiltered);
    WriteInt(stream, LastCaptureInfo.SessionNotFound);
    WriteInt(stream, LastCaptureInfo.SessionErrors);
}

void TWEB::SaveToFile(const std::string& fileName, const TPump& pump)
{
    if (fileName.empty())
        throw EInOutError("Cannot create a project file without a name.");
    // Built whole in memory first: nothing reaches the disk unless all of it
    // could be written.
    TMemoryStreamEx bytes;
    WriteProject(bytes, pump);
    TAtomicFileStream file(fileName, kProjectPermissions);
    file.WriteBuffer(bytes.Data(), static_cast<std::size_t>(bytes.Size()));
    file.Commit();
    FileName = fileName;
    // The file holds everything now: its journal starts again.
    m_journal.Restart(fileName, JournalBaseOf(bytes.View()));
    Tree.MarkAllSaved();
    m_savedHead = ProjectHead();
}

void TWEB::SaveProgress(bool onlyJournal)
{
    if (FileName.empty())
        return;
    if (!m_journal.Follows(FileName)) {
        if (!onlyJournal)
            SaveToFile(FileName);
        return;
    }
    // An entry: a flag, the project's head when it changed (its length, then
    // its bytes), then the changed records in the tree's layout and the
    // tree's shared addresses.
    TMemoryStreamEx entry;
    std::string head = ProjectHead();
    const bool headChanged = head != m_savedHead;
    WriteBool(entry, headChanged);
    if (headChanged) {
        WriteInt(entry, static_cast<std::int32_t>(head.size()));
        entry.WriteBuffer(head.data(), head.size());
    }
    std::vector<TWebFile*> changed = Tree.SaveChangesToStream(entry);
    if (!headChanged && changed.empty())
        return;
    // The changed records name each address of a file on its own: which of
    // them share a file follows, as in the project file.
    Tree.SaveAliasesToStream(entry);
    m_journal.Append(entry.View());
    TWebTree::MarkSaved(changed);
    m_savedHead = std::move(head);
}

bool TWEB::ApplyJournal(std::string_view projectBytes, const TPump& pump)
{
    std::vector<std::string> entries = m_journal.Recover(FileName, JournalBaseOf(projectBytes));
    for (const std::string& bytes : entries) {
        // Each entry passed its checksum: it is what SaveProgress wrote.
        TMemoryStreamEx entry(bytes);
        if (ReadBool(entry)) {
            std::int32_t length = ReadInt(entry);
            if (length < 0 || length > entry.Remaining())
                throw EStreamError("journal entry cut short");
            TMemoryStreamEx head(std::string_view(bytes).substr(static_cast<std::size_t>(entry.Position()),
                                                               static_cast<std::size_t>(length)));
            if (ReadProjectHead(head) < 0)
                throw EStreamError("journal entry of another format");
            entry.Seek(length, SeekOrigin::Current);
        }
        if (!Tree.LoadFromStream(entry, kProjectVersion, pump))
            throw EStreamError("journal entry cut short");
        Tree.LoadAliasesFromStream(entry);
    }
    return !entries.empty();
}

bool TWEB::LoadFromFile(const std::string& fileName, const TPump& pump)
{
    if (!FileExists(fileName) || GetFileSize(fileName) > kMaxProjectFileSize)
        return false;
    TMemoryStreamEx bytes;
    try {
        bytes.LoadFromFile(fileName);
    } catch (const EVelbrinError&) {
        return false;
    }
    Forget();
    MapList.Clear();
    ResetFields();
    FileName = fileName;
    bool loaded = false;
    try {
        loaded = ReadProject(bytes, pump);
    } catch (const EStreamError&) {
        loaded = false;
    }
    if (!loaded) {
        TellLinksChanged();
        return false;
    }
    // The progress of a capture that ended without its last save. A journal
    // that cannot be applied leaves the Web as far as it went.
    bool progress = false;
    try {
        progress = ApplyJournal(bytes.View(), pump);
    } catch (const EStreamError&) {
        progress = true;
    }
    m_savedHead = ProjectHead();
    DropTemporaryFiles();
    if (progress && m_journal.StartedAt() > 0)
        DropUnkeptFiles(m_journal.StartedAt());
    if (progress) {
        // Folded into the project file; when that cannot be written, the
        // journal stays and is read again next time.
        try {
            SaveToFile(FileName, pump);
        } catch (const EVelbrinError&) {
        }
    }
    TellLinksChanged();
    return true;
}

bool TWEB::ResolvePending() const
{
    return !FileName.empty() && FileExists(FileName + std::string(kProjectUnresolvedSuffix));
}

void TWEB::SetResolvePending(bool pending)
{
    if (FileName.empty() || pending == ResolvePending())
        return;
    const std::string marker = FileName + std::string(kProjectUnresolvedSuffix);
    try {
        if (pending)
            TFileStream(marker, TFileStream::Mode::Create).Close();
        else
            DeleteFile(marker);
    } catch (const EVelbrinError&) {
    }
}

void TWEB::DropTemporaryFiles()
{
    // A file being written whole, or the scratch file of a page being
    // rewritten, when the program was killed: its target is whole either
    // way. A pass killed after the journal was folded in leaves no journal.
    std::error_code error;
    for (std::filesystem::directory_iterator it(Path, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (IsAtomicTempName(name) && it->is_regular_file(ignored))
            DeleteFile(Path + name);
    }
}

void TWEB::DropUnkeptFiles(std::int64_t since)
{
    namespace fs = std::filesystem;
    std::unordered_set<std::string, NoCaseHash, NoCaseEqual> keep;
    Tree.ForEachFile([&](TWebFile& file) {
        if (file.State == StateCapturedPage || file.State == StateCapturedFile)
            keep.insert(file.GetFileName());
        return false;
    });
    for (std::size_t i = 0; i < MapList.Count(); ++i) {
        keep.insert(MapList.Item(i).ImageFile);
        keep.insert(MapList.Item(i).MapFile);
    }
    keep.insert(ExtractFileName(FileName));
    keep.insert(ExtractFileName(TWebJournal::FileNameFor(FileName)));
    keep.insert(ExtractFileName(FileName + std::string(kProjectUnresolvedSuffix)));
    // A second of slack for file systems that keep coarse times.
    const auto from = std::chrono::system_clock::time_point(std::chrono::seconds(since - 1));
    std::error_code error;
    for (fs::directory_iterator it(Path, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored))
            continue;
        const std::string name = it->path().filename().string();
        // Names of the program's own files (index pages, style sheet) start
        // with "_" or "."; captured names never do.
        if (name.starts_with('_') || name.starts_with('.') || IsReservedLocalName(name) || keep.contains(name))
            continue;
        auto written = it->last_write_time(ignored);
        if (ignored || std::chrono::file_clock::to_sys(written) < from)
            continue;
        DeleteFile(Path + name);
    }
}

bool TWEB::ReadProject(TStream& stream, const TPump& pump)
{
    int version = ReadProjectHead(stream);
    if (version < 0)
        return false;
    if (!Tree.LoadFromStream(stream, version, pump))
        return false;
    // Redirected addresses share their target's record again, as they did
    // when the Web was written.
    Tree.LoadAliasesFromStream(stream);
    return true;
}

int TWEB::ReadProjectHead(TStream& stream)
{
    int version = 0;
    std::string signature = ReadShortStr(stream);
    if (signature == kProjectSignature) {
        version = ReadSmallInt(stream);
        if (version < 0 || version > kProjectVersion)
            return -1;
    } else if (signature != kOldProjectSignature) {
        return -1;
    }

    SetUrl(ReadShortStr(stream));
    // The stored directory is where the Web was: it captures where its
    // project file is now.
    ReadShortStr(stream);
    SetPath(ExtractFilePath(ExpandFileName(FileName)));
    Title = ReadShortStr(stream);

    // Fields of old versions that are no longer used.
    if (version > 8 && version < 13)
        ReadShortStr(stream);
    if (version > 8 && version < 12) {
        ReadShortStr(stream);
        ReadShortStr(stream);
    }
    if (version < 12)
        ReadShortStr(stream);
    if (version == 12) {
        ReadByte(stream);
        ReadByte(stream);
        ReadByte(stream);
    }
    if (version < 13)
        ReadSmallInt(stream);

    CapturedCount = ReadCount(stream);
    FilteredCount = ReadCount(stream);
    NotFoundCount = ReadCount(stream);
    ErrorCount = ReadCount(stream);
    if (version >= 1) {
        Options.ExternalPathLimit = ReadBool(stream);
        Options.InternalPathLimit = ReadBool(stream);
    }
    if (version >= 2)
        Options.RefLimit = ReadBool(stream);
    if (version >= 1)
        Options.InternalLinkDepth = ReadOption(stream);
    if (version >= 7)
        Options.ExternalWebDepth = ReadOption(stream);
    if (version >= 8)
        Options.ExternalLinkDepth = ReadOption(stream);
    if (version >= 1) {
        Options.MaxFileCount = ReadOption(stream);
        Options.MaxFileSize = ReadOption(stream);
        Options.MinFileSize = ReadOption(stream);
        Options.MaxDiskSize = ReadOption(stream);
        Options.MaxTime = ReadOption(stream);
    }
    if (version >= 3) {
        Options.RealLinkFlag = ReadBool(stream);
        RewriteFlag = ReadBool(stream);
        Options.SuppressLinkFlag = ReadBool(stream);
    }
    if (version >= 4)
        Options.ListGifFlag = ReadBool(stream);
    if (version >= 5)
        Options.ListJpegFlag = ReadBool(stream);
    if (version >= 18) {
        Options.ListAviFlag = ReadBool(stream);
        Options.ListWavFlag = ReadBool(stream);
        Options.ResolvedUrlFlag = ReadBool(stream);
        Options.ErrorUrlFlag = ReadBool(stream);
        Options.TodoUrlFlag = ReadBool(stream);
        Options.FilteredUrlFlag = ReadBool(stream);
    }
    if (version >= 10)
        DisplayOnlineImage = ReadBool(stream);
    if (version >= 11)
        Options.StretchImageFlag = ReadBool(stream);
    if (version >= 21) {
        Options.Username = ReadShortStr(stream);
        Options.Password = ReadShortStr(stream);
    }
    if (version >= 6)
        TotalSize = std::max(ReadInt(stream), 0);
    if (version >= 14)
        CaptureDate = ReadDate(stream);
    if (version >= 15)
        Options.BackgroundOnlyFlag = ReadBool(stream);

    if (!MimeList.LoadFromStream(stream))
        return -1;
    if (version >= 17 && !MapList.LoadFromStream(stream, version))
        return -1;
    if (version >= 19) {
        LastCaptureInfo.StartDate = ReadDate(stream);
        LastCaptureInfo.EndDate = ReadDate(stream);
        LastCaptureInfo.Reserved = ReadInt(stream);
        LastCaptureInfo.ReceivedKb = ReadInt(stream);
        LastCaptureInfo.SessionCaptured = ReadInt(stream);
        LastCaptureInfo.SessionFiltered = ReadInt(stream);
        LastCaptureInfo.SessionNotFound = ReadInt(stream);
        LastCaptureInfo.SessionErrors = ReadInt(stream);
    }
    return version;
}

} // namespace velbrin
