// fuzz-seeds: tests/fixtures/bookmarks
//
// Reads the input as a bookmark file. A file that loads is saved and read
// again: it must load, hold as many folders and links, and save to the same
// bytes. A file that does not load, or raises, leaves an empty tree. Every
// attribute found lies inside its tag.
#include "browser/BookmarkScanner.h"
#include "browser/Bookmarks.h"
#include "core/Errors.h"

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
        std::fprintf(stderr, "bookmarks_fuzz: %s\n", what);
        std::abort();
    }
}

struct Counts {
    std::size_t Folders = 0;
    std::size_t Items = 0;
};

void Count(const TBookmarkFolder& folder, Counts& counts, int depth)
{
    Check(depth <= kMaxBookmarkDepth + 1, "folders nested deeper than allowed");
    Check(folder.ItemCount() + folder.FolderCount() == static_cast<std::int32_t>(folder.Children().size()),
          "counts do not match the children");
    for (const auto& child : folder.Children()) {
        Check(child->Parent() == &folder, "a child with the wrong parent");
        if (const TBookmarkFolder* sub = child->AsFolder()) {
            ++counts.Folders;
            Count(*sub, counts, depth + 1);
        } else {
            ++counts.Items;
            Check(!child->AsItem()->Url.empty(), "a link without address");
        }
    }
}

void CheckAttributes(std::string_view bytes)
{
    TBookmarkScanner scanner(bytes);
    TBookmarkToken token;
    std::size_t covered = scanner.Leading().size();
    while (scanner.Next(token)) {
        Check(token.Tag.size() >= 2 && token.Tag.front() == '<' && token.Tag.back() == '>', "a tag without its ends");
        covered += token.Tag.size() + token.Text.size();
        for (const char* name : {"HREF", "ADD_DATE", "x"}) {
            if (std::optional<std::string_view> value = TagAttribute(token.Tag, name)) {
                Check(value->data() >= token.Tag.data() &&
                          value->data() + value->size() <= token.Tag.data() + token.Tag.size(),
                      "an attribute value outside its tag");
            }
        }
    }
    Check(covered == bytes.size(), "the scanner lost or added bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckAttributes(bytes);

    TBookMarks first;
    TBookmarkLoad result = BookmarksMissing;
    try {
        result = first.LoadFrom(bytes);
    } catch (const EVelbrinError&) {
        Check(first.Children().empty(), "a failed load left a tree");
        return 0;
    }
    if (result != BookmarksLoaded) {
        Check(first.Children().empty(), "a failed load left a tree");
        return 0;
    }
    Counts before;
    Count(first, before, 0);

    const std::string saved = first.SaveText();
    TBookMarks second;
    Check(second.LoadFrom(saved) == BookmarksLoaded, "a saved file does not load");
    Counts after;
    Count(second, after, 0);
    Check(after.Folders == before.Folders && after.Items == before.Items, "a round trip lost folders or links");
    Check(second.SaveText() == saved, "saving what was read back gives other bytes");
    return 0;
}
