#pragma once

#include "browser/BookmarkTree.h"

#include <string>
#include <string_view>

namespace velbrin {

// The lines this program writes for the entries of a bookmark file: a whole
// file of ours, or the entries it adds to a browser's file, with that file's
// line end and indentation.
struct TBookmarkLayout {
    std::string_view LineEnd = "\r\n";
    std::string_view IndentUnit = "\t"; // what each level of folders adds
};

// An attribute value between double quotes: a double quote inside it (only a
// value the file held in single quotes can have one) is written as a reference.
std::string QuotedBookmarkValue(std::string_view value);

// A text between tags. It holds a "<" that would begin a tag only when the
// file it was read from ended inside that tag; written as it stands, such a
// "<" would take what follows it, so it is written as a reference.
void WriteBookmarkText(std::string& out, std::string_view text);

// The DT line of the link and, when it has a description, its DD line.
void WriteBookmarkItem(std::string& out, const TBookmarkItem& item, std::string_view indent,
                       const TBookmarkLayout& layout);
// The folder's heading (none for the root), its description, and its list
// with every child, each level indented one unit more.
void WriteBookmarkFolder(std::string& out, const TBookmarkFolder& folder, std::string_view indent, bool root,
                         const TBookmarkLayout& layout);
// An item or a folder, as above.
void WriteBookmarkEntry(std::string& out, const TBookmarkEntry& entry, std::string_view indent,
                        const TBookmarkLayout& layout);

} // namespace velbrin
