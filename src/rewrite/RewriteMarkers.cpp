#include "rewrite/RewriteMarkers.h"

#include "rewrite/RewriteFooter.h"

#include <algorithm>

namespace velbrin {

TRewriteBlocks::TRewriteBlocks(const THtmlParser& parser, std::string_view page)
    : m_parser(parser)
    , m_page(page)
{
    // Items before the first marker belong to no block: room is made for the
    // items from there on only (a footer is the last few items of a page).
    const int last = parser.Count() - 2;
    int first = 1;
    while (first <= last && !IsMarker(first))
        ++first;
    if (first > last)
        return;
    m_first = static_cast<std::size_t>(first);
    const std::size_t count = static_cast<std::size_t>(parser.Count()) - m_first;
    m_fates.resize(count);
    m_tagRuns.assign(count + 1, 0);
    m_textRuns.assign(count + 1, 0);
    FindBlocks(kFooterOn, kFooterOff, 1, true);
    FindBlocks(kMapOn, kMapOff, 0, false);
    // Blocks can nest: every item counts the blocks that cover it, in one sweep.
    int tags = 0;
    int texts = 0;
    for (std::size_t i = 0; i < m_fates.size(); ++i) {
        tags += m_tagRuns[i];
        texts += m_textRuns[i];
        m_fates[i].DropTag = tags > 0;
        m_fates[i].DropText = texts > 0;
    }
}

bool TRewriteBlocks::IsMarker(int i) const
{
    const TTag& tag = m_parser.Item(i);
    if (!tag.IsOpen() || tag.Kind != TagComment)
        return false;
    const std::string_view text = m_page.substr(static_cast<std::size_t>(tag.Position),
                                                static_cast<std::size_t>(tag.Length));
    return text.ends_with(kFooterOn) || text == kFooterOff || text.ends_with(kMapOn) || text == kMapOff;
}

void TRewriteBlocks::FindBlocks(std::string_view on, std::string_view off, std::size_t ownTextAfterOff, bool footer)
{
    const int last = m_parser.Count() - 2; // the last content item; the end boundary follows
    std::vector<int> markers;              // every marker of the kind, in order
    std::vector<int> open;                 // opening markers not closed yet
    for (int i = static_cast<int>(m_first); i <= last; ++i) {
        const TTag& tag = m_parser.Item(i);
        if (!tag.IsOpen() || tag.Kind != TagComment)
            continue;
        const std::string_view text = m_page.substr(static_cast<std::size_t>(tag.Position),
                                                    static_cast<std::size_t>(tag.Length));
        if (text.ends_with(on)) {
            markers.push_back(i);
            open.push_back(i);
            m_fates[static_cast<std::size_t>(i) - m_first].KeptPrefix = text.size() - on.size();
        } else if (text == off) {
            markers.push_back(i);
            if (!open.empty()) {
                MarkBlock(open.back(), i, ownTextAfterOff, false);
                open.pop_back();
            }
        }
    }
    if (!footer)
        return;
    for (int marker : open) {
        if (!IsCutFooter(marker))
            continue;
        const auto next = std::upper_bound(markers.begin(), markers.end(), marker);
        MarkBlock(marker, next == markers.end() ? last : *next - 1, 0, true);
    }
}

bool TRewriteBlocks::IsCutFooter(int open) const
{
    const TTag& marker = m_parser.Item(open);
    const auto after = static_cast<std::size_t>(marker.Position) + static_cast<std::size_t>(marker.Length);
    return m_page.substr(std::min(after, m_page.size())).starts_with(kFooterLead);
}

void TRewriteBlocks::MarkBlock(int open, int close, std::size_t ownTextAfterClose, bool cut)
{
    const auto first = static_cast<std::size_t>(open) - m_first;
    const auto last = static_cast<std::size_t>(close) - m_first;
    m_fates[first].Opens = true;
    // Tags open + 1 .. close go; texts open .. close - 1, and without a
    // closing marker the text after the last item too.
    ++m_tagRuns[first + 1];
    --m_tagRuns[last + 1];
    ++m_textRuns[first];
    --m_textRuns[cut ? last + 1 : last];
    if (cut)
        return;

    // The text after the closing marker: what the block's writer put there is
    // part of the block.
    if (ownTextAfterClose == 0 || !m_parser.Item(close).HasTextFollowing())
        return;
    const TTag& marker = m_parser.Item(close);
    const auto after = static_cast<std::size_t>(marker.Position) + static_cast<std::size_t>(marker.Length);
    const std::string_view rest = m_page.substr(std::min(after, m_page.size()));
    std::size_t own = 0;
    while (own < ownTextAfterClose && own < rest.size() && rest[own] == ' ')
        ++own;
    m_fates[last].SkipText = own;
}

} // namespace velbrin
