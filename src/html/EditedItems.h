#pragma once

#include "html/Tag.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

class THtmlParser;

// The items of a page being written from the items of another, so that the
// written page need not be scanned again: items copied as they are move with
// the bytes, edited tags keep their place in the list, inserted tags and
// comments are added where they go. Whenever the written page might read
// otherwise than that (the source was read without regard to quotes, an
// edited tag no longer ends with its last byte or gained a "<", the source
// ends in an unfinished tag or comment ...) the result is given up, and the
// written page has to be scanned like any other.
class TEditedItems {
public:
    // parser: the source page, scanned; page: its bytes. Both must stay as
    // they are while this is used.
    TEditedItems(const THtmlParser& parser, std::string_view page);

    // Items first .. last of the source and the text after them were
    // copied as they are, starting at offset at of the written page.
    // withoutOtherReferences: the caller found none of them to hold a
    // reference beyond its own link (TagNoOtherReferences).
    void Copied(int first, int last, std::int64_t at, bool withoutOtherReferences = false);
    // Item i of the source was written as text at offset at; its own text
    // was original (FullTagText). The text after it follows as the source
    // has it, or as a caller who said so with TextReplaced.
    void Written(int i, std::int64_t at, std::string_view original, std::string_view text);
    // The text after the last item noted was written in place of original.
    void TextReplaced(std::string_view original, std::string_view text);
    // A comment (or any item that is one tag) written at offset at.
    void Inserted(std::string_view text, std::int64_t at);
    // Text holding its own items (the footer) added at offset at, after
    // everything of the source.
    void Appended(std::string_view text, std::int64_t at);

    // Gives up: the written page will be scanned.
    void GiveUp() { m_valid = false; }
    bool Valid() const { return m_valid; }

    // The items of the written page of the given size, boundaries included;
    // empty when given up.
    std::vector<TTag> Finish(std::int64_t size);

private:
    void Add(TTag tag);

    const THtmlParser& m_parser;
    std::vector<TTag> m_items;
    bool m_valid = true;
};

// A compact form of a page's items, for keeping those of many pages: about
// three bytes an item. DecodeItems gives back the items EncodeItems was
// given; bytes of any other origin give some list (possibly empty) that
// THtmlParser checks like any other.
std::string EncodeItems(const std::vector<TTag>& items);
std::vector<TTag> DecodeItems(std::string_view code);

} // namespace velbrin
