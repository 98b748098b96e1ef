#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// The desktop file id ("webby.desktop") of the application the desktop
// opens a MIME type or URL scheme handler ("x-scheme-handler/http") with;
// nothing when none is set or it cannot be asked.
using TDefaultApplication = std::function<std::optional<std::string>(const std::string& mimeType)>;

// Asks "xdg-mime query default <mimeType>"; nothing when xdg-mime is missing,
// fails or names no application.
std::optional<std::string> XdgDefaultApplication(const std::string& mimeType);

// The browser program of the desktop: the desktop entry of the default
// application for "x-scheme-handler/http" (else, when there is none or it has
// no entry, for "text/html"), the program of its Exec= command
// (CommandProgram), looked up through PATH when it is a bare name. Empty when
// nothing is found.
std::string DefaultBrowserProgram(const TDefaultApplication& defaultApplication);

// The file of a desktop file id, under "applications/" of DataHome(), then of
// each of DataDirs(); the "-" of an id may stand for a subdirectory
// ("suite-viewer.desktop" is also "suite/viewer.desktop"). Empty when none.
std::string FindDesktopEntry(std::string_view desktopId);

// The "applications/" directories of DataHome(), then of each of DataDirs(),
// where desktop entries are found.
std::vector<std::string> ApplicationDirs();

// The value of a key of the [Desktop Entry] group of the file ("Icon", not
// "Icon[fr]"); empty when none, or when the file is too large to be one.
std::string DesktopEntryValue(const std::string& fileName, std::string_view key);

// The Exec= value of the [Desktop Entry] group of the file; empty when none.
std::string DesktopEntryExec(const std::string& fileName);

// The program of a command: the text before its first blank; when that begins
// and ends with a double quote, both quotes go. A quoted path holding a blank
// is thus cut inside the quotes and names no file.
std::string CommandProgram(std::string_view command);

// A bare program name looked up in the directories of PATH (the first
// executable file wins); a name holding "/" is returned as it stands. Empty
// when the name is not found.
std::string SearchPath(std::string_view name);

} // namespace velbrin
