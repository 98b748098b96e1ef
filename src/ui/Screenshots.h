#pragma once

#include <string>

namespace velbrin {

class TMainWin;

// Saves pictures of the window into directory, as the user sees it: the start
// screen when no Web is open, otherwise each of the six tabs
// ("tab-1-web.png" ..., the Multimedia tab showing the largest captured
// picture), when the Web has image maps the map editor with zones over the
// first picture ("mapedit.png"), the New Web dialog ("new-web.png"), the four
// pages of the setup dialog ("setup-1-communication.png" ...) and the
// first-run dialog ("first-run.png"). Used by the screenshot script through
// VELBRIN_SCREENSHOTS=DIR; returns false when a picture could not be written.
bool TakeScreenshots(TMainWin& window, const std::string& directory);

} // namespace velbrin
