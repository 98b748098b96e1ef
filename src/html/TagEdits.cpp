#include "html/TagEdits.h"

#include "html/AttributeValue.h"

#include <algorithm>

namespace velbrin {

TTagEdits::Edit& TTagEdits::Add(std::size_t start, std::size_t length)
{
    const Edit edit{start, length, m_texts.size(), 0};
    Edit& added = m_count < kInline ? m_few[m_count] : m_more.emplace_back();
    added = edit;
    ++m_count;
    return added;
}

void TTagEdits::Replace(std::size_t start, std::size_t length, std::string_view text)
{
    Edit& edit = Add(start, length);
    m_texts.append(text);
    edit.textSize = text.size();
}

void TTagEdits::ReplaceWithValue(std::size_t start, std::size_t length, std::string_view value, char quote)
{
    Edit& edit = Add(start, length);
    AppendAttributeValue(m_texts, value, quote);
    edit.textSize = m_texts.size() - edit.textAt;
}

std::string TTagEdits::Apply(std::string_view tagText) const
{
    std::string result;
    ApplyTo(tagText, result);
    return result;
}

void TTagEdits::ApplyTo(std::string_view tagText, std::string& out) const
{
    if (tagText.size() < 2 || m_count == 0) {
        out.append(tagText);
        return;
    }

    // The edits from the right to the left; a tag gets a few at most.
    std::array<std::size_t, kInline> few{};
    std::vector<std::size_t> many;
    std::size_t* const order = m_count <= kInline ? few.data() : (many.resize(m_count), many.data());
    for (std::size_t i = 0; i < m_count; ++i)
        order[i] = i;
    const auto before = [this](std::size_t a, std::size_t b) {
        const Edit& x = At(a);
        const Edit& y = At(b);
        if (x.start != y.start)
            return x.start > y.start;
        if (x.length != y.length)
            return x.length > y.length;
        return a > b;
    };
    if (m_count <= kInline) {
        // A few: sorted by insertion.
        for (std::size_t k = 1; k < m_count; ++k) {
            const std::size_t edit = order[k];
            std::size_t at = k;
            for (; at > 0 && before(edit, order[at - 1]); --at)
                order[at] = order[at - 1];
            order[at] = edit;
        }
    } else {
        std::sort(order, order + m_count, before);
    }

    // The edits made: everything from limit on has been edited already; the
    // last byte is never edited. They are kept in place, the first ones in
    // order, and the result is then put together from the left in one piece.
    std::size_t made = 0;
    std::size_t size = tagText.size();
    std::size_t limit = tagText.size();
    for (std::size_t k = 0; k < m_count; ++k) {
        const Edit& edit = At(order[k]);
        if (edit.start < 2 || edit.start > limit || edit.length > limit - edit.start)
            continue;
        order[made++] = order[k];
        size = size - edit.length + edit.textSize;
        limit = edit.start;
    }
    out.reserve(out.size() + size);
    std::size_t copied = 0; // bytes of tagText written
    for (std::size_t k = made; k-- > 0;) {
        const Edit& edit = At(order[k]);
        out.append(tagText.substr(copied, edit.start - 1 - copied));
        out.append(TextOf(edit));
        copied = edit.start - 1 + edit.length;
    }
    out.append(tagText.substr(copied));
}

} // namespace velbrin
