#pragma once

#include <QPixmap>

#include <string>

namespace velbrin {

// The side of the browser icon, in pixels.
inline constexpr int kBrowserIconSize = 32;

// The icon of a browser program for the controls that open pages in the
// browser: a kBrowserIconSize square in the button-face colour with, when
// exeName names an existing file, the icon of the desktop entry whose Exec=
// runs that program (the "applications/" directories of the XDG data dirs),
// else the theme's generic "web-browser" icon, drawn over it.
QPixmap PaintBrowserIcon(const std::string& exeName);

// The Icon= value of the desktop entry that runs the program: an icon theme
// name or an absolute file name. Empty when no entry names the program.
std::string BrowserIconName(const std::string& exeName);

// The Icon= value of the [Desktop Entry] group of a desktop entry file; empty
// when there is none.
std::string DesktopEntryIcon(const std::string& fileName);

} // namespace velbrin
