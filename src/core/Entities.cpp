#include "core/Entities.h"

#include "core/ShortString.h"

#include <array>

namespace velbrin {

namespace {

struct Entity {
    std::string_view name;
    unsigned char code;
};

constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

// The 100 entries in table order: the four markup names, then nbsp .. yuml.
constexpr std::array<Entity, 100> BuildTable()
{
    std::array<Entity, 100> table{};
    table[0] = {"quot", '"'};
    table[1] = {"amp", '&'};
    table[2] = {"lt", '<'};
    table[3] = {"gt", '>'};
    for (std::size_t i = 0; i < kLatin1Names.size(); ++i)
        table[4 + i] = {kLatin1Names[i], static_cast<unsigned char>(0xA0 + i)};
    return table;
}

constexpr std::array<Entity, 100> kEntities = BuildTable();

} // namespace

int NamedEntityByte(std::string_view name)
{
    for (const Entity& entity : kEntities) {
        if (entity.name == name)
            return entity.code;
    }
    return -1;
}

std::string DecodeEntities(std::string_view text)
{
    std::string in = ShortString(text);
    for (char& c : in) {
        if (static_cast<unsigned char>(c) < 20)
            c = 20;
    }
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        if (in[i] == '&') {
            bool matched = false;
            for (const Entity& entity : kEntities) {
                std::size_t end = i + 1 + entity.name.size();
                if (end < in.size() && in.compare(i + 1, entity.name.size(), entity.name) == 0 && in[end] == ';') {
                    out += static_cast<char>(entity.code);
                    i = end + 1;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        out += in[i++];
    }
    return out;
}

} // namespace velbrin
