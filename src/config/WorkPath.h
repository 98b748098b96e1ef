#pragma once

#include "core/Errors.h"

#include <functional>
#include <optional>
#include <string>

namespace velbrin {

// The working path: the directory of "velbrin.ini", "mime.def" and
// "webs.dat", ending with one "/". Established once at start-up
// (EstablishWorkPath); empty until then.
const std::string& WorkPath();
void SetWorkPath(std::string path);

// No working path could be established: the first-run question was left
// without an answer.
class EWorkPathError : public EVelbrinError {
public:
    using EVelbrinError::EVelbrinError;
};

// The profile that remembers the working path:
// "${XDG_CONFIG_HOME:-$HOME/.config}/velbrin/profile.ini", section "VELBRIN",
// key "WORKPATH". Empty when there is no home directory.
std::string ProfileFileName();
// The remembered working path, ending with "/"; empty when the profile names
// none (or names a relative path, which would depend on the current directory).
std::string ReadProfileWorkPath();
// Raises EInOutError when the profile cannot be written.
void WriteProfileWorkPath(const std::string& path);

// The first-run question. It is shown a suggested directory and answers with
// the directory the user chose, or nothing when the user gave none. The
// desktop asks with its dialog; the command line with
// CommandLineWorkPathChooser.
using TWorkPathChooser = std::function<std::optional<std::string>(const std::string& suggestion)>;

// "$HOME/Webs/".
std::string SuggestedWorkPath();

// The working path at start-up: the one the profile remembers when it holds a
// "velbrin.ini"; otherwise the chooser's answer, adopted (AdoptWorkPath).
// Sets WorkPath() and returns it. Raises EWorkPathError when the chooser gives
// nothing, EInOutError when the directory cannot be created or the profile
// cannot be written.
std::string EstablishWorkPath(const TWorkPathChooser& chooser);

// Makes a directory the working path: made absolute, trailing "/" reduced to
// exactly one, created with its parents when missing, written back to the
// profile. Sets WorkPath() and returns it; raises as EstablishWorkPath.
std::string AdoptWorkPath(const std::string& directory);

// Reports a message to the user of the command line.
using TTell = std::function<void(const std::string& message)>;

// The command line's answer to the first-run question: `requested` (the
// directory of "--workpath DIR") when not empty, else the suggestion; a
// missing directory is created and `tell` says so. A command line given
// "--workpath DIR" while the profile already names a working path calls
// AdoptWorkPath(DIR) itself before reading the settings.
TWorkPathChooser CommandLineWorkPathChooser(std::string requested, TTell tell);

} // namespace velbrin
