#pragma once

#include "html/Reference.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A reference of a style sheet, with what a rewrite needs beside it.
//
// References are read the way a browser tokenizes CSS: url(...) unquoted or
// with a string (the function name in any case, escapes allowed, but not as
// the end of a longer name: "xurl(", "--url(", "1url(", "#url(" are no
// references), and @import followed by a string or by url(...). Comments and
// strings elsewhere are skipped. An invalid value (a raw newline in the
// string, quotes or blanks inside an unquoted value, a string followed by
// anything but ")") is no reference, nor is an empty one. data: addresses are
// references like any other; the caller decides what to do with them.
//
// A reference followed by its marker (CssMarker.h) is reported with the
// captured value the marker keeps: Address is always the captured address.
struct TCssReference {
    // Kind: StyleSheet for @import, InlineObject for every other url().
    // Source: "@import" or "url". Begin, End: the value as now written, quotes
    // excluded. Address: the captured address, escapes decoded, blanks around
    // it removed.
    TReference Reference;
    // The value as now written, quotes included: what a rewrite replaces.
    std::size_t ValueBegin = 0;
    std::size_t ValueEnd = 0;
    // Where a marker goes (just after the ")" of url(), just after the string
    // of @import "...") and where the marker found there ends; both the same
    // when there is none.
    std::size_t MarkerBegin = 0;
    std::size_t MarkerEnd = 0;
    // The captured value exactly as it was written, quotes and escapes kept.
    std::string Captured;
    // The text ends inside the reference (no ")" or closing quote): there is
    // nowhere to keep a marker, so a rewrite leaves it as it stands.
    bool Unterminated = false;
    // The value may be written without quotes: a url() whose value is
    // followed by nothing but blanks before its ")".
    bool MayBeUnquoted = false;

    bool HasMarker() const { return MarkerEnd != MarkerBegin; }
};

// Every reference of a style sheet, a STYLE block or a style attribute value,
// in the order of the text.
std::vector<TCssReference> FindCssReferences(std::string_view css);

std::vector<TReference> ExtractCssReferences(std::string_view css);

class TCssExtractor : public TReferenceExtractor {
public:
    std::vector<TReference> Extract(std::string_view css) const override { return ExtractCssReferences(css); }
};

} // namespace velbrin
