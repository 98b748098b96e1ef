#include "config/XdgDirs.h"

#include "core/Files.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace velbrin {

namespace {

// The variable's value when it is an absolute path, else empty.
std::string AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return WithTrailingSlash(value);
}

} // namespace

std::string HomeDirectory()
{
    std::string home = AbsoluteVariable("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return WithTrailingSlash(entry->pw_dir);
    return {};
}

std::string ConfigHome()
{
    std::string dir = AbsoluteVariable("XDG_CONFIG_HOME");
    if (!dir.empty())
        return dir;
    std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + ".config/";
}

std::string DataHome()
{
    std::string dir = AbsoluteVariable("XDG_DATA_HOME");
    if (!dir.empty())
        return dir;
    std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + ".local/share/";
}

std::vector<std::string> DataDirs()
{
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::string list = value != nullptr && value[0] != '\0' ? value : "/usr/local/share:/usr/share";
    std::vector<std::string> dirs;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string dir = list.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/')
            dirs.push_back(WithTrailingSlash(std::move(dir)));
        start = end + 1;
    }
    return dirs;
}

} // namespace velbrin
