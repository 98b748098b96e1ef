// fuzz-seeds: tests/fixtures/css
//
// Reads the input as a style sheet and rewrites it with answers that depend
// only on the address (left alone, the same address, a flat file name, a
// value that needs quotes and escapes, an empty value), so that a second pass
// gets the answers of the first. The references lie inside the text, in
// order; a second rewrite changes nothing; and, for a sheet without markers
// of its own, rewriting with no answers changes nothing, the rewritten sheet
// holds the same addresses, and rewriting it with no answers gives the sheet back.
#include "html/CssMarker.h"
#include "html/CssReferences.h"
#include "html/CssRewriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

using namespace velbrin;

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "css_references_fuzz: %s\n", what);
        std::abort();
    }
}

std::optional<std::string> Answer(const TReference& reference)
{
    const std::size_t hash = std::hash<std::string>()(reference.Address);
    switch (hash % 6) {
    case 0:
        return std::nullopt;
    case 1:
        return reference.Address;
    case 2:
        return "IMAGE" + std::to_string(hash % 1000) + ".PNG";
    case 3:
        return "a b(\"'<>\\\n\t*/" + reference.Address;
    case 4:
        return std::string();
    default:
        return reference.Address + "?x";
    }
}

std::optional<std::string> Keep(const TReference&)
{
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view css(reinterpret_cast<const char*>(data), size);

    const std::vector<TCssReference> found = FindCssReferences(css);
    std::size_t previous = 0;
    for (const TCssReference& reference : found) {
        const TReference& r = reference.Reference;
        Check(previous <= reference.ValueBegin && reference.ValueBegin <= r.Begin && r.Begin <= r.End &&
                  r.End <= reference.ValueEnd && reference.ValueEnd <= reference.MarkerBegin &&
                  reference.MarkerBegin <= reference.MarkerEnd && reference.MarkerEnd <= css.size(),
              "a reference lies outside the text or out of order");
        Check(!r.Address.empty() && !reference.Captured.empty(), "an empty reference");
        previous = reference.MarkerEnd;
    }

    const std::string once = RewriteCss(css, Answer);
    Check(RewriteCss(once, Answer) == once, "a second rewrite changed the sheet");

    if (css.find(kCssMarkerPrefix.substr(2)) == std::string_view::npos) {
        Check(RewriteCss(css, Keep) == css, "a rewrite without answers changed the sheet");
        const std::vector<TCssReference> again = FindCssReferences(once);
        Check(again.size() == found.size(), "the rewritten sheet has other references");
        for (std::size_t i = 0; i < found.size(); ++i)
            Check(again[i].Reference.Address == found[i].Reference.Address, "a rewrite lost a captured address");
        Check(RewriteCss(once, Keep) == css, "what a rewrite wrote did not come off");
    }
    return 0;
}
