#pragma once

#include "browser/BookmarkTree.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// Where one folder or link of a loaded bookmark file stands in the file's
// bytes (offsets), and what it held there. Spans run from their first byte
// to past their last.
struct TBookmarkPlace {
    static constexpr std::size_t npos = std::string::npos;

    // The entry as a whole: from the start of its line (or from its DT tag,
    // or its A or H3 tag, when something else comes first on the line) to
    // past its description, or past the "</DL><p>" of a folder, and past the
    // line end when the entry begins its line and nothing follows it there.
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::size_t TagBegin = 0; // the A or H3 tag
    std::size_t TagEnd = 0;
    std::size_t TextBegin = 0; // its title or name, blanks at both ends left out
    std::size_t TextEnd = 0;
    std::size_t ContentEnd = 0;             // past the tag that closes the title (or past the title)
    std::size_t DescriptionBegin = npos;    // the text of its DD, blanks left out; npos without one
    std::size_t DescriptionEnd = npos;
    std::size_t ListEnd = npos;             // a folder: where entries are added to its list

    // What the file held.
    std::string Url;
    std::string Text;
    std::string Description;
    TBookmarkDate AddDate = 0;
    TBookmarkDate LastVisit = 0;
    TBookmarkDate LastModified = 0;
};

// A bookmark file as it was read: its bytes and the places of the entries
// the tree holds (TBookmarkEntry::SourceIndex). Saving over it writes the
// file again with only the tree's changes spliced in, so that everything a
// browser keeps and the tree does not (separators, icons, tags, keywords,
// the toolbar marks, META lines, markup in titles, the H1 text) stays byte
// for byte where it was.
struct TBookmarkSource {
    static constexpr std::size_t npos = std::string::npos;

    // Takes the bytes of the file and finds where its lines begin.
    void SetBytes(std::string bytes);
    const std::string& Bytes() const { return m_bytes; }

    std::vector<TBookmarkPlace> Places;
    std::size_t RootListEnd = npos; // where entries are added to the top list
    std::size_t TitleBegin = npos;  // the text of the TITLE, blanks left out
    std::size_t TitleEnd = npos;
    std::string Title; // as read
    std::string LineEnd = "\r\n"; // the file's own: that of its first line
    std::string IndentUnit = "\t"; // what the file adds to the indent of each level

    // Offset of the first byte of the line that holds pos.
    std::size_t LineStart(std::size_t pos) const;
    bool AtLineStart(std::size_t pos) const
    {
        return pos == 0 || (pos <= m_bytes.size() && m_bytes[pos - 1] == '\n');
    }
    // The blanks that begin the line holding pos.
    std::string_view LineIndent(std::size_t pos) const;
    // The start of the line when only blanks (spaces, tabs) stand before pos
    // on its line; pos otherwise.
    std::size_t StartOfEntry(std::size_t pos) const;
    // Past the line end when only spaces and tabs follow pos up to it; pos otherwise.
    std::size_t PastLineEnd(std::size_t pos) const;

    // The file with the tree's changes: entries whose place is missing from
    // the tree are cut out; entries whose values differ from the file's get
    // just those values replaced (the title, the tag's attribute, the DD
    // text); entries without a place are written in the file's layout where
    // they stand among their folder's children, after the last one the file
    // held; a changed title replaces the TITLE text (the H1 stays).
    std::string Apply(const TBookmarkFolder& root, std::string_view title) const;

private:
    std::string m_bytes;
    std::vector<std::size_t> m_lineStarts; // offsets, the first one 0
};

// The tag with the attribute's value replaced by the quoted value, or the
// attribute added before its ">" when the tag has none of that name.
std::string SetBookmarkTagAttribute(std::string_view tag, std::string_view name, std::string_view quotedValue);

} // namespace velbrin
