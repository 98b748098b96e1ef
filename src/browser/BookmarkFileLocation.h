#pragma once

#include <string>
#include <string_view>

namespace velbrin {

// The bookmark file to propose for a browser program when the user has named
// none (the setup dialog asks only when its field is empty). Browsers here
// keep their bookmarks in databases; the bookmark-file form exists in two
// places, looked at in this order:
//
// 1. For a program of the Firefox family (its file name holds "firefox"):
//    "bookmarks.html" of the default profile. Firefox writes it at every exit
//    when its preference browser.bookmarks.autoExportHTML is on, and reads it
//    back at start with browser.places.importBookmarksHTML: the live file.
//    Profiles come from "profiles.ini" of ~/.mozilla/firefox/, then of the
//    snap and flatpak homes (~/snap/firefox/common/.mozilla/firefox/,
//    ~/.var/app/org.mozilla.firefox/.mozilla/firefox/): the defaults of the
//    [Install...] sections first, then the profile marked Default=1, then the
//    others.
// 2. For any program: the most recently changed export in the download
//    directory (XDG_DOWNLOAD_DIR of ~/.config/user-dirs.dirs, else
//    ~/Downloads/), then in the home directory: a file whose name starts with
//    "bookmarks" and ends with ".htm" or ".html" (letter case ignored; Firefox
//    proposes bookmarks.html, Chromium bookmarks_M_D_YY.html) that begins with
//    the bookmark-file declaration.
//
// Empty when none of these exists.
std::string FindBookmarkFile(std::string_view browserProgram);

} // namespace velbrin
