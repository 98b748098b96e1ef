#pragma once

#include "core/ListEx.h"
#include "core/MemoryStream.h"
#include "core/Stream.h"
#include "html/LinkParam.h"
#include "html/Tag.h"
#include "html/TagEdits.h"
#include "html/TagParam.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A page split into a flat, numbered list of items: a start boundary, the
// tags and comments in document order, and an end boundary. Text between
// items is not an item; it is the text that follows item i. Items keep
// offsets only and every text is read again from the source when asked for,
// so the source must stay alive, and keep its size, while the parser is used;
// queries move its position. Its bytes may be overwritten in place as long as
// that does not change where tags begin and end; an anchor's IsMap reflects
// the page as scanned.
//
// The scanner never rejects a page. A tag ends at the first ">" outside its
// quoted attribute values (see FindTagParam; a quote opens a value only
// right after "=" and blanks). A tag not closed before the next "<" outside
// quotes ends with that "<", which also begins the next item. A tag whose
// quote is not closed, or that reaches 65534 bytes, is read without regard
// to quotes: it ends at its first "<" or ">", and with 65534 or more bytes
// before that it is text. A comment ends at the first ">" after "<!-". After
// the opening tag of SCRIPT, STYLE, TEXTAREA or TITLE everything up to the
// matching closing tag is text; without one, the page goes on as usual.
// Every byte of the page belongs to an item or to the text after one:
// the text after the last tag is the text after the last content item (the
// start boundary for a page without tags), and the end boundary sits at the
// end of the page. So copying items 0 .. Count() - 2 with CopyTagAndText, or with
// CopyTag (WriteLinkTag, WriteTag) followed by CopyTextAfter, gives back every
// byte of the page once.
// Whether text, scanned as a page of its own, is one tag or comment that ends
// with its last byte, its quoted values read as such (not by the fallback that
// ignores quotes).
bool IsWholeTag(std::string_view text);

// Whether GetLink reads the text that describes a link (an anchor's text and
// IsMap, a title's text), which takes a walk over the items after the tag.
enum class TLinkText : std::uint8_t {
    Gather,
    Skip, // Description stays empty and an anchor's IsMap false
};

class THtmlParser {
public:
    // Scans the whole source from its start, then sets its position back to 0.
    // Raises EStreamError for a source of 2 GiB or more.
    explicit THtmlParser(TStream& source);
    // Takes the items of an earlier scan of these very bytes (Items() of a
    // parser of them) instead of scanning again. Items that cannot be those
    // of the source (not ordered, outside it, without both boundaries) are
    // ignored and the source is scanned.
    THtmlParser(TStream& source, std::vector<TTag> items);
    // Scans the source again from its start, as the constructor does: its
    // bytes and its size may have changed since. The memory of the item
    // lists is kept, so that many scans of short texts, one after another,
    // allocate nothing after the first.
    void Rescan();
    THtmlParser(const THtmlParser&) = delete;
    THtmlParser& operator=(const THtmlParser&) = delete;

    // Number of items, both boundaries included: 2 for an empty page.
    int Count() const { return m_items.Count(); }
    // Item i; for an index outside 0 .. Count() - 1 an item that is a
    // boundary of kind UNKNOWN at position -1 with length 0.
    const TTag& Item(int i) const
    {
        return static_cast<unsigned>(i) < static_cast<unsigned>(Count()) ? m_items.Items(i) : kOutOfRange;
    }
    // All items, both boundaries included.
    std::vector<TTag> Items() const { return {m_items.begin(), m_items.end()}; }
    // Whether the scan read some tag without regard to its quotes, or found
    // one too long to be a tag. Where such a reading ends depends on bytes far
    // from the tag, so the items of such a page say nothing certain about an
    // edited copy of it.
    bool ReadPlainly() const { return m_readPlainly; }

    // The first 255 bytes of item i.
    std::string TagText(int i) const;
    // All bytes of item i: the text GetParam positions refer to.
    std::string FullTagText(int i) const;
    // The same bytes, in place for a source in memory, else read into copy.
    std::string_view FullTagView(int i, std::string& copy) const;

    // The first 255 bytes of the text after item i, when it has TextFollows.
    std::string TextAfter(int i) const;
    // The whole text after item i, without limit.
    void CopyTextAfter(int i, TStream& out) const;
    // The bytes of item i, except a last "<" that begins the next item.
    // Nothing for a boundary.
    void CopyTag(int i, TStream& out) const;
    // Item i and the text after it: the bytes from its start up to the start
    // of the next item. For the start boundary, the text before the first tag.
    void CopyTagAndText(int i, TStream& out) const;
    // CopyTagAndText of items first .. last in one piece.
    void CopyTagsAndText(int first, int last, TStream& out) const;

    // Finds an attribute of item i (see FindTagParam). The positions refer
    // to FullTagText (its first 65535 bytes).
    bool GetParam(std::string_view name, int i, TTagParam& param) const;

    // Adds to edits the replacement of the value of param, an attribute of
    // item i, so that it reads back as value (see ReplaceTagParamValue).
    void ReplaceParamValue(int i, const TTagParam& param, std::string_view value, TTagEdits& edits) const;

    // Fills link from item i. False unless the item is an opening A, BASE,
    // BODY, IMG, TITLE, AREA, FRAME, FORM or INPUT tag (an INPUT tag needs a
    // SRC value). A and FRAME values stop before their "#", which stays in
    // the tag. An A tag with a value gathers its description (its text, ALT
    // values of the pictures inside, up to the closing A) and IsMap (a picture
    // inside is marked ISMAP). With TLinkText::Skip neither is read.
    bool GetLink(int i, TLinkParam& link, TLinkText text = TLinkText::Gather) const;

    // Writes item i with its link value replaced by newLink and its OLDREF
    // attribute set to oldRef, which keeps the address the tag was captured
    // with; an empty oldRef removes OLDREF. A tag without OLDREF and an empty
    // oldRef is written unchanged. A new OLDREF follows the link attribute,
    // in double quotes. Both are values as read (Value): they are written so
    // that they read back the same (ReplaceTagParamValue). The whole tag is
    // edited: nothing is cut. edits is the caller's room for the changes,
    // cleared first.
    void WriteLinkTag(int i, TStream& out, const TLinkParam& link, std::string_view newLink,
                      std::string_view oldRef, TTagEdits& edits) const;
    void WriteLinkTag(int i, TStream& out, const TLinkParam& link, std::string_view newLink,
                      std::string_view oldRef) const;
    // Writes item i with the edits made (positions as GetParam reports them),
    // without a last "<" that begins the next item, like CopyTag.
    void WriteTag(int i, TStream& out, const TTagEdits& edits) const;

    // The text after item i and after every following item, up to the first
    // closing tag of the given kind (or the end), cut at 255 and trimmed.
    std::string TextUntilClose(int i, std::uint8_t kind) const;

private:
    static constexpr TTag kOutOfRange{TagBoundary, TagUnknown, -1, 0};

    void Scan();
    bool TakeItems(std::vector<TTag>& items);
    void ScanPage(std::string_view page);
    void AddTag(std::int64_t start, std::int64_t end, std::string_view name);
    void AddItem(const TTag& item);
    // Builds the indexes below, once: only anchors' descriptions need them.
    void IndexItems() const;
    void GatherAnchorText(int i, TLinkParam& link) const;
    void WriteEdited(int i, std::string_view text, const TTagEdits& edits, TStream& out) const;

    std::int64_t NextStart(int i) const;
    std::int64_t OwnEnd(int i) const;
    std::string ReadSource(std::int64_t start, std::int64_t count) const;
    // TextAfter(i), appended to text.
    void AppendTextAfter(int i, std::string& text) const;
    // The bytes ReadSource would read, in place; only for a source in memory.
    std::string_view MemoryView(std::int64_t start, std::int64_t count) const;
    bool TagHolds(int i, std::string_view text) const;
    std::string_view ParamText(int i, std::string& copy) const;
    void CopySource(std::int64_t start, std::int64_t end, TStream& out) const;

    TStream& m_source;
    // The source holds its bytes in memory (InPlace): they are read there,
    // not copied.
    bool m_memory = false;
    std::int64_t m_size = 0;
    TListEx<TTag> m_items;
    bool m_readPlainly = false;
    // For each item j (and Count() as a sentinel), the first item at or after
    // j that closes an anchor, that is a picture marked ISMAP, that adds to an
    // anchor's description (text follows it, or a picture); Count() for none.
    mutable bool m_indexed = false;
    mutable std::vector<int> m_nextAnchorClose;
    mutable std::vector<int> m_nextMapPicture;
    mutable std::vector<int> m_nextAnchorText;
    // The text of the tag WriteEdited writes, whose room serves every tag.
    mutable std::string m_edited;
    // The text GatherAnchorText gathers, whose room serves every anchor.
    mutable std::string m_gathered;
};

} // namespace velbrin
