#pragma once

#include "html/Reference.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velbrin {

// What to write for an address found in a tag: the new address, or nullopt
// to leave it as captured.
using TAddressMap = std::function<std::optional<std::string>(std::string_view address, TReferenceKind kind)>;

// How RewriteOtherReferences treats the captured values.
enum class TCapturedValues : std::uint8_t {
    // Values are replaced for good: a capture making the addresses of a
    // page it just received absolute.
    Replace,
    // A changed value keeps its captured value beside it (the rule's OLD...
    // attribute, a marker comment in CSS) and every rewrite starts from the
    // captured values: rewriting twice gives the same bytes, and a map that
    // leaves every address gives back the tag as captured.
    Keep,
};

// Rewrites the references of a tag other than its own link (which the tag's
// link model handles): the attributes of the reference table's other rows
// (SRCSET candidates, POSTER, DATA-SRC, a META refresh address ...) and the
// url() references of its STYLE attribute. Nothing else of the tag changes.
std::string RewriteOtherReferences(std::string_view tagText, std::uint8_t tagKind, const TAddressMap& map,
                                   TCapturedValues captured);

// Whether the tag may hold such references: a quick test before the work.
bool MayHoldOtherReferences(std::string_view tagText, std::uint8_t tagKind);

} // namespace velbrin
