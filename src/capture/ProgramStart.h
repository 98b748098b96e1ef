#pragma once

#include "config/WorkPath.h"

#include <memory>
#include <string>

namespace velbrin {

class TParam;

// The settings a program starts from.
struct TProgramStart {
    std::unique_ptr<TParam> Settings; // none when Error is set
    std::string Error;                // no working path, or "velbrin.ini" cannot be written
    std::string TlsError;             // the certificate file of the settings cannot be used
};

// What both programs do first: the program's data directory is located, the
// working path established (requestedWorkPath, from "--workpath DIR", is
// adopted when not empty; without any working path the suggested one,
// "$HOME/Webs/", is created and tell says so), the settings are read, and
// their certificate file is checked.
TProgramStart StartProgramSettings(const std::string& requestedWorkPath, const TTell& tell);

} // namespace velbrin
