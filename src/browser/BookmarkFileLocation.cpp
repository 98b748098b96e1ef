#include "browser/BookmarkFileLocation.h"

#include "config/XdgDirs.h"
#include "core/CaseFold.h"
#include "core/Files.h"
#include "core/Text.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace velbrin {

namespace {

// The lines of a small text file, without their line ends; none when it cannot be read.
std::vector<std::string> ReadLines(const std::string& fileName)
{
    std::vector<std::string> lines;
    std::ifstream in(fileName, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

struct TProfileSection {
    std::string Name;
    std::string Path;
    bool IsRelative = true;
    bool Default = false;
    std::string InstallDefault; // Default= of an [Install...] section
};

std::vector<TProfileSection> ReadProfilesIni(const std::string& fileName)
{
    std::vector<TProfileSection> sections;
    for (const std::string& raw : ReadLines(fileName)) {
        const std::string line = TrimBlanks(raw);
        if (line.starts_with('[') && line.ends_with(']')) {
            sections.push_back({line.substr(1, line.size() - 2), {}, true, false, {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (sections.empty() || equals == std::string::npos)
            continue;
        const std::string key = TrimBlanks(line.substr(0, equals));
        const std::string value = TrimBlanks(line.substr(equals + 1));
        TProfileSection& section = sections.back();
        const bool install = StartsWithNoCase(section.Name, "Install");
        if (SameText(key, "Path"))
            section.Path = value;
        else if (SameText(key, "IsRelative"))
            section.IsRelative = value != "0";
        else if (SameText(key, "Default") && install)
            section.InstallDefault = value;
        else if (SameText(key, "Default"))
            section.Default = value == "1";
    }
    return sections;
}

std::string ProfileDirectory(const std::string& base, const std::string& path, bool relative)
{
    if (path.empty())
        return {};
    return WithTrailingSlash(relative && !path.starts_with('/') ? base + path : path);
}

// "bookmarks.html" of the first profile, in the order of FindBookmarkFile, that has one.
std::string FirefoxProfileBookmarks(const std::string& base)
{
    const std::vector<TProfileSection> sections = ReadProfilesIni(base + "profiles.ini");
    std::vector<std::string> candidates;
    for (const TProfileSection& section : sections) {
        if (!section.InstallDefault.empty())
            candidates.push_back(ProfileDirectory(base, section.InstallDefault, true));
    }
    for (const TProfileSection& section : sections) {
        if (section.Default)
            candidates.push_back(ProfileDirectory(base, section.Path, section.IsRelative));
    }
    for (const TProfileSection& section : sections) {
        if (StartsWithNoCase(section.Name, "Profile"))
            candidates.push_back(ProfileDirectory(base, section.Path, section.IsRelative));
    }
    for (const std::string& dir : candidates) {
        if (!dir.empty() && FileExists(dir + "bookmarks.html"))
            return dir + "bookmarks.html";
    }
    return {};
}

// XDG_DOWNLOAD_DIR of user-dirs.dirs ("$HOME/..." or an absolute path), else ~/Downloads/.
std::string DownloadDirectory(const std::string& home)
{
    const std::string config = ConfigHome();
    if (!config.empty()) {
        for (const std::string& raw : ReadLines(config + "user-dirs.dirs")) {
            const std::string line = TrimBlanks(raw);
            if (!line.starts_with("XDG_DOWNLOAD_DIR="))
                continue;
            std::string value = line.substr(std::string_view("XDG_DOWNLOAD_DIR=").size());
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            if (value.starts_with("$HOME/"))
                return WithTrailingSlash(home + value.substr(6));
            if (value.starts_with('/'))
                return WithTrailingSlash(value);
        }
    }
    return home + "Downloads/";
}

bool StartsAsBookmarkFile(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    std::string head(1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return FindNoCase(head, "NETSCAPE-Bookmark-file") != std::string::npos;
}

// The most recently changed exported bookmark file of the directory.
std::string NewestExport(const std::string& dir)
{
    std::string best;
    std::optional<std::filesystem::file_time_type> bestTime;
    for (const std::string& name : ListFiles(dir, "bookmarks*.htm*")) {
        const std::string ext = ExtractFileExt(name);
        if (!SameText(ext, ".htm") && !SameText(ext, ".html"))
            continue;
        const std::string path = dir + name;
        std::error_code error;
        const auto time = std::filesystem::last_write_time(path, error);
        if (error || (bestTime && time <= *bestTime) || !StartsAsBookmarkFile(path))
            continue;
        best = path;
        bestTime = time;
    }
    return best;
}

} // namespace

std::string FindBookmarkFile(std::string_view browserProgram)
{
    const std::string home = HomeDirectory();
    if (home.empty())
        return {};

    if (FindNoCase(ExtractFileName(browserProgram), "firefox") != std::string::npos) {
        for (const char* base : {".mozilla/firefox/", "snap/firefox/common/.mozilla/firefox/",
                                 ".var/app/org.mozilla.firefox/.mozilla/firefox/"}) {
            std::string found = FirefoxProfileBookmarks(home + base);
            if (!found.empty())
                return found;
        }
    }
    for (const std::string& dir : {DownloadDirectory(home), home}) {
        std::string found = NewestExport(dir);
        if (!found.empty())
            return found;
    }
    return {};
}

} // namespace velbrin
