#pragma once

#include "support/EnvOverride.h"

// Helpers of the configuration tests: a scratch directory removed afterwards,
// and environment variables set for one test and restored after it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace velbrin::testing {

class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velbrin-config-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) != nullptr ? pattern + "/" : std::string();
    }
    ~ScratchDir()
    {
        std::error_code error;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(m_path, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The directory, ending with "/".
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

using velbrin::test::EnvOverride;

inline void WriteText(const std::string& fileName, const std::string& text, unsigned mode = 0644)
{
    std::filesystem::create_directories(std::filesystem::path(fileName).parent_path());
    std::ofstream(fileName, std::ios::binary) << text;
    ::chmod(fileName.c_str(), mode);
}

inline std::string ReadText(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline unsigned FileMode(const std::string& fileName)
{
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

} // namespace velbrin::testing

namespace velbrin::testing {

// A home of its own for one test: $HOME is a scratch directory, and the XDG
// variables are unset so that the defaults below $HOME apply.
class IsolatedHome {
public:
    const ScratchDir dir;
    const std::string home = dir / "home/";

    IsolatedHome()
        : m_home("HOME", home)
        , m_config("XDG_CONFIG_HOME", std::nullopt)
        , m_data("XDG_DATA_HOME", std::nullopt)
        , m_dataDirs("XDG_DATA_DIRS", dir / "system")
    {
        std::filesystem::create_directories(home);
    }

private:
    EnvOverride m_home;
    EnvOverride m_config;
    EnvOverride m_data;
    EnvOverride m_dataDirs;
};

} // namespace velbrin::testing
