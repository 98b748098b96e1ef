#include "capture/WebPlace.h"

#include "core/Files.h"
#include "core/SystemFiles.h"
#include "core/Url.h"

#include <filesystem>

namespace velbrin {

namespace {

// A directory that is missing, or holds nothing at all.
bool IsFree(const std::string& directory)
{
    std::error_code error;
    if (!std::filesystem::exists(directory, error))
        return !error;
    return std::filesystem::is_directory(directory, error) && std::filesystem::is_empty(directory, error) && !error;
}

} // namespace

TWebPlace FindWebPlace(const std::string& captureDirectory, const std::string& address,
                       const std::function<std::string(const std::string& projectFile)>& startAddressOf)
{
    const std::string base = GetShortName(address);
    const std::string root = WithTrailingSlash(captureDirectory);
    TWebPlace place;
    // The numbers run out only when every name is taken; the last one is then
    // used as it is, and loading or making the Web there reports what is wrong.
    constexpr int kLastNumber = 99999;
    for (int n = 0; n <= kLastNumber; ++n) {
        const std::string name = n == 0 ? base : NumberedName(base, n);
        const std::string directory = root + name + "/";
        place.ProjectFile = directory + std::string(kProjectFileName);
        if (FileExists(place.ProjectFile)) {
            const std::string start = startAddressOf(place.ProjectFile);
            if (!start.empty() && SameAddress(start, ResolveUrl(address, ""))) {
                place.Exists = true;
                return place;
            }
            place.Passed.push_back(start.empty() ? directory + " holds a project file that does not load"
                                                 : directory + " holds the Web of " + start);
        } else if (IsFree(directory)) {
            return place;
        } else {
            place.Passed.push_back(directory + " holds other files");
        }
    }
    return place;
}

} // namespace velbrin
