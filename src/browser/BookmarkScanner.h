#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velbrin {

// One tag of a bookmark file with the text that follows it.
struct TBookmarkToken {
    std::uint8_t Kind = 0;  // TagKind of html/Tag.h
    std::uint8_t Flags = 0; // TagOpen or TagClose
    std::string_view Tag;   // "<" through ">"
    std::string_view Text;  // the bytes up to the next tag, unchanged
};

// Splits a bookmark file into tags and the texts between them. Browsers write
// tags of any length (an A tag carries its icon as a data address of several
// kilobytes) and put blanks and ">" inside quoted values, so a tag here ends at
// the first ">" outside a quoted attribute value, however far that is.
//
// A "<" begins a tag when a letter, "/" followed by a letter, "!" or "?"
// follows it; any other "<" is text. "<!--" ends at the next "-->", other "<!"
// and "<?" tags at the next ">". A tag (or comment) that does not end before
// the end of the file is text, and so is everything after it. Views point into
// the scanned bytes, which must outlive the scanner and the tokens.
class TBookmarkScanner {
public:
    explicit TBookmarkScanner(std::string_view bytes);

    // The text before the first tag.
    std::string_view Leading() const { return m_bytes.substr(0, m_next); }
    // The next tag and the text after it; false once every tag was read.
    bool Next(TBookmarkToken& token);
    // Once every tag was read: the offset of the "<" of the tag or comment
    // that does not end before the end of the file, or the size of the bytes.
    std::size_t Unfinished() const { return m_unfinished; }

private:
    // Finds the first tag starting at or after from: sets m_next and m_nextEnd
    // (the offset of its ">"); m_next is the size of the bytes when none is left.
    void FindTag(std::size_t from);
    // Offset of the last byte of the tag that may start at start; npos when
    // no tag starts there or it does not end.
    std::size_t TagEnd(std::size_t start) const;

    std::string_view m_bytes;
    std::size_t m_next = 0;
    std::size_t m_nextEnd = 0;
    std::size_t m_unfinished = 0;
};

// Whether a tag begins at the "<" at pos of the text (whether or not it ends).
bool OpensTag(std::string_view text, std::size_t pos);

// The value of the first attribute of that name (compared without regard to
// case) in a tag's text, with its quotes removed; an attribute without "="
// has an empty value. Nothing when the tag has no such attribute.
std::optional<std::string_view> TagAttribute(std::string_view tag, std::string_view name);

} // namespace velbrin
