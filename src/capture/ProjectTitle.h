#pragma once

#include <optional>
#include <string>

namespace velbrin {

// The title stored in a ".WEB" project file, read from its first fields
// only; nothing when the file is missing or is no project file.
std::optional<std::string> ReadProjectTitle(const std::string& fileName);

} // namespace velbrin
