#pragma once

#include "browser/BrowserPrompts.h"

#include <string>
#include <string_view>

namespace velbrin {

class TParam;

// Starts the browser program with target as its one argument, passed as it
// stands (no shell: blanks and quotes stay inside it), and does not wait for
// it. The program runs detached: in a session of its own, reaped by the
// system rather than left as our zombie, with standard input from /dev/null,
// default signal handling, and none of our descriptors but standard output
// and error (sockets, files). Current browsers hand the page to their running
// window themselves. True when the program started; false when it could not
// be run, or when the target begins with "-" (the browser would read it as
// one of its options; no file path or address of ours begins so).
bool LaunchBrowser(const std::string& exeName, std::string_view target);

// Shows target (a local file path, passed as a path, or an address) in the
// browser ExeName of the settings. When no such file exists the user is asked
// "Cannot load browser!" / "Choose a browser?" and, on Yes, the setup dialog
// opens on its Browser page; when ExeName still names no file, nothing is
// shown. A running browser is driven first (DdeOpenUrl), otherwise the
// program is started (LaunchBrowser). activate brings the browser's window to
// the front where the browser can be driven. True when the page was handed over.
bool OpenInBrowser(const TParam& param, std::string_view target, bool activate, const TBrowserPrompts& prompts);

// The home page of a Web: its directory followed by "_Home.htm".
std::string WebHomePage(std::string_view webDirectory);

// Shows the home page of the Web in that directory, activating the browser.
bool OpenWebHomePage(const TParam& param, std::string_view webDirectory, const TBrowserPrompts& prompts);

} // namespace velbrin
