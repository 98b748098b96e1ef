#include "html/Tag.h"

#include "core/CaseFold.h"

#include <array>

namespace velbrin {

namespace {

constexpr std::array<std::string_view, kTagKindCount> kTagNames = {
    "A",  "BASE", "BODY", "HTML", "IMG", "TITLE", "AREA", "FRAME", "FORM", "VELBRIN", "!",
    "DD", "DL",   "DT",   "H1",   "H2",  "H3",    "H4",   "H5",    "H6",   "INPUT",   "UNKNOWN",
};

bool EndsName(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

} // namespace

std::string_view TagName(std::uint8_t kind)
{
    return kind < kTagNames.size() ? kTagNames[kind] : kTagNames[TagUnknown];
}

TTag ClassifyTag(std::string_view name)
{
    TTag tag;
    tag.Flags = TagOpen;
    if (!name.empty() && name.front() == '!') {
        tag.Kind = TagComment;
        return tag;
    }
    if (!name.empty() && name.front() == '/') {
        tag.Flags = TagClose;
        name.remove_prefix(1);
    }
    for (std::size_t kind = 0; kind < kTagNames.size(); ++kind) {
        std::string_view candidate = kTagNames[kind];
        if (StartsWithNoCase(name, candidate) && (name.size() == candidate.size() || EndsName(name[candidate.size()]))) {
            tag.Kind = static_cast<std::uint8_t>(kind);
            return tag;
        }
    }
    tag.Kind = TagUnknown;
    return tag;
}

} // namespace velbrin
