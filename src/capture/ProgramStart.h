#pragma once

#include "config/DefaultBrowser.h"
#include "config/WorkPath.h"

#include <memory>
#include <string>
#include <vector>

namespace velbrin {

class TParam;

// The settings a program starts from, and what it tells its user about them.
struct TProgramStart {
    std::unique_ptr<TParam> Settings; // none when Error is set
    std::vector<std::string> Notes;   // the working directory was created; also given with an Error
    std::string Error;                // no working path, or "velbrin.ini" cannot be written
    std::string TlsError;             // the certificate file of the settings cannot be used
};

// What both programs do first: the program's data directory is located, the
// working path established (requestedWorkPath, from "--workpath DIR", is
// adopted and remembered when not empty; without any working path the
// suggested one, "$HOME/Webs/", is created and noted), the settings are read,
// and their certificate file is checked. defaultApplication finds the
// desktop's browser; a program that never opens one passes none, and starts
// without asking the desktop (which runs helper programs).
TProgramStart StartProgramSettings(const std::string& requestedWorkPath,
                                   TDefaultApplication defaultApplication = XdgDefaultApplication);

} // namespace velbrin
