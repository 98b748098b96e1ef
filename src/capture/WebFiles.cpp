#include "capture/Web.h"

#include "core/Errors.h"
#include "core/Files.h"
#include "store/LocalName.h"

#include <filesystem>
#include <unordered_set>

namespace velbrin {

namespace {

bool IsStoredName(std::string_view name)
{
    return !name.empty() && IsSafeLocalName(name);
}

bool IsCaptured(const TWebFile& record)
{
    return record.State == StateCapturedPage || record.State == StateCapturedFile;
}

bool SameDirectory(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

} // namespace

void TWEB::CopyReportPages()
{
    if (Path.empty() || m_programDir.empty())
        return;
    for (std::string_view page : {kNotFoundFileName, kBadLinkFileName}) {
        // A Web works without them: a page that cannot be copied is left out.
        try {
            CopyFile(m_programDir + std::string(page), Path + std::string(page));
        } catch (const EVelbrinError&) {
        }
    }
}

bool TWEB::IsProjectFile(const std::string& fileName) const
{
    return !FileName.empty() && ExpandFileName(fileName) == ExpandFileName(FileName);
}

void TWEB::CleanExploreProc(const TWebFile& record)
{
    const std::string& name = record.GetFileName();
    if (!IsStoredName(name))
        return;
    std::string file = Path + name;
    if (!IsProjectFile(file))
        DeleteFile(file);
}

void TWEB::Clean()
{
    if (!Path.empty()) {
        Tree.ForEachFile([this](TWebFile& record) {
            CleanExploreProc(record);
            return false;
        });
        MapList.DeleteMapFiles(Path);
    }
    Forget();
    MapList.Clear();
    ClearCount();
    TotalSize = 0;
    SetInitialUrl();
    CopyReportPages();
    CloseLog();
    if (!Path.empty())
        DeleteFile(Path + std::string(kLogFileName));
    TellLinksChanged();
}

std::int32_t TWEB::GetFileCount()
{
    std::unordered_set<const TWebFile*> counted;
    if (!Path.empty()) {
        Tree.ForEachFile([&](TWebFile& record) {
            if (IsCaptured(record) && IsStoredName(record.GetFileName()) && FileExists(Path + record.GetFileName()))
                counted.insert(&record);
            return false;
        });
    }
    FileCount = static_cast<std::int32_t>(counted.size());
    return FileCount;
}

std::int64_t TWEB::FreeDiskSpace() const { return DiskFreeSpace(Path); }

bool TWEB::WebFileCopy(const std::string& name, std::string* error)
{
    try {
        if (CopyFile(Path + name, CopyPath + name))
            return true;
        if (error && error->empty())
            *error = "Cannot copy \"" + Path + name + "\" to \"" + CopyPath + "\".";
    } catch (const EVelbrinError& failure) {
        if (error && error->empty())
            *error = failure.what();
    }
    return false;
}

bool TWEB::WebCopy(const std::string& destination, bool move, const TCopyProgress& progress, std::string* error)
{
    std::string failure;
    MoveFlag = move;
    std::string target = ExpandFileName(destination);
    CopyPath = ExtractFilePath(target);
    if (target.empty() || CopyPath.empty() || ExtractFileName(target).empty() || !ForceDirectories(CopyPath)) {
        if (error)
            *error = "Cannot create directory \"" + CopyPath + "\".";
        return false;
    }

    // The captured files (each once, also when entered under two addresses)
    // and the report pages; nothing to copy when the Web stays where it is.
    std::vector<std::string> names;
    if (!Path.empty() && !SameDirectory(Path, CopyPath)) {
        std::unordered_set<std::string> listed;
        auto list = [&](const std::string& name) {
            if (IsStoredName(name) && FileExists(Path + name) && listed.insert(name).second)
                names.push_back(name);
        };
        Tree.ForEachFile([&](TWebFile& record) {
            if (IsCaptured(record))
                list(record.GetFileName());
            return false;
        });
        list(std::string(kBadLinkFileName));
        list(std::string(kNotFoundFileName));
    }

    const int total = static_cast<int>(names.size());
    int done = 0;
    std::vector<std::string> copied;
    for (const std::string& name : names) {
        if (progress)
            progress(name, done, total);
        if (WebFileCopy(name, &failure))
            copied.push_back(name);
        ++done;
    }
    if (progress)
        progress(std::string(), done, total);

    std::string oldPath = Path;
    SetPath(CopyPath);
    try {
        SaveToFile(target);
    } catch (const EVelbrinError& saveFailure) {
        Path = oldPath;
        if (error)
            *error = saveFailure.what();
        return false;
    }
    // The sources go only once the Web is safe in its new place.
    if (move) {
        for (const std::string& name : copied)
            DeleteFile(oldPath + name);
    }
    if (error)
        *error = failure;
    return failure.empty();
}

} // namespace velbrin
