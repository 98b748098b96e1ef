#pragma once

#include <string>

namespace velbrin {

class TMainWin;

// Saves pictures of the window into directory, as the user sees it: the start
// screen when no Web is open, otherwise each of the six tabs ("tab-1-web.png"
// ..., the Multimedia tab showing the largest captured picture), and the New
// Web dialog ("new-web.png"). Used by the
// screenshot script through VELBRIN_SCREENSHOTS=DIR; returns false when a
// picture could not be written.
bool TakeScreenshots(TMainWin& window, const std::string& directory);

} // namespace velbrin
