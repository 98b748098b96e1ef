#pragma once

#include <string_view>

namespace velbrin {

// A stored file of a Web is a bare name inside its capture directory. A name
// read from a project file is trusted only when it cannot lead elsewhere: it
// holds no "/", "\" or NUL byte and is not "." or "..". The empty name (no
// stored file) is safe.
bool IsSafeLocalName(std::string_view name);

} // namespace velbrin
