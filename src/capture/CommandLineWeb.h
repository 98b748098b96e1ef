#pragma once

#include "core/Pump.h"

#include <memory>
#include <string>

namespace velbrin {

class TMIMELIST;
class TParam;
class TWEB;

// What the arguments of either program name: a project file, an options
// file for a new Web, a start address, and whether a capture was asked for.
struct TWebRequest {
    std::string ProjectFile;
    std::string OptionsFile;
    std::string Address;
    bool Capture = false;

    bool HasWork() const { return !ProjectFile.empty() || !Address.empty(); }
};

// The Web a request opens.
struct TRequestedWeb {
    std::unique_ptr<TWEB> Web;   // none when Error is set
    std::string ProjectFile;     // absolute
    bool Capture = false;        // capture it now
    bool Created = false;        // a new Web, written at once
    std::string Error;           // why nothing could be opened
};

// The project file of a Web made from an address alone: the configured
// capture directory, the short name of the address and "LOCAL.WEB". Only the
// short name and "LOCAL.WEB" are upper case; the directory is kept as it is.
std::string DefaultProjectFile(const std::string& captureDirectory, const std::string& address);

// Why an address given to a program cannot be captured; empty when it can.
std::string StartAddressProblem(const std::string& address);

// Opens the Web of a request as both programs do: without a project file the
// Web lives in DefaultProjectFile and is captured. An existing project file is
// loaded; otherwise, with an address, a new Web is made there (the options
// file's key "MIMES" of section "OPTIONS" selects its MIME types, the rest of
// that section overrides its options), the address becomes the Url setting,
// and the Web is written at once and captured. The options file is checked
// before anything is created. pump runs while a project is read or written.
TRequestedWeb OpenRequestedWeb(const TWebRequest& request, TParam& settings, const TMIMELIST& globalMime,
                               const std::string& programDir, const TPump& pump = {});

} // namespace velbrin
