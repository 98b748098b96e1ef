#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// Changes to the text of one tag, each given in 1-based positions of the text
// as it stands in the page (the positions TTagParam reports), so that callers
// never shift positions by hand. Apply makes them from the right to the left:
// no change moves the place of another. Insertions at one place keep the
// order they were added in, and come before the new bytes of a replacement
// that starts there. A change that overlaps one further right, or that
// reaches the tag's first or last byte, is left out: a tag keeps its "<" and
// its end.
//
// A tag gets a few changes: they are kept without allocating, and their new
// bytes in one buffer.
class TTagEdits {
public:
    void Replace(std::size_t start, std::size_t length, std::string_view text);
    // Replace with the bytes that make an attribute quoted with quote read
    // back as value (AppendAttributeValue).
    void ReplaceWithValue(std::size_t start, std::size_t length, std::string_view value, char quote);
    void Insert(std::size_t position, std::string_view text) { Replace(position, 0, text); }
    void Delete(std::size_t start, std::size_t length) { Replace(start, length, {}); }

    // Room for new bytes about to be given.
    void Reserve(std::size_t bytes) { m_texts.reserve(bytes); }
    // Forgets every change and keeps the room, for the next tag.
    void Clear()
    {
        m_count = 0;
        m_more.clear();
        m_texts.clear();
    }
    bool Empty() const { return m_count == 0; }
    std::string Apply(std::string_view tagText) const;
    // The edited text appended to out.
    void ApplyTo(std::string_view tagText, std::string& out) const;

private:
    struct Edit {
        std::size_t start;
        std::size_t length;
        std::size_t textAt; // the new bytes, in m_texts
        std::size_t textSize;
    };
    static constexpr std::size_t kInline = 8;

    Edit& Add(std::size_t start, std::size_t length);
    const Edit& At(std::size_t k) const { return k < kInline ? m_few[k] : m_more[k - kInline]; }
    std::string_view TextOf(const Edit& edit) const
    {
        return std::string_view(m_texts).substr(edit.textAt, edit.textSize);
    }

    std::array<Edit, kInline> m_few;
    std::vector<Edit> m_more; // beyond kInline
    std::size_t m_count = 0;
    std::string m_texts;
};

} // namespace velbrin
