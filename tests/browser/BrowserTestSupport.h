#pragma once

#include "support/EnvOverride.h"

// Helpers of the browser and bookmark tests: files, environment variables set
// for one test, a tree dump to compare trees by, and settings in a home of
// their own.

#include "browser/BookmarkTree.h"
#include "config/Param.h"
#include "config/WorkPath.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace velbrin::test {

inline std::string Fixture(const std::string& name)
{
    return std::string(VELBRIN_FIXTURES) + "/bookmarks/" + name;
}

inline void WriteText(const std::string& fileName, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(fileName).parent_path());
    std::ofstream(fileName, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}


// One line per entry, indented by depth: "[name] date (description)" for a
// folder, "url | title | dates (description)" for an item.
inline void DumpFolder(const TBookmarkFolder& folder, std::string& out, const std::string& indent)
{
    for (const auto& child : folder.Children()) {
        if (const TBookmarkFolder* sub = child->AsFolder()) {
            out += indent + "[" + sub->Name + "] " + std::to_string(sub->AddDate) + " (" + sub->Description + ")\n";
            DumpFolder(*sub, out, indent + "  ");
        } else {
            const TBookmarkItem& item = *child->AsItem();
            out += indent + item.Url + " | " + item.Title + " | " + std::to_string(item.AddDate) + " " +
                   std::to_string(item.LastVisit) + " " + std::to_string(item.LastModified) + " (" +
                   item.Description + ")\n";
        }
    }
}

inline std::string Dump(const TBookmarkFolder& folder)
{
    std::string out;
    DumpFolder(folder, out, "");
    return out;
}

// Settings of their own: $HOME is a scratch directory (the XDG variables fall
// back below it), the working path is "webs/" in it, and no default browser is
// known. The browser and bookmark fields are left for each test to set.
class SettingsHome {
public:
    SettingsHome()
        : m_home("HOME", dir.Path() + "home/")
        , m_config("XDG_CONFIG_HOME", std::nullopt)
        , m_data("XDG_DATA_HOME", std::nullopt)
    {
        std::filesystem::create_directories(dir.Path() + "home/");
        SetWorkPath("");
        const std::string webs = dir.Path() + "webs";
        param = std::make_unique<TParam>(
            [webs](const std::string&) { return std::optional<std::string>(webs); },
            [](const std::string&) { return std::optional<std::string>(); });
        param->BrowserAuto = false;
        param->ExeName.clear();
    }
    ~SettingsHome()
    {
        param.reset();
        SetWorkPath("");
    }
    SettingsHome(const SettingsHome&) = delete;
    SettingsHome& operator=(const SettingsHome&) = delete;

    std::string Home() const { return dir.Path() + "home/"; }

    TempDir dir;
    std::unique_ptr<TParam> param;

private:
    EnvOverride m_home;
    EnvOverride m_config;
    EnvOverride m_data;
};

} // namespace velbrin::test
