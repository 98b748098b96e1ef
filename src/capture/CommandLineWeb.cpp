#include "capture/CommandLineWeb.h"

#include "capture/DroppedNames.h"
#include "capture/Web.h"
#include "capture/WebPlace.h"
#include "config/Options.h"
#include "config/Param.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/IniFile.h"
#include "core/SystemFiles.h"
#include "core/CaseFold.h"
#include "core/Url.h"
#include "store/MimeList.h"

namespace velbrin {

namespace {

constexpr const char* kOptionsSection = "OPTIONS";
constexpr const char* kMimesKey = "MIMES";

// The keys of the options section, for saying which were applied (never their
// values: the section may hold a password).
std::string OptionKeysText(const TIniFile& options)
{
    std::string keys;
    for (const std::string& key : options.ReadSection(kOptionsSection))
        keys += (keys.empty() ? "" : ", ") + key;
    return keys.empty() ? std::string("none") : keys;
}

std::string RequeuedNote(int count)
{
    return std::to_string(count) + (count == 1 ? " record" : " records")
           + " of the project file named a file outside the capture directory: "
             "the names were dropped and the links will be captured again";
}

} // namespace

std::string DefaultProjectFile(const std::string& captureDirectory, const std::string& address)
{
    return WithTrailingSlash(captureDirectory) + GetShortName(address) + "/" + std::string(kProjectFileName);
}

std::string StartAddressProblem(const std::string& address)
{
    std::string lower = LowerCase(address);
    if (!lower.starts_with("http://") && !lower.starts_with("https://"))
        return "a start address begins with http:// or https:// : " + address;
    if (GetHost(address).empty())
        return "the address names no host: " + address;
    return {};
}

std::string WebRequestProblem(const TWebRequest& request)
{
    if (!request.Address.empty()) {
        if (std::string problem = StartAddressProblem(request.Address); !problem.empty())
            return problem;
    }
    if (!request.OptionsFile.empty()) {
        if (!FileExists(request.OptionsFile))
            return "no options file " + request.OptionsFile;
        if (std::string problem = FindOptionProblem(TIniFile(request.OptionsFile), kOptionsSection, {kMimesKey});
            !problem.empty())
            return request.OptionsFile + ": " + problem;
    }
    return {};
}

TRequestedWeb OpenRequestedWeb(const TWebRequest& request, TParam& settings, const TMIMELIST& globalMime,
                               const std::string& programDir, const TPump& pump)
{
    TRequestedWeb result;
    if (result.Error = WebRequestProblem(request); !result.Error.empty())
        return result;
    std::unique_ptr<TIniFile> options;
    if (!request.OptionsFile.empty())
        options = std::make_unique<TIniFile>(request.OptionsFile);
    const std::string mimes = options ? options->ReadString(kOptionsSection, kMimesKey, "") : std::string();

    std::string projectFile = request.ProjectFile;
    result.Capture = request.Capture;
    auto web = std::make_unique<TWEB>(settings, programDir);
    bool loaded = false;
    if (projectFile.empty()) {
        // Each site has a Web of its own: directories holding the Web of
        // another address are passed over. The Web of this address, when
        // one is found, stays loaded.
        result.Capture = true;
        TWebPlace place =
            FindWebPlace(ExpandFileName(settings.Path), request.Address, [&](const std::string& file) {
                web = std::make_unique<TWEB>(settings, programDir);
                return web->LoadFromFile(file, pump) ? web->Url : std::string();
            });
        projectFile = place.ProjectFile;
        loaded = place.Exists;
        if (!loaded)
            web = std::make_unique<TWEB>(settings, programDir);
        for (const std::string& passed : place.Passed)
            result.Notes.push_back(passed + ": the Web of " + request.Address + " is in "
                                   + ExtractFilePath(projectFile));
    }
    projectFile = ExpandFileName(projectFile);
    result.ProjectFile = projectFile;

    if (!loaded && FileExists(projectFile)) {
        if (!web->LoadFromFile(projectFile, pump)) {
            result.Error = "cannot load the project file " + projectFile;
            return result;
        }
        loaded = true;
    }

    if (loaded) {
        if (int requeued = RequeueRecordsWithoutFile(*web); requeued > 0)
            result.Notes.push_back(RequeuedNote(requeued));
        if (options) {
            if (std::string error = web->MimeList.SetCmdLine(mimes); !error.empty()) {
                result.Error = request.OptionsFile + ": " + error;
                return result;
            }
            web->Options.MergeOptions(*options, kOptionsSection);
            try {
                web->SaveToFile(projectFile, pump);
            } catch (const EVelbrinError& e) {
                result.Error = e.what();
                return result;
            }
        }
    } else if (!request.Address.empty()) {
        // The MIME types are checked before anything is created: a MIMES
        // list that names nothing leaves no directory behind.
        TMIMELIST webMime(globalMime);
        if (options) {
            if (std::string error = webMime.SetCmdLine(mimes); !error.empty()) {
                result.Error = request.OptionsFile + ": " + error;
                return result;
            }
        }
        if (!web->Init(request.Address, ExtractFilePath(projectFile), webMime)) {
            result.Error = "cannot create the capture directory " + ExtractFilePath(projectFile);
            return result;
        }
        if (options)
            web->Options.MergeOptions(*options, kOptionsSection);
        settings.Url = web->Url;
        try {
            web->SaveToFile(projectFile, pump);
        } catch (const EVelbrinError& e) {
            result.Error = e.what();
            return result;
        }
        result.Capture = true;
        result.Created = true;
    } else {
        result.Error = "no project file " + projectFile;
        return result;
    }
    if (options)
        result.OptionsApplied =
            "Options of " + request.OptionsFile + " applied to the Web: " + OptionKeysText(*options);
    result.Web = std::move(web);
    return result;
}

} // namespace velbrin
