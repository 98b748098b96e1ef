#include "capture/KnownWebs.h"

#include "core/Errors.h"
#include "core/Files.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace velbrin {

namespace {

// The list names the user's projects: readable by its owner only.
constexpr unsigned kListPermissions = 0600;

} // namespace

TKnownWebs::TKnownWebs(std::string directory)
    : m_directory(std::move(directory))
{
}

bool TKnownWebs::Load()
{
    m_items.clear();
    std::string fileName = ListFileName();
    if (!FileExists(fileName))
        return true;
    std::string text;
    try {
        text = ReadWholeFile(fileName);
    } catch (const EVelbrinError&) {
        return false;
    }
    std::unordered_set<std::string> seen;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && FileExists(line) && seen.insert(line).second)
            m_items.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

void TKnownWebs::Add(std::string_view projectFile)
{
    std::string name = ExpandFileName(projectFile);
    if (name.empty())
        return;
    std::erase(m_items, name);
    m_items.insert(m_items.begin(), std::move(name));
}

bool TKnownWebs::Remove(std::string_view projectFile)
{
    std::string name = ExpandFileName(projectFile);
    return std::erase(m_items, name) != 0 || std::erase(m_items, std::string(projectFile)) != 0;
}

void TKnownWebs::Save() const
{
    std::string text;
    for (const std::string& item : m_items)
        text += item + "\r\n";
    WriteWholeFile(ListFileName(), text, kListPermissions);
}

} // namespace velbrin
