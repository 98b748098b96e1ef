#pragma once

#include "capture/CommandLineWeb.h"

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
    // What it asks of a Web (OpenRequestedWeb).
    TWebRequest WebRequest() const { return {ProjectFile, OptionsFile, Address, Capture}; }
};

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace velbrin
