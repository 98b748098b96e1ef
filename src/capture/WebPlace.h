#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velbrin {

// Where the Web of a start address given alone on the command line lives: a
// directory of the capture directory named after the address's short name
// (GetShortName). Each site keeps its own Web: a directory that holds the Web
// of another start address, a project file that does not load, or files of
// something else is passed over for the next name, the short name with a
// number as local file names are made unique (NumberedName: DOCS, DOCS1,
// DOCS2...). The first directory that holds the Web of the same address (the
// same document, SameAddress) is that Web's; otherwise the first free one,
// missing or empty, receives a new Web.
struct TWebPlace {
    std::string ProjectFile;          // the directory + "LOCAL.WEB"
    bool Exists = false;              // the project file holds the address's Web
    std::vector<std::string> Passed;  // why each directory before it was passed over
};

// startAddressOf(projectFile) gives the start address of the Web in a project
// file, or an empty text when the file does not load.
TWebPlace FindWebPlace(const std::string& captureDirectory, const std::string& address,
                       const std::function<std::string(const std::string& projectFile)>& startAddressOf);

} // namespace velbrin
