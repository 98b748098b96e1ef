#pragma once

#include <string>

namespace velbrin {

// The program's data directory (report pages "NotFound.htm" and "BadLink.htm",
// the index templates in "index/", the help pages in "help/"), ending with one
// "/". Set once at start-up (SetProgramDir(LocateProgramDir())); empty until then.
const std::string& ProgramDir();
void SetProgramDir(std::string dir);

// The data directory of a program file: $VELBRIN_DATA_DIR when it is set and
// not empty, else "share/velbrin/" beside the program's "bin/" directory
// ("<dir of executable>/../share/velbrin/"), which holds both in the build tree
// and once installed. Absolute, lexically normal, ending with "/". The
// directory need not exist.
std::string LocateProgramDir(const std::string& executableFile);
// The same for the running program.
std::string LocateProgramDir();

// The absolute path of the running program file; empty when unknown.
std::string ExecutableFile();

} // namespace velbrin
