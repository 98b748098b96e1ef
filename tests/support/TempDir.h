#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace velbrin::test {

// A fresh directory under the system's temporary directory, removed with its
// content at the end of the test. Path() ends with "/".
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velbrin-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary directory");
        m_path = pattern + "/";
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace velbrin::test
