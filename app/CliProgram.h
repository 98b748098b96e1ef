#pragma once

#include <string>
#include <vector>

namespace velbrin {

// Exit statuses of the headless program.
inline constexpr int kExitCaptured = 0;    // the Web holds captured files after the session (or nothing was asked)
inline constexpr int kExitNothing = 1;     // the Web holds no captured file after the session
inline constexpr int kExitUnusable = 2;    // unusable arguments, or a project file that does not load
// A signal (Ctrl-C, SIGTERM) stopped the capture or its resolution pass: 128
// plus the signal's number, 130 for Ctrl-C; the Web was saved.
inline constexpr int kExitInterrupted = 128;

// The headless program: processes the command line as the desktop program
// does (project file, options file, start address, "CAPTURE"), captures in
// the thread's event loop while showing the progress on the terminal, and
// keeps "webs.dat", "mime.def" and "velbrin.ini" in the working path. The Qt
// application object must exist.
int RunCommandLineProgram(const std::vector<std::string>& arguments, const std::string& version);

} // namespace velbrin
