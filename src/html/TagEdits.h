#pragma once

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
class TTagEdits {
public:
    void Replace(std::size_t start, std::size_t length, std::string text);
    void Insert(std::size_t position, std::string_view text) { Replace(position, 0, std::string(text)); }
    void Delete(std::size_t start, std::size_t length) { Replace(start, length, std::string()); }

    bool Empty() const { return m_edits.empty(); }
    std::string Apply(std::string_view tagText) const;

private:
    struct Edit {
        std::size_t start;
        std::size_t length;
        std::string text;
    };
    std::vector<Edit> m_edits;
};

} // namespace velbrin
