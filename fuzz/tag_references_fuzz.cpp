// fuzz-seeds: tests/fixtures/tags tests/fixtures/pages
//
// Reads the input as a page and rewrites the references of each of its tags
// other than the tag's own link (srcset candidates, lazy pictures, posters,
// a META refresh, url() in a style attribute), keeping the captured values,
// with answers that depend only on the address (left alone, the same
// address, a flat file name, an absolute address, a value that needs quotes
// and references). An input that is one tag is rewritten too as a tag of a
// kind taken from its length. For every tag: a second rewrite changes
// nothing; and, for a tag without kept values of its own (no OLD...
// attribute of the table, no style sheet marker), a rewrite with no answers
// changes nothing and gives the rewritten tag back as it was (a STYLE
// attribute comes back as the same value, written anew: character
// references and quotes may differ from the captured ones). Replacing the
// values for good, as a capture does, must not fail either.
#include "core/CaseFold.h"
#include "core/MemoryStream.h"
#include "html/CssMarker.h"
#include "html/HtmlParser.h"
#include "html/ReferenceTable.h"
#include "html/TagParam.h"
#include "html/TagReferences.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace velbrin;

namespace {

void Check(bool condition, const char* what, std::string_view tag)
{
    if (!condition) {
        std::fprintf(stderr, "tag_references_fuzz: %s\n%.*s\n", what, static_cast<int>(tag.size()), tag.data());
        std::abort();
    }
}

std::optional<std::string> Answer(std::string_view address, TReferenceKind kind)
{
    const std::size_t hash = std::hash<std::string_view>()(address) + static_cast<std::size_t>(kind);
    switch (hash % 5) {
    case 0:
        return std::nullopt;
    case 1:
        return std::string(address);
    case 2:
        return "FILE" + std::to_string(hash % 1000) + ".PNG";
    case 3:
        return "http://www.example.org/" + std::to_string(hash % 100) + ".htm";
    default:
        return "a b\"c'&amp;<d>,e";
    }
}

std::optional<std::string> NoAnswer(std::string_view, TReferenceKind) { return std::nullopt; }

bool HoldsKeptValues(std::string_view tag)
{
    for (std::uint8_t kind : {TagImg, TagSource, TagVideo, TagMeta}) {
        for (const TReferenceRule& rule : ReferenceRules(kind))
            if (!rule.IsOwnLink() && FindNoCase(tag, rule.OldAttribute) != std::string_view::npos)
                return true;
    }
    return FindNoCase(tag, kCssMarkerPrefix) != std::string_view::npos;
}

// The tags hold the same attributes with the same values.
bool ReadTheSame(std::string_view a, std::string_view b)
{
    const std::vector<TTagAttribute> first = ReadTagAttributes(a);
    const std::vector<TTagAttribute> second = ReadTagAttributes(b);
    if (first.size() != second.size())
        return false;
    for (std::size_t i = 0; i < first.size(); ++i)
        if (!SameText(first[i].Name, second[i].Name) || first[i].Param.Value != second[i].Param.Value)
            return false;
    return true;
}

void CheckTag(std::string_view tag, std::uint8_t kind)
{
    const TAddressMap answer = Answer;
    const TAddressMap none = NoAnswer;
    const std::string once = RewriteOtherReferences(tag, kind, answer, TCapturedValues::Keep);
    Check(RewriteOtherReferences(once, kind, answer, TCapturedValues::Keep) == once,
          "a second rewrite changed the tag", tag);
    if (!HoldsKeptValues(tag)) {
        Check(RewriteOtherReferences(tag, kind, none, TCapturedValues::Keep) == tag,
              "a rewrite with no answers changed the tag", tag);
        const std::string back = RewriteOtherReferences(once, kind, none, TCapturedValues::Keep);
        Check(back == tag || (FindNoCase(tag, "STYLE") != std::string_view::npos && ReadTheSame(back, tag)),
              "the captured values did not come back", tag);
    }
    RewriteOtherReferences(tag, kind, answer, TCapturedValues::Replace);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    TMemoryStreamEx source(input);
    const THtmlParser parser(source);
    for (int i = 1; i + 1 < parser.Count(); ++i) {
        const TTag& tag = parser.Item(i);
        if (!tag.IsBoundary() && tag.IsOpen() && MayHoldOtherReferences(parser.FullTagText(i), tag.Kind))
            CheckTag(parser.FullTagText(i), tag.Kind);
    }
    // An input that reads as one tag, also as a tag of another kind.
    if (parser.Count() == 3 && static_cast<std::size_t>(parser.Item(1).Length) == size) {
        constexpr std::array kinds = {TagImg, TagSource, TagVideo, TagMeta, TagA, TagUnknown};
        CheckTag(input, kinds[size % kinds.size()]);
    }
    return 0;
}
