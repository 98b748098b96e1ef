#pragma once

#include <string>
#include <string_view>

namespace velbrin {

// Replaces whole files, each at once: whenever the program stops, a target
// holds either its old bytes or its new ones. The new bytes go to a scratch
// file beside the target, which then trades places with it; the old bytes
// become the next scratch file. A run of replacements in one directory thus
// creates and deletes no file, which on a busy directory costs the system far
// more than the writing. Where the file system cannot trade names, the
// scratch file is renamed over the target instead and a new one is made.
//
// Not shared between threads: each thread that replaces files keeps its own.
class TFileReplacer {
public:
    TFileReplacer() = default;
    ~TFileReplacer();
    TFileReplacer(const TFileReplacer&) = delete;
    TFileReplacer& operator=(const TFileReplacer&) = delete;

    // Puts bytes in place of the target's content, making the target when it
    // does not exist (with permissions; an existing one keeps its own).
    // Raises EInOutError when the bytes cannot be written, the target then
    // being left as it was.
    void Replace(const std::string& target, std::string_view bytes, unsigned permissions = 0644);

private:
    void OpenScratch(const std::string& directory);
    void DropScratch();

    int m_fd = -1;
    std::string m_directory;
    std::string m_scratchName;
};

} // namespace velbrin
