#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velbrin {

// Runs a program without a shell (arguments[0] is looked up through PATH),
// with no input and its error output discarded, and returns what it wrote on
// its standard output, at most maxBytes of it. Nothing when the program cannot
// be started, exits with a non-zero status, or is still running after
// timeoutMs (it is then killed).
std::optional<std::string> ProgramOutput(const std::vector<std::string>& arguments, int timeoutMs = 10000,
                                         std::size_t maxBytes = 64 * 1024);

} // namespace velbrin
