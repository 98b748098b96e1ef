#include "html/TagEdits.h"

#include <algorithm>

namespace velbrin {

void TTagEdits::Replace(std::size_t start, std::size_t length, std::string text)
{
    m_edits.push_back({start, length, std::move(text)});
}

std::string TTagEdits::Apply(std::string_view tagText) const
{
    if (tagText.size() < 2 || m_edits.empty())
        return std::string(tagText);
    if (m_edits.size() == 1) {
        // Most tags get one change: the result is made in one piece.
        const Edit& edit = m_edits.front();
        const std::size_t limit = tagText.size();
        if (edit.start < 2 || edit.start > limit || edit.length > limit - edit.start)
            return std::string(tagText);
        std::string result;
        result.reserve(tagText.size() - edit.length + edit.text.size());
        result.append(tagText.substr(0, edit.start - 1));
        result.append(edit.text);
        result.append(tagText.substr(edit.start - 1 + edit.length));
        return result;
    }
    std::string result(tagText);

    std::vector<std::size_t> order(m_edits.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        const Edit& x = m_edits[a];
        const Edit& y = m_edits[b];
        if (x.start != y.start)
            return x.start > y.start;
        if (x.length != y.length)
            return x.length > y.length;
        return a > b;
    });

    // Everything from limit on has been edited already; the last byte is
    // never edited.
    std::size_t limit = tagText.size();
    for (std::size_t index : order) {
        const Edit& edit = m_edits[index];
        if (edit.start < 2 || edit.start > limit || edit.length > limit - edit.start)
            continue;
        result.replace(edit.start - 1, edit.length, edit.text);
        limit = edit.start;
    }
    return result;
}

} // namespace velbrin
