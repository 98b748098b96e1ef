#include "store/MimeDefFile.h"

#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/MemoryStream.h"

namespace velbrin {

namespace {

std::string MimeDefPath(const std::string& directory)
{
    return WithTrailingSlash(directory) + std::string(kMimeDefFileName);
}

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

MimeDefStatus LoadMimeDef(TMIMELIST& table, const std::string& directory, std::string* error)
{
    std::string path = MimeDefPath(directory);
    if (FileExists(path)) {
        try {
            TFileStream file(path, TFileStream::Mode::OpenRead);
            if (table.LoadFromStream(file))
                return MimeDefStatus::Loaded;
            SetError(error, path + " is damaged; the default MIME types are used");
        } catch (const EVelbrinError& failure) {
            SetError(error, failure.what());
        }
        table.SetToDefault();
        return MimeDefStatus::DefaultsUsed;
    }
    table.SetToDefault();
    try {
        SaveMimeDef(table, directory);
    } catch (const EVelbrinError& failure) {
        SetError(error, failure.what());
        return MimeDefStatus::DefaultsUsed;
    }
    return MimeDefStatus::Created;
}

void SaveMimeDef(const TMIMELIST& table, const std::string& directory)
{
    TMemoryStreamEx bytes;
    table.SaveToStream(bytes);
    WriteWholeFile(MimeDefPath(directory), bytes.View());
}

int MergeMimeDef(TMIMELIST& table, const TMIMELIST& learnt, const std::string& directory)
{
    int added = table.AddMimeList(learnt);
    if (added > 0)
        SaveMimeDef(table, directory);
    return added;
}

} // namespace velbrin
