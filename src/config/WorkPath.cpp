#include "config/WorkPath.h"
#include "core/SystemFiles.h"

#include "config/XdgDirs.h"
#include "core/Files.h"
#include "core/IniFile.h"

namespace velbrin {

namespace {

constexpr const char* kProfileSection = "VELBRIN";
constexpr const char* kProfileKey = "WORKPATH";

std::string& TheWorkPath()
{
    static std::string path;
    return path;
}

// Trailing "/" reduced to exactly one.
std::string OneSlash(std::string dir)
{
    CheckDirectory(dir);
    return dir;
}

} // namespace

const std::string& WorkPath() { return TheWorkPath(); }

void SetWorkPath(std::string path) { TheWorkPath() = std::move(path); }

std::string ProfileFileName()
{
    std::string config = ConfigHome();
    return config.empty() ? std::string() : config + "velbrin/profile.ini";
}

std::string ReadProfileWorkPath()
{
    std::string profile = ProfileFileName();
    if (profile.empty())
        return {};
    std::string path = TIniFile(profile).ReadString(kProfileSection, kProfileKey, "");
    if (path.empty() || path.front() != '/')
        return {};
    return OneSlash(std::move(path));
}

void WriteProfileWorkPath(const std::string& path)
{
    std::string profile = ProfileFileName();
    if (profile.empty())
        throw EInOutError("Cannot write the profile: no home directory is known.");
    std::string dir = ExtractFilePath(profile);
    if (!ForceDirectories(dir))
        throw EInOutError("Cannot create directory \"" + dir + "\".");
    TIniFile ini(profile);
    ini.WriteString(kProfileSection, kProfileKey, path);
    ini.UpdateFile();
}

std::string SuggestedWorkPath()
{
    std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + "Webs/";
}

std::string AdoptWorkPath(const std::string& directory)
{
    if (directory.empty())
        throw EWorkPathError("No working path was chosen.");
    std::string path = OneSlash(ExpandFileName(directory));
    if (!ForceDirectories(path))
        throw EInOutError("Cannot create directory \"" + path + "\".");
    WriteProfileWorkPath(path);
    SetWorkPath(path);
    return path;
}

std::string EstablishWorkPath(const TWorkPathChooser& chooser)
{
    std::string known = ReadProfileWorkPath();
    if (!known.empty() && FileExists(known + std::string(kSettingsFileName))) {
        SetWorkPath(known);
        return known;
    }
    std::optional<std::string> chosen;
    if (chooser)
        chosen = chooser(SuggestedWorkPath());
    if (!chosen || chosen->empty())
        throw EWorkPathError("No working path was chosen.");
    return AdoptWorkPath(*chosen);
}

TWorkPathChooser CommandLineWorkPathChooser(std::string requested, TTell tell)
{
    return [requested = std::move(requested), tell = std::move(tell)](const std::string& suggestion)
               -> std::optional<std::string> {
        std::string dir = requested.empty() ? suggestion : requested;
        if (dir.empty())
            return std::nullopt;
        dir = OneSlash(ExpandFileName(dir));
        if (!DirectoryExists(dir)) {
            if (!ForceDirectories(dir))
                throw EInOutError("Cannot create directory \"" + dir + "\".");
            if (tell)
                tell("Created the working directory " + dir);
        }
        return dir;
    };
}

} // namespace velbrin
