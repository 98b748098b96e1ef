#include "html/Tag.h"
#include "html/TagBytes.h"

#include "core/CaseFold.h"

#include <array>

namespace velbrin {

namespace {

constexpr std::array<std::string_view, kTagKindCount> kTagNames = {
    "A",  "BASE", "BODY", "HTML", "IMG", "TITLE", "AREA", "FRAME", "FORM", "VELBRIN", "!",
    "DD", "DL",   "DT",   "H1",   "H2",  "H3",    "H4",   "H5",    "H6",   "INPUT",   "UNKNOWN",
    "SCRIPT", "STYLE", "TEXTAREA", "LINK", "META", "SOURCE", "VIDEO", "AUDIO", "TRACK", "OBJECT", "EMBED",
    "IFRAME", "PICTURE",
};

bool EndsName(char c) { return IsTagByte(c, kTagBlankByte | kTagSlashByte); }

// The kinds whose name begins with each byte (upper case), in table order:
// a tag is compared with those alone.
struct TKindsByFirst {
    std::array<std::array<std::uint8_t, 8>, 256> Kinds{};
    std::array<std::uint8_t, 256> Count{};
};

constexpr TKindsByFirst MakeKindsByFirst()
{
    TKindsByFirst table;
    for (std::size_t kind = 0; kind < kTagNames.size(); ++kind) {
        if (kind == TagUnknown)
            continue;
        const auto first = static_cast<unsigned char>(kTagNames[kind].front());
        table.Kinds[first][table.Count[first]++] = static_cast<std::uint8_t>(kind);
    }
    return table;
}

constexpr TKindsByFirst kKindsByFirst = MakeKindsByFirst();

} // namespace

bool HoldsRawText(std::uint8_t kind)
{
    return kind == TagScript || kind == TagStyle || kind == TagTextarea || kind == TagTitle;
}

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
    if (name.empty())
        return tag;
    // Most names are told apart by their first letter.
    const auto first = static_cast<unsigned char>(UpperChar(name.front()));
    for (std::size_t k = 0; k < kKindsByFirst.Count[first]; ++k) {
        const std::uint8_t kind = kKindsByFirst.Kinds[first][k];
        std::string_view candidate = kTagNames[kind];
        if (name.size() < candidate.size() || (name.size() > candidate.size() && !EndsName(name[candidate.size()])))
            continue;
        if (StartsWithNoCase(name, candidate)) {
            tag.Kind = kind;
            return tag;
        }
    }
    tag.Kind = TagUnknown;
    return tag;
}

} // namespace velbrin
