#pragma once

#include "core/Text.h"
#include "core/SystemFiles.h"

#include <string>
#include <string_view>

namespace velbrin {

// The project files the user worked with, most recent first: "webs.dat" in
// the working directory, one full file name per line, lines ending with CR LF.
class TKnownWebs {
public:

    // directory ends with "/" (the working path).
    explicit TKnownWebs(std::string directory);

    const TStringList& Items() const { return m_items; }
    std::string ListFileName() const { return m_directory + std::string(kKnownWebsFileName); }

    // Reads the list; lines naming no existing file, empty lines and repeated
    // lines are dropped. A missing list is empty. False, with an empty list,
    // when the file exists but cannot be read.
    bool Load();
    // Puts the project file (made absolute) at the top, removing it below.
    void Add(std::string_view projectFile);
    // False when the file was not listed.
    bool Remove(std::string_view projectFile);
    // Replaces the list file atomically; raises EInOutError when it cannot be
    // written (the previous list then stays).
    void Save() const;

private:
    std::string m_directory;
    TStringList m_items;
};

} // namespace velbrin
