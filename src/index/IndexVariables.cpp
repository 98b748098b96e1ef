#include "index/IndexVariables.h"

namespace velbrin {

int MatchIndexVariable(std::string_view text)
{
    for (std::size_t i = 0; i < kIndexVariableNames.size(); ++i) {
        if (text.starts_with(kIndexVariableNames[i]))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

void SubstituteLine(std::string_view line, std::string& page, const TVariableWriter& writeVariable)
{
    for (std::size_t found = line.find(kVariablePrefix); found != std::string_view::npos;
         found = line.find(kVariablePrefix)) {
        page.append(line.substr(0, found));
        line.remove_prefix(found + kVariablePrefix.size());
        if (int variable = MatchIndexVariable(line)) {
            line.remove_prefix(kIndexVariableNames[static_cast<std::size_t>(variable) - 1].size());
            writeVariable(page, variable);
        }
    }
    page.append(line);
    page.append("\r\n");
}

} // namespace velbrin
