#include "core/DoubleList.h"

#include "core/CaseFold.h"

namespace velbrin {

void TDoubleList::AddPair(std::string_view name, std::string_view value)
{
    m_entries.emplace_back(name);
    m_entries.emplace_back(value);
}

int TDoubleList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < PairCount(); ++i) {
        if (SameText(Names(i), name))
            return i;
    }
    return -1;
}

} // namespace velbrin
