#include "html/ReferenceTable.h"
#include "html/TagBytes.h"

#include "core/CaseFold.h"
#include "core/Text.h"
#include "html/LinkParam.h"
#include "html/Tag.h"

#include <array>

namespace velbrin {

namespace {

using K = TReferenceKind;
using F = TValueForm;

// Grouped by tag kind, the tag's own link first.
constexpr std::array kRules = {
    TReferenceRule{TagA, "HREF", K::PageLink, F::Address, "OLDREF"},
    TReferenceRule{TagBase, "HREF", K::Base, F::Address, "OLDREF"},
    TReferenceRule{TagBody, "BACKGROUND", K::Background, F::Address, "OLDREF"},
    TReferenceRule{TagImg, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagImg, "SRCSET", K::InlineObject, F::Srcset, "OLDSRCSET"},
    TReferenceRule{TagImg, "DATA-SRC", K::InlineObject, F::Address, "OLDDATASRC"},
    TReferenceRule{TagImg, "DATA-SRCSET", K::InlineObject, F::Srcset, "OLDDATASRCSET"},
    TReferenceRule{TagArea, "HREF", K::PageLink, F::Address, "OLDREF"},
    TReferenceRule{TagFrame, "SRC", K::Frame, F::Address, "OLDREF"},
    TReferenceRule{TagForm, "ACTION", K::Form, F::Address, "OLDREF"},
    TReferenceRule{TagInput, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagScript, "SRC", K::Script, F::Address, "OLDREF"},
    TReferenceRule{TagLink, "HREF", K::StyleSheet, F::Address, "OLDREF"},
    TReferenceRule{TagMeta, "CONTENT", K::PageLink, F::Refresh, "OLDCONTENT"},
    TReferenceRule{TagSource, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagSource, "SRCSET", K::InlineObject, F::Srcset, "OLDSRCSET"},
    TReferenceRule{TagVideo, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagVideo, "POSTER", K::InlineObject, F::Address, "OLDPOSTER"},
    TReferenceRule{TagAudio, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagTrack, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagObject, "DATA", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagEmbed, "SRC", K::InlineObject, F::Address, "OLDREF"},
    TReferenceRule{TagIframe, "SRC", K::Frame, F::Address, "OLDREF"},
};

// Where the rows of each kind begin and end: every tag of every page asks.
struct TRowsOfKinds {
    std::array<std::uint8_t, 256> First{};
    std::array<std::uint8_t, 256> Last{};

    constexpr TRowsOfKinds()
    {
        for (std::size_t kind = 0; kind < 256; ++kind) {
            std::size_t first = 0;
            while (first < kRules.size() && kRules[first].TagKind != kind)
                ++first;
            std::size_t last = first;
            while (last < kRules.size() && kRules[last].TagKind == kind)
                ++last;
            First[kind] = static_cast<std::uint8_t>(first);
            Last[kind] = static_cast<std::uint8_t>(last);
        }
    }
};
static_assert(kRules.size() < 256);
constexpr TRowsOfKinds kRowsOfKinds;

} // namespace

std::span<const TReferenceRule> ReferenceRules(std::uint8_t tagKind)
{
    return std::span<const TReferenceRule>(kRules.data() + kRowsOfKinds.First[tagKind],
                                           kRowsOfKinds.Last[tagKind] - kRowsOfKinds.First[tagKind]);
}

const TReferenceRule* OwnLinkRule(std::uint8_t tagKind)
{
    for (const TReferenceRule& rule : ReferenceRules(tagKind))
        if (rule.IsOwnLink())
            return &rule;
    return nullptr;
}

bool CarriesReferences(std::uint8_t tagKind) { return !ReferenceRules(tagKind).empty(); }

std::optional<TReferenceKind> LinkRelationKind(std::string_view rel)
{
    bool inlineObject = false;
    bool document = false;
    std::size_t i = 0;
    while (i < rel.size()) {
        while (i < rel.size() && IsTagBlank(rel[i]))
            ++i;
        std::size_t end = i;
        while (end < rel.size() && !IsTagBlank(rel[end]))
            ++end;
        const std::string_view token = rel.substr(i, end - i);
        i = end;
        if (token.empty())
            continue;
        if (SameText(token, "stylesheet"))
            return TReferenceKind::StyleSheet;
        bool known = false;
        for (std::string_view loaded : {"icon", "apple-touch-icon", "apple-touch-icon-precomposed", "preload",
                                        "modulepreload", "prefetch", "mask-icon", "manifest"})
            known = known || SameText(token, loaded);
        // Connections to a server lead to no document.
        const bool connection = SameText(token, "preconnect") || SameText(token, "dns-prefetch");
        inlineObject = inlineObject || known;
        document = document || (!known && !connection && !SameText(token, "shortcut"));
    }
    if (inlineObject)
        return TReferenceKind::InlineObject;
    // next, prev, index, search, alternate ...: a document the reader may
    // go to, followed like any page link.
    if (document)
        return TReferenceKind::PageLink;
    return std::nullopt;
}

bool IsRefresh(std::string_view httpEquiv) { return SameText(TrimBlanks(std::string(httpEquiv)), "refresh"); }

std::uint8_t LinkTypeOf(TReferenceKind kind)
{
    switch (kind) {
    case TReferenceKind::PageLink:
    case TReferenceKind::Frame:
    case TReferenceKind::Form:
    case TReferenceKind::Base:
        return LinkTypePage;
    case TReferenceKind::Background:
        return LinkTypeBackground;
    case TReferenceKind::InlineObject:
    case TReferenceKind::StyleSheet:
    case TReferenceKind::Script:
        return LinkTypeInline;
    }
    return LinkTypePage;
}

std::vector<TValueSpan> AddressesInValue(std::string_view value, TValueForm form)
{
    std::vector<TValueSpan> spans;
    auto trimmed = [&](std::size_t begin, std::size_t end) {
        while (begin < end && IsTagBlank(value[begin]))
            ++begin;
        while (end > begin && IsTagBlank(value[end - 1]))
            --end;
        if (begin < end)
            spans.push_back({begin, end});
    };
    switch (form) {
    case TValueForm::Address:
        trimmed(0, value.size());
        break;
    case TValueForm::Srcset: {
        // Each candidate: blanks and commas, an address up to a blank (a
        // comma at its end belongs to the list), a descriptor up to a comma.
        std::size_t i = 0;
        while (i < value.size()) {
            while (i < value.size() && (IsTagBlank(value[i]) || value[i] == ','))
                ++i;
            if (i >= value.size())
                break;
            std::size_t end = i;
            while (end < value.size() && !IsTagBlank(value[end]))
                ++end;
            std::size_t addressEnd = end;
            while (addressEnd > i && value[addressEnd - 1] == ',')
                --addressEnd;
            if (addressEnd > i)
                spans.push_back({i, addressEnd});
            i = end;
            if (addressEnd == end) {
                // The descriptor runs to the next comma (parentheses aside).
                int depth = 0;
                while (i < value.size() && (depth > 0 || value[i] != ',')) {
                    if (value[i] == '(')
                        ++depth;
                    else if (value[i] == ')' && depth > 0)
                        --depth;
                    ++i;
                }
            }
        }
        break;
    }
    case TValueForm::Refresh: {
        // "5; url=address", "5;URL='address'", "5, address".
        std::size_t i = 0;
        while (i < value.size() && (IsTagBlank(value[i]) || (value[i] >= '0' && value[i] <= '9') || value[i] == '.'))
            ++i;
        if (i >= value.size() || (value[i] != ';' && value[i] != ','))
            break;
        ++i;
        while (i < value.size() && IsTagBlank(value[i]))
            ++i;
        if (value.size() - i >= 3 && SameText(value.substr(i, 3), "url")) {
            std::size_t j = i + 3;
            while (j < value.size() && IsTagBlank(value[j]))
                ++j;
            if (j < value.size() && value[j] == '=') {
                i = j + 1;
                while (i < value.size() && IsTagBlank(value[i]))
                    ++i;
            }
        }
        std::size_t end = value.size();
        if (i < end && (value[i] == '\'' || value[i] == '"')) {
            const char quote = value[i++];
            const std::size_t close = value.find(quote, i);
            if (close != std::string_view::npos)
                end = close;
        }
        trimmed(i, end);
        break;
    }
    }
    return spans;
}

} // namespace velbrin
