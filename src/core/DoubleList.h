#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// Name/value pairs kept as consecutive entries: the name of pair i at entry
// 2i, its value at entry 2i + 1.
class TDoubleList {
public:
    // Appends both entries, without looking for an existing name.
    void AddPair(std::string_view name, std::string_view value);
    // Appends one entry (callers that build pairs by hand).
    void Add(std::string_view entry) { m_entries.emplace_back(entry); }

    const std::string& Names(int i) const { return m_entries.at(static_cast<std::size_t>(2 * i)); }
    const std::string& Values(int i) const { return m_entries.at(static_cast<std::size_t>(2 * i + 1)); }
    int PairCount() const { return static_cast<int>(m_entries.size() / 2); }
    int Count() const { return static_cast<int>(m_entries.size()); }
    // The first pair whose name equals name ignoring case; -1 when none.
    int IndexOfName(std::string_view name) const;
    void Clear() { m_entries.clear(); }

private:
    std::vector<std::string> m_entries;
};

} // namespace velbrin
