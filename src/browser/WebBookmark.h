#pragma once

#include "browser/BrowserPrompts.h"

#include <string>
#include <string_view>

namespace velbrin {

class TBookMarks;
class TParam;

// What the bookmark of a Web needs of it, as plain texts (not HTML), in
// whatever bytes the Web holds them: they go into the file in UTF-8.
struct TWebBookmark {
    std::string Directory; // the capture directory, ending with "/"
    std::string Title;
    std::string StartUrl;
};

// The address a Web's bookmark holds: the "file:" address of its home page
// (WebHomePage), written for the bookmark file (HtmlEscape).
std::string WebBookmarkAddress(std::string_view webDirectory);

enum class TBookmarkChange {
    None,      // the bookmark was there already, with the Web's title
    Added,     // a new bookmark (and the folder, when it was missing)
    Retitled,  // the bookmark now carries the Web's new title
    NotLoaded, // the bookmark file could not be loaded; nothing was written
};

// Adds or updates the Web's bookmark in the folder named by the BookmarkFolder
// setting of the file BookmarkFile, and writes the file only when something
// changed. The file is read afresh every time, so that what the browser or
// the user changed in it meanwhile is kept.
//
// When the file does not load: with UseBookmark off, nothing more happens;
// otherwise the user is asked "Cannot open bookmark file!" / "Create or choose
// another bookmark file?" and, on Yes, the setup dialog opens on its Browser
// page. Unless it is confirmed, UseBookmark is switched off; otherwise the
// file (as now set) is loaded again.
//
// The folder is created at the end of the top list when missing. The bookmark
// is looked for in the folder and its subfolders; a new one carries the Web's
// title (the address when the title is empty) and its start address as
// description. The tree is released afterwards. Raises what Load and Save
// raise (EConvertError, EInOutError, EStreamError), after releasing the tree.
TBookmarkChange AddWebBookmark(TBookMarks& bookmarks, TParam& param, const TWebBookmark& web,
                               const TBrowserPrompts& prompts);

// Removes the bookmark of the Web in that directory from the BookmarkFolder
// folder of BookmarkFile, and the folder too when that leaves it empty; the
// file is written only then. A file that does not load is left alone. True
// when a bookmark was removed. The tree is released afterwards; raises as
// AddWebBookmark.
bool RemoveWebBookmark(TBookMarks& bookmarks, const TParam& param, std::string_view webDirectory);

} // namespace velbrin
