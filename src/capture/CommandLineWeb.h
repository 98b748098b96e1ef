#pragma once

#include "core/Pump.h"

#include <memory>
#include <string>
#include <vector>

namespace velbrin {

class TMIMELIST;
class TParam;
class TWEB;

// What the arguments of either program name: a project file, an options
// file, a start address, and whether a capture was asked for.
struct TWebRequest {
    std::string ProjectFile;
    std::string OptionsFile;
    std::string Address;
    bool Capture = false;

    bool HasWork() const { return !ProjectFile.empty() || !Address.empty(); }
};

// The Web a request opens, and what the program tells its user about it.
struct TRequestedWeb {
    std::unique_ptr<TWEB> Web;   // none when Error is set
    std::string ProjectFile;     // absolute
    bool Capture = false;        // capture it now
    bool Created = false;        // a new Web, written at once
    // In order: the directories passed over because they hold something else
    // than the Web of the address, and the records of a loaded Web that go
    // back to the list of links to explore. Also given with an Error.
    std::vector<std::string> Notes;
    // "Options of FILE applied to the Web: KEYS" when an options file was
    // given; told after the note of a new Web. The keys only: the section may
    // hold a password.
    std::string OptionsApplied;
    std::string Error;           // why nothing could be opened
};

// The project file of a Web made from an address alone: the configured
// capture directory, the short name of the address and "LOCAL.WEB". Only the
// short name and "LOCAL.WEB" are upper case; the directory is kept as it is.
std::string DefaultProjectFile(const std::string& captureDirectory, const std::string& address);

// Why an address given to a program cannot be captured; empty when it can.
std::string StartAddressProblem(const std::string& address);

// Why a request cannot be carried out, found before anything is created: its
// address cannot be captured (StartAddressProblem), its options file is
// missing, or the file's section OPTIONS names a key that is no option or
// gives a number option something else than a number (the text then starts
// with the file's name). Empty when the request can be tried.
std::string WebRequestProblem(const TWebRequest& request);

// Opens the Web of a request as both programs do. Nothing is created when
// WebRequestProblem finds anything.
//
// Without a project file the Web of the address is looked for in the
// capture directory of the settings (FindWebPlace: one directory per start
// address, the ones holding anything else passed over, each one noted) and
// captured. An existing project file is loaded: its records without a file
// of their own go back to the list of links to explore (noted), and the
// options file, when given, is applied to it and the Web written again.
// Otherwise, with an address, a new Web is made there (the options file's key
// "MIMES" of section "OPTIONS" selects its MIME types, checked before the
// directory is made, and the rest of that section overrides its options),
// the address becomes the Url setting, and the Web is written at once and
// captured. pump runs while a project is read or written.
TRequestedWeb OpenRequestedWeb(const TWebRequest& request, TParam& settings, const TMIMELIST& globalMime,
                               const std::string& programDir, const TPump& pump = {});

} // namespace velbrin
