#include "capture/CommandLineWeb.h"

#include "capture/Web.h"
#include "config/Param.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/IniFile.h"
#include "core/SystemFiles.h"
#include "core/CaseFold.h"
#include "core/Url.h"
#include "store/MimeList.h"

namespace velbrin {

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

TRequestedWeb OpenRequestedWeb(const TWebRequest& request, TParam& settings, const TMIMELIST& globalMime,
                               const std::string& programDir, const TPump& pump)
{
    TRequestedWeb result;
    std::string projectFile = request.ProjectFile;
    result.Capture = request.Capture;
    if (projectFile.empty()) {
        projectFile = DefaultProjectFile(settings.Path, request.Address);
        result.Capture = true;
    }
    projectFile = ExpandFileName(projectFile);
    result.ProjectFile = projectFile;

    auto web = std::make_unique<TWEB>(settings, programDir);
    if (FileExists(projectFile)) {
        if (!web->LoadFromFile(projectFile, pump)) {
            result.Error = "cannot load the project file " + projectFile;
            return result;
        }
        result.Web = std::move(web);
        return result;
    }
    if (request.Address.empty()) {
        result.Error = "no project file " + projectFile;
        return result;
    }

    std::unique_ptr<TIniFile> options;
    TMIMELIST webMime(globalMime);
    if (!request.OptionsFile.empty()) {
        if (!FileExists(request.OptionsFile)) {
            result.Error = "no options file " + request.OptionsFile;
            return result;
        }
        options = std::make_unique<TIniFile>(request.OptionsFile);
        if (std::string error = webMime.SetCmdLine(options->ReadString("OPTIONS", "MIMES", "")); !error.empty()) {
            result.Error = request.OptionsFile + ": " + error;
            return result;
        }
    }
    if (!web->Init(request.Address, ExtractFilePath(projectFile), webMime)) {
        result.Error = "cannot create the capture directory " + ExtractFilePath(projectFile);
        return result;
    }
    if (options)
        web->Options.MergeOptions(*options, "OPTIONS");
    settings.Url = web->Url;
    try {
        web->SaveToFile(projectFile, pump);
    } catch (const EVelbrinError& e) {
        result.Error = e.what();
        return result;
    }
    result.Capture = true;
    result.Created = true;
    result.Web = std::move(web);
    return result;
}

} // namespace velbrin
