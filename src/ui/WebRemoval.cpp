#include "ui/WebRemoval.h"

#include "config/ProgramDir.h"
#include "config/WorkPath.h"
#include "core/CaseFold.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace velbrin {

namespace fs = std::filesystem;

namespace {

// Absolute and normal, without a trailing "/" (but the root).
std::string NormalDirectory(const std::string& directory)
{
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::absolute(directory), error);
    if (error)
        path = fs::absolute(directory).lexically_normal();
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// a equals b or holds it.
bool Holds(const std::string& a, const std::string& b)
{
    std::string outer = LowerCase(a);
    std::string inner = LowerCase(b);
    if (outer == inner)
        return true;
    if (outer == "/")
        return true;
    return inner.size() > outer.size() && inner.starts_with(outer) && inner[outer.size()] == '/';
}

} // namespace

bool IsProtectedDirectory(const std::string& directory, const std::vector<std::string>& keep)
{
    if (directory.empty())
        return true;
    std::string candidate = NormalDirectory(directory);
    for (const std::string& kept : keep) {
        if (!kept.empty() && Holds(candidate, NormalDirectory(kept)))
            return true;
    }
    return false;
}

std::vector<std::string> ProtectedDirectories()
{
    std::vector<std::string> keep{WorkPath(), ProgramDir(), "/"};
    if (const char* home = std::getenv("HOME"); home && *home)
        keep.emplace_back(home);
    return keep;
}

void DeleteFilesOf(const std::string& directory)
{
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        // A link is removed, never what it leads to.
        if (!it->is_directory(ignored) || it->is_symlink(ignored))
            fs::remove(it->path(), ignored);
    }
}

std::string DeleteWebDirectory(const std::string& directory)
{
    fs::path web(directory);
    fs::path index = web / "index";
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(index, error))) {
        DeleteFilesOf(index.string());
        fs::remove(index, error);
        if (error)
            return "Cannot remove the directory " + index.string() + ": " + error.message();
    }
    DeleteFilesOf(directory);
    fs::remove(web, error);
    if (error)
        return "Cannot remove the directory " + directory + ": " + error.message();
    return {};
}

int CountEntries(const std::string& directory)
{
    int count = 0;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error))
        ++count;
    return count;
}

} // namespace velbrin
