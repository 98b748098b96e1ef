#include "config/DefaultBrowser.h"

#include "config/ProgramOutput.h"
#include "config/XdgDirs.h"
#include "core/Files.h"
#include "core/Text.h"

#include <cstdlib>
#include <unistd.h>

namespace velbrin {

namespace {

// A desktop entry is a few kilobytes; anything far larger is not one.
constexpr std::int64_t kMaxDesktopEntrySize = 1024 * 1024;

std::string FindUnder(const std::string& dir, std::string_view id)
{
    std::string direct = dir + std::string(id);
    if (FileExists(direct))
        return direct;
    for (std::size_t dash = id.find('-'); dash != std::string_view::npos; dash = id.find('-', dash + 1)) {
        std::string subdir = dir + std::string(id.substr(0, dash)) + "/";
        if (dash > 0 && DirectoryExists(subdir)) {
            std::string found = FindUnder(subdir, id.substr(dash + 1));
            if (!found.empty())
                return found;
        }
    }
    return {};
}

} // namespace

std::optional<std::string> XdgDefaultApplication(const std::string& mimeType)
{
    std::optional<std::string> output = ProgramOutput({ "xdg-mime", "query", "default", mimeType });
    if (!output)
        return std::nullopt;
    std::string id = TrimBlanks(*output);
    if (id.empty() || id.find('\n') != std::string::npos)
        return std::nullopt;
    return id;
}

std::string FindDesktopEntry(std::string_view desktopId)
{
    if (desktopId.empty() || desktopId.find('/') != std::string_view::npos)
        return {};
    for (const std::string& dir : ApplicationDirs()) {
        std::string found = FindUnder(dir, desktopId);
        if (!found.empty())
            return found;
    }
    return {};
}

std::vector<std::string> ApplicationDirs()
{
    std::vector<std::string> dirs;
    if (std::string home = DataHome(); !home.empty())
        dirs.push_back(home + "applications/");
    for (const std::string& dir : DataDirs())
        dirs.push_back(dir + "applications/");
    return dirs;
}

std::string DesktopEntryValue(const std::string& fileName, std::string_view key)
{
    std::string text;
    try {
        if (!FileExists(fileName) || GetFileSize(fileName) > kMaxDesktopEntrySize)
            return {};
        text = ReadWholeFile(fileName);
    } catch (const std::exception&) {
        return {};
    }
    bool inEntry = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = TrimBlanks(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry || line.compare(0, key.size(), key) != 0)
            continue;
        std::size_t equals = line.find_first_not_of(" \t", key.size());
        if (equals != std::string::npos && line[equals] == '=')
            return TrimBlanks(std::string_view(line).substr(equals + 1));
    }
    return {};
}

std::string DesktopEntryExec(const std::string& fileName) { return DesktopEntryValue(fileName, "Exec"); }

std::string CommandProgram(std::string_view command)
{
    std::string_view program = command;
    for (std::size_t i = 0; i < program.size(); ++i) {
        if (IsBlank(program[i])) {
            program = program.substr(0, i);
            break;
        }
    }
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        program = program.substr(1, program.size() - 2);
    return std::string(program);
}

std::string SearchPath(std::string_view name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string_view::npos)
        return std::string(name);
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    std::string_view dirs = path;
    while (!dirs.empty()) {
        std::size_t colon = dirs.find(':');
        std::string_view dir = dirs.substr(0, colon);
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
        // An empty entry would mean the current directory: not a place to
        // take a browser from.
        if (dir.empty())
            continue;
        std::string candidate = std::string(dir);
        if (candidate.back() != '/')
            candidate += '/';
        candidate += name;
        if (FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string DefaultBrowserProgram(const TDefaultApplication& defaultApplication)
{
    if (!defaultApplication)
        return {};
    for (const char* type : { "x-scheme-handler/http", "text/html" }) {
        std::optional<std::string> id = defaultApplication(type);
        if (!id || id->empty())
            continue;
        std::string entry = FindDesktopEntry(*id);
        if (entry.empty())
            continue;
        return SearchPath(CommandProgram(DesktopEntryExec(entry)));
    }
    return {};
}

} // namespace velbrin
