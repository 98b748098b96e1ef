// fuzz-seeds: tests/fixtures/pages
//
// Rewrites the input page against a small fixed Web (stored pages and
// pictures, a not-found page, a failed link, a picture with a map file), with
// the two flags taken from the input's length, so that every combination
// comes up as the input grows and shrinks. Rewriting the output again must give
// the same bytes, and, against the Web without its maps, what a rewrite adds
// must come off again: rewriting the output against an empty Web gives what
// rewriting the input against it gives. That holds for pages without OLDREF
// of their own (a rewrite may tidy one: an OLDREF without value is
// replaced) and without joins across a block (below).
#include "core/CaseFold.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "html/HtmlParser.h"
#include "rewrite/RewriteMarkers.h"
#include "rewrite/RewritePage.h"
#include "maps/MapList.h"
#include "store/WebTree.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

using namespace velbrin;

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "rewrite_fuzz: %s\n", what);
        std::abort();
    }
}

struct FuzzWeb {
    FuzzWeb()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velbrin-rewrite-fuzz-XXXXXX").string();
        Check(::mkdtemp(pattern.data()) != nullptr, "cannot create a directory");
        directory = pattern + "/";
        Add("http://www.example.org/a.htm", StateCapturedPage, "A.HTM");
        Add("http://www.example.org/dir/b.htm", StateCapturedPage, "B.HTM");
        Add("http://www.example.org/c.htm", StateNotFound, "NotFound.htm");
        Add("http://www.example.org/d.htm", StateError, "");
        Add("http://www.example.org/p.gif", StateCapturedFile, "P.GIF");
        Add("http://www.example.org/plan.gif", StateCapturedFile, "PLAN.GIF");
        Add("http://www.example.org/cgi-bin/map?1,1", StateCapturedPage, "MAP1.HTM");
        Add("a", StateCapturedPage, "LOCAL.HTM");
        TMapImg entry;
        entry.ImageFile = "PLAN.GIF";
        entry.MapFile = "PLAN.map";
        maps.Add(entry);
        WriteWholeFile(directory + "PLAN.map",
                       "<area shape=\"rect\" coords=\"0,0,2,2\" href=\"http://www.example.org/cgi-bin/map?1,1\">\r\n");
    }
    ~FuzzWeb()
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    void Add(std::string_view address, std::uint8_t state, std::string_view name)
    {
        auto file = std::make_unique<TWebFile>();
        file->State = state;
        file->SetFileName(name);
        std::unique_ptr<TWebFile> replaced;
        tree.AddFile(address, file, replaced);
    }

    std::string directory;
    TWebTree tree;
    TWebTree emptyTree;
    TMAPLIST maps;
    TMAPLIST noMaps;
};

const FuzzWeb& Web()
{
    static const FuzzWeb web;
    return web;
}

// Pages made by hand can join what no rewrite would join: a block whose
// opening marker ends a comment the page left open, or a tag left open that
// the block's "<" ended. Once the block is gone, the comment or the tag runs
// on into whatever followed the block. Our blocks are written at the end of
// a page, or after a picture and its text, so they never sit there.
bool JoinsAcrossABlock(std::string_view page)
{
    TMemoryStreamEx source(page);
    THtmlParser parser(source);
    TRewriteBlocks blocks(parser, source.View());
    for (int i = 1; i + 1 < parser.Count(); ++i) {
        if (blocks.OpensBlock(i) && blocks.KeptPrefix(i) > 0)
            return true;
        const TTag& tag = parser.Item(i);
        const bool nextGoes = blocks.DropsTag(i + 1) || blocks.OpensBlock(i + 1);
        if (nextGoes && !blocks.DropsTag(i) && tag.Position + tag.Length > parser.Item(i + 1).Position)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const FuzzWeb& web = Web();
    const std::string address = "http://www.example.org/index.htm";

    const TRewriteFlags flags{(size & 1) != 0, (size & 2) != 0};
    const TPageRewriter rewriter(web.directory, web.tree, web.maps, flags, 35771.0);
    const std::string first = rewriter.Rewrite(page, address);
    const std::string second = rewriter.Rewrite(first, address);
    Check(second == first, "a second rewrite changed the page");

    if (FindNoCase(page, "OLDREF") == std::string_view::npos && !JoinsAcrossABlock(page)) {
        const TPageRewriter full(web.directory, web.tree, web.noMaps, TRewriteFlags{true, false}, 35771.0);
        const TPageRewriter empty(web.directory, web.emptyTree, web.noMaps, TRewriteFlags{}, 35771.0);
        Check(empty.Rewrite(full.Rewrite(page, address), address) == empty.Rewrite(page, address),
              "what a rewrite added did not come off");
    }
    return 0;
}
