#pragma once

#include "browser/BookmarkSource.h"
#include "browser/BookmarkTree.h"

#include <memory>

#include <string>
#include <string_view>

namespace velbrin {

// Results of TBookMarks::Load.
enum TBookmarkLoad : int {
    BookmarksLoaded = 0,
    BookmarksMissing = 1,     // no file name, no file, or no list in the file
    NotABookmarkFile = 4,     // another declaration first, a bookmark declaration but no list, or lists too deep
    TooManyListEnds = 5,      // more "</DL>" than "<DL>"
};

// Folders nest at most this deep; a deeper list makes a file NotABookmarkFile.
inline constexpr int kMaxBookmarkDepth = 200;
// A file holding more entries (items and folders) than this, or more bytes
// than kMaxBookmarkFileSize, is refused with EStreamError.
inline constexpr std::size_t kMaxBookmarkEntries = 2'000'000;
inline constexpr std::int64_t kMaxBookmarkFileSize = std::int64_t(512) << 20;

// A browser's bookmark file: nested definition lists of folders (H3 headings)
// and links (A tags), each optionally followed by a DD description. The root
// folder is the file's top list.
//
// Reading keeps every folder and link with its name or title, address,
// description and dates, and the file's bytes with the place of each entry
// (TBookmarkSource). The file belongs to the user and the browser: a save
// changes only what the tree changed (entries added, removed, retitled...)
// and writes every other byte back as it was, so what the tree does not hold
// survives it: other attributes (ICON, ICON_URI, LAST_MODIFIED of folders,
// PERSONAL_TOOLBAR_FOLDER, TAGS, SHORTCUTURL, LAST_CHARSET...), separators
// (HR), the META lines, markup inside titles, the H1 text. A tree that was
// not loaded is written whole, in the layout of the files of this program.
class TBookMarks final : public TBookmarkFolder {
public:
    TBookMarks();
    ~TBookMarks() override;

    std::string Title; // the file's TITLE

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(std::string fileName) { m_fileName = std::move(fileName); }

    // Reads FileName into the tree: every child of the root is freed first,
    // Title and the root's Description are emptied. The bytes are kept for Save. After success the root's
    // Name and Description are the Title and no folder is Modified. After a
    // failure the tree is empty again. Raises EInOutError when the file
    // cannot be read, EConvertError when a date is not a decimal integer,
    // EStreamError for a file beyond the limits above.
    TBookmarkLoad Load();
    // The same for the bytes of a file; FileName only names it in messages.
    TBookmarkLoad LoadFrom(std::string_view bytes);

    // Replaces the file FileName (temporary file, then rename; a symbolic
    // link is followed), creating it when missing: the bytes loaded with the
    // tree's changes, or the whole tree when nothing was loaded. Raises
    // EInOutError, and the old file stays as it was.
    void Save() const;
    // The bytes Save writes.
    std::string SaveText() const;

    // Frees every child of the root and forgets the bytes loaded.
    void Release();

private:
    std::string m_fileName;
    // The file as loaded; none for a tree that was not loaded.
    std::unique_ptr<TBookmarkSource> m_source;
};

// A new, empty bookmark file titled "Velbrin's webs" (what the setup dialog
// creates when the user names a file that does not exist). Raises EInOutError.
void CreateBookmarkFile(const std::string& fileName);

} // namespace velbrin
