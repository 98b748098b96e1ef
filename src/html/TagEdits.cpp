#include "html/TagEdits.h"

#include <algorithm>
#include <array>

namespace velbrin {

void TTagEdits::Replace(std::size_t start, std::size_t length, std::string text)
{
    if (m_edits.empty())
        m_edits.reserve(4);
    m_edits.push_back({start, length, std::move(text)});
}

std::string TTagEdits::Apply(std::string_view tagText) const
{
    if (tagText.size() < 2 || m_edits.empty())
        return std::string(tagText);

    // The edits from the right to the left; a tag gets a few at most.
    constexpr std::size_t kFew = 8;
    std::array<std::size_t, kFew> few{};
    std::vector<std::size_t> many;
    std::size_t* const order = m_edits.size() <= kFew ? few.data() : (many.resize(m_edits.size()), many.data());
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        order[i] = i;
    std::sort(order, order + m_edits.size(), [this](std::size_t a, std::size_t b) {
        const Edit& x = m_edits[a];
        const Edit& y = m_edits[b];
        if (x.start != y.start)
            return x.start > y.start;
        if (x.length != y.length)
            return x.length > y.length;
        return a > b;
    });

    // The edits made: everything from limit on has been edited already; the
    // last byte is never edited. They are kept in place, the first ones in
    // order, and the result is then put together from the left in one piece.
    std::size_t made = 0;
    std::size_t size = tagText.size();
    std::size_t limit = tagText.size();
    for (std::size_t k = 0; k < m_edits.size(); ++k) {
        const Edit& edit = m_edits[order[k]];
        if (edit.start < 2 || edit.start > limit || edit.length > limit - edit.start)
            continue;
        order[made++] = order[k];
        size = size - edit.length + edit.text.size();
        limit = edit.start;
    }
    std::string result;
    result.reserve(size);
    std::size_t copied = 0; // bytes of tagText written
    for (std::size_t k = made; k-- > 0;) {
        const Edit& edit = m_edits[order[k]];
        result.append(tagText.substr(copied, edit.start - 1 - copied));
        result.append(edit.text);
        copied = edit.start - 1 + edit.length;
    }
    result.append(tagText.substr(copied));
    return result;
}

} // namespace velbrin
