#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace velbrin {

// A list whose capacity grows in steps of 1024 entries: by one step, or by
// half its size when that is more, so that a long list is not copied again
// every 1024 entries.
template<typename T>
class TListEx {
public:
    static constexpr std::size_t kGrowthStep = 1024;

    int Add(T item)
    {
        if (m_items.size() == m_items.capacity()) {
            const std::size_t wanted = std::max(m_items.capacity() + kGrowthStep, m_items.capacity() * 3 / 2);
            m_items.reserve((wanted + kGrowthStep - 1) / kGrowthStep * kGrowthStep);
        }
        m_items.push_back(std::move(item));
        return static_cast<int>(m_items.size() - 1);
    }

    // i must lie within 0 .. Count() - 1.
    T& Items(int i) { return m_items[static_cast<std::size_t>(i)]; }
    const T& Items(int i) const { return m_items[static_cast<std::size_t>(i)]; }
    int Count() const { return static_cast<int>(m_items.size()); }
    std::size_t Capacity() const { return m_items.capacity(); }

    // Room for count entries at least, taken at once.
    void Reserve(std::size_t count) { m_items.reserve(count); }
    // Count and capacity 0.
    void Clear() { std::vector<T>().swap(m_items); }
    // Count 0; the capacity stays, for a list that is filled again.
    void Empty() { m_items.clear(); }
    // The list becomes the items given, without a copy.
    void Adopt(std::vector<T>&& items) { m_items = std::move(items); }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<T> m_items;
};

} // namespace velbrin
