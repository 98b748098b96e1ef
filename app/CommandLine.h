#pragma once

#include <string>
#include <vector>

namespace velbrin {

// What the program's arguments ask for. Each argument is recognised by its
// upper-cased text: one holding ".WEB" names the project file, ".INI" an
// options file, "HTTP" a start address, and the word "CAPTURE" asks for a
// capture. Paths keep the case they were written in.
struct TCommandLine {
    std::string ProjectFile;
    std::string OptionsFile;
    std::string Address;
    bool Capture = false;

    // Options of the headless program.
    std::string WorkPath; // --workpath DIR
    bool AddBookmark = false; // --bookmark
    bool OpenBrowser = false; // --open
    bool Help = false;
    bool Version = false;

    // The first argument that means nothing, with the reason; empty when all are usable.
    std::string Error;

    bool HasWork() const { return !ProjectFile.empty() || !Address.empty(); }
};

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The project file of a Web made from an address alone: the configured
// capture directory, the short name of the address and "LOCAL.WEB". Only the
// short name and "LOCAL.WEB" are upper case; the directory is kept as it is.
std::string DefaultProjectFile(const std::string& captureDirectory, const std::string& address);

} // namespace velbrin
