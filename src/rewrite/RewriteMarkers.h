#pragma once

#include "html/HtmlParser.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace velbrin {

// The comments that fence what the rewriter adds to a page, written and
// recognised exactly as they stand here.
inline constexpr std::string_view kFooterOn = "<!--VELBRIN=ON-->";
inline constexpr std::string_view kFooterOff = "<!--VELBRIN=OFF-->";
inline constexpr std::string_view kMapOn = "<!--VELBRIN MAP=ON-->";
inline constexpr std::string_view kMapOff = "<!--VELBRIN MAP=OFF-->";

// What a rewrite keeps of each item of a page: everything but the blocks an
// earlier pass added, so that the pass can add them afresh.
//
// A block runs from an opening marker to the closing marker of its kind that
// matches it, the way parentheses match (an opening marker inside a block
// needs its own closing marker); the two markers and everything between them
// are left out. Only the exact marker comments count, so a page's own
// comment that merely mentions the words is content, and so are markers that
// match nothing. Matching like parentheses keeps the rewrite repeatable: once
// the matched blocks are gone, the markers left over match nothing in any
// later pass, whatever blocks a pass adds and removes around them.
//
// One unmatched opening marker is not content: a footer that an older writer
// cut short (at 255 bytes, losing its closing marker). When the bytes after
// an unmatched footer marker are the footer's own, it is left out up to the
// next footer marker, or up to the end of the page, which is where such a
// footer was written.
//
// The text after a closing marker is content, but for the blank the footer
// writes after its closing marker. An opening marker can end a comment that
// the page left open before it: "<!-- x" at the end of a page, followed by a
// footer, reads as the one comment "<!-- x<!--VELBRIN=ON-->". Such a marker
// opens its block all the same, and KeptPrefix() is the page's part of the
// comment, which the rewrite keeps.
class TRewriteBlocks {
public:
    // page: the bytes the parser scanned.
    TRewriteBlocks(const THtmlParser& parser, std::string_view page);

    // Item i belongs to a block: nothing of it is written.
    bool DropsTag(int i) const { return Fate(i).DropTag; }
    // Item i opens a block: only its first KeptPrefix(i) bytes are written.
    bool OpensBlock(int i) const { return Fate(i).Opens; }
    std::size_t KeptPrefix(int i) const { return Fate(i).KeptPrefix; }
    // The text after item i belongs to a block.
    bool DropsTextAfter(int i) const { return Fate(i).DropText; }
    // How many first bytes of the text after item i the block before it wrote.
    std::size_t SkippedText(int i) const { return Fate(i).SkipText; }

private:
    struct ItemFate {
        bool DropTag = false;
        bool Opens = false;
        bool DropText = false;
        std::size_t KeptPrefix = 0;
        std::size_t SkipText = 0;
    };

    bool IsMarker(int i) const;
    void FindBlocks(std::string_view on, std::string_view off, std::size_t ownTextAfterOff, bool footer);
    bool IsCutFooter(int open) const;
    // Items open .. close form a block: close is its closing marker, or, for
    // a cut footer, its last item, whose text goes too.
    void MarkBlock(int open, int close, std::size_t ownTextAfterClose, bool cut);
    // Asked several times for every item of a page: inline.
    const ItemFate& Fate(int i) const
    {
        static constexpr ItemFate kKept{};
        const auto at = static_cast<std::size_t>(i);
        return at >= m_first && at - m_first < m_fates.size() ? m_fates[at - m_first] : kKept;
    }

    const THtmlParser& m_parser;
    std::string_view m_page;
    // The fates of the items from m_first on; the items before it are kept.
    std::size_t m_first = 0;
    std::vector<ItemFate> m_fates;
    // Where runs of dropped tags and texts begin (+1) and end (-1).
    std::vector<int> m_tagRuns;
    std::vector<int> m_textRuns;
};

} // namespace velbrin
