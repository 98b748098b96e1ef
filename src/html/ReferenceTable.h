#pragma once

#include "html/Reference.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velbrin {

// How an attribute's value holds its addresses.
enum class TValueForm : std::uint8_t {
    Address, // the whole value is one address
    Srcset,  // candidates "address [descriptor]" separated by commas
    Refresh, // META refresh: "5; url=address"
};

// One row of the table of which attributes of which tags carry references.
// This table is the one answer to that question for page preparation, the
// map scan, the rewriter and the index.
struct TReferenceRule {
    std::uint8_t TagKind;
    std::string_view Attribute; // matched without regard to case
    TReferenceKind Kind;        // for LINK and META, what the tag's other attributes make it
    TValueForm Form;
    // The attribute that keeps the captured value beside a rewritten one.
    // "OLDREF" marks the tag's own link (one per tag kind), whose OLDREF
    // holds the captured address; the others hold the whole captured value.
    std::string_view OldAttribute;

    bool IsOwnLink() const { return OldAttribute == "OLDREF"; }
};

// The rows of a tag kind, its own link first; none for a kind without references.
std::span<const TReferenceRule> ReferenceRules(std::uint8_t tagKind);
// The tag kind's own link, if it has one.
const TReferenceRule* OwnLinkRule(std::uint8_t tagKind);
// Whether any attribute of the kind may carry a reference.
bool CarriesReferences(std::uint8_t tagKind);

// What a LINK tag leads to, by its REL tokens: a style sheet; an icon or a
// preloaded resource as an inline object; a document of another relation
// (next, index, search ...) as a page link; nothing for a connection to a
// server (preconnect, dns-prefetch) or no relation, whose address is kept as
// written.
std::optional<TReferenceKind> LinkRelationKind(std::string_view rel);
// Whether a META tag's HTTP-EQUIV makes its CONTENT a refresh.
bool IsRefresh(std::string_view httpEquiv);

// The link type the Web keeps for a reference of this kind: pages (and
// frames, forms) are explored, everything else is stored for the page.
std::uint8_t LinkTypeOf(TReferenceKind kind);

// Where the addresses lie in a decoded value of the given form: byte spans
// [first, second) of value, in order. Empty addresses are left out.
struct TValueSpan {
    std::size_t Begin;
    std::size_t End;
};
std::vector<TValueSpan> AddressesInValue(std::string_view value, TValueForm form);

} // namespace velbrin
