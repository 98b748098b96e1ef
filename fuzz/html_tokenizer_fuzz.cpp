// fuzz-seeds: tests/fixtures/pages
//
// Tokenizes the input, reads the link of every item and writes every item back
// with a new link and OLDREF; the page copied through the parser must be the
// input, byte for byte, and no rewritten tag may lose its ends.
#include "core/MemoryStream.h"
#include "core/Entities.h"
#include "html/AttributeValue.h"
#include "html/HtmlParser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace velbrin;

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "html_tokenizer_fuzz: %s\n", what);
        std::abort();
    }
}

void CheckPositions(const TTagParam& param, const std::string& tagText)
{
    if (!param.Found() || tagText.size() > 65535)
        return;
    Check(param.ParamStart >= 2 && param.ParamStart + param.ParamLength <= tagText.size(), "attribute outside the tag");
    Check(param.ValueStart >= 2 && param.ValueStart + param.ValueLength <= tagText.size(), "value outside the tag");
    // References only ever shorten a value, and a value written back reads
    // back the same.
    Check(param.Value.size() <= param.ValueLength, "value longer than its bytes");
    for (char quote : {'"', '\''})
        Check(DecodeAttributeValue(EncodeAttributeValue(param.Value, quote)) == param.Value, "value reads back otherwise");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStreamEx source(bytes);
    THtmlParser parser(source);
    Check(parser.Count() >= 2, "fewer than two items");

    TMemoryStreamEx itemByItem;
    TMemoryStreamEx likeWriters;
    TMemoryStreamEx copied;
    TMemoryStreamEx written;
    TMemoryStreamEx unchanged;
    TLinkParam link;
    for (int i = 0; i + 1 < parser.Count(); ++i) {
        parser.CopyTagAndText(i, itemByItem);
        if (!parser.Item(i).IsBoundary())
            parser.CopyTag(i, likeWriters);
        parser.CopyTextAfter(i, likeWriters);

        parser.GetLink(i, link);
        (void)AcceptLink(link);
        (void)DecodeEntities(link.Description);
        Check(link.Description.size() <= 255, "description longer than 255");
        const std::string tagText = parser.FullTagText(i);
        CheckPositions(link.Link, tagText);
        CheckPositions(link.OldLink, tagText);

        copied.Reset();
        parser.CopyTag(i, copied);
        written.Reset();
        parser.WriteLinkTag(i, written, link, "NEW.HTM", "http://www.example.org/old.htm");
        const std::string_view tag = copied.View();
        const std::string_view rewritten = written.View();
        Check(tag.empty() == rewritten.empty(), "a tag appeared or vanished");
        if (!tag.empty()) {
            Check(rewritten.front() == tag.front(), "a rewritten tag lost its first byte");
            if (tag.size() == tagText.size())
                Check(rewritten.back() == tag.back(), "a rewritten tag lost its end");
        }
        if (link.OldLink.Value.empty()) {
            unchanged.Reset();
            parser.WriteLinkTag(i, unchanged, link, "NEW.HTM", "");
            Check(unchanged.View() == tag, "a tag without OLDREF changed without an address to keep");
        }
    }
    Check(itemByItem.View() == bytes, "CopyTagAndText lost or added bytes");
    Check(likeWriters.View() == bytes, "CopyTag and CopyTextAfter lost or added bytes");
    return 0;
}
