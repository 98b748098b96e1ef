#pragma once

#include <string>
#include <vector>

namespace velbrin {

// The user's home directory ($HOME, else the password database), ending with
// "/"; empty when neither names one.
std::string HomeDirectory();

// The base directories of the XDG layout, each ending with "/". A variable
// that is unset, empty or not an absolute path gives way to its default.
// ${XDG_CONFIG_HOME:-$HOME/.config}
std::string ConfigHome();
// ${XDG_DATA_HOME:-$HOME/.local/share}
std::string DataHome();
// The entries of ${XDG_DATA_DIRS:-/usr/local/share:/usr/share}, in order.
std::vector<std::string> DataDirs();

} // namespace velbrin
