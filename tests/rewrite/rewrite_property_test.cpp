// Rewriting is repeatable and loses nothing, over generated pages and over
// real pages: for any page P, flags F and Web W,
//   Rewrite(Rewrite(P)) == Rewrite(P)
// and, but for the client-side maps that replace server-side ones, what a
// rewrite adds can be taken away again:
//   Rewrite(Rewrite(P) against W with a footer, against an empty Web)
//     == Rewrite(P against an empty Web).
#include "rewrite/RewriteWeb.h"

#include "core/MemoryStream.h"
#include "core/Url.h"
#include "html/HtmlParser.h"
#include "rewrite/RewriteFooter.h"
#include "rewrite/RewriteMarkers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

using namespace velbrin;
using velbrin::test::RewriteWeb;

namespace {

namespace fs = std::filesystem;

const TRewriteFlags kAllFlags[] = {{false, false}, {true, false}, {false, true}, {true, true}};

const std::string kSite = "http://www.example.org/";
const std::string kLong = kSite + std::string(300, 'l') + ".htm";

// A Web in which some addresses are stored, some were not found, some failed
// and the rest are unknown; one stored picture may have a map.
struct MixedWeb : RewriteWeb {
    explicit MixedWeb(bool withMap)
    {
        Add(kSite + "a.htm", StateCapturedPage, "A.HTM");
        Add(kSite + "dir/b.htm", StateCapturedPage, "B.HTM");
        Add(kSite + "c.htm", StateNotFound, "NotFound.htm");
        Add(kSite + "d.htm", StateError, "");
        Add(kSite + "p.gif", StateCapturedFile, "P.GIF");
        Add(kSite + "plan.gif", StateCapturedFile, "PLAN.GIF");
        Add(kSite + "cgi-bin/map?1,1", StateCapturedPage, "MAP1.HTM");
        if (withMap)
            AddMap("PLAN.GIF", "PLAN.map", "<area shape=\"rect\" coords=\"0,0,2,2\" href=\"MAP1.HTM\">\r\n");
    }
};

// The page with its line ends visible, for failure messages.
std::string Shown(std::string_view page)
{
    std::string shown;
    for (char c : page) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    return shown;
}

std::string Pick(std::mt19937& random, const std::vector<std::string>& choices)
{
    return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random)];
}

// A page as a capture stores it, when captured is set (absolute links, no
// marks of a rewrite), or any mix of what rewritten pages hold.
std::string GeneratePage(std::mt19937& random, bool captured)
{
    const std::vector<std::string> pages = {kSite + "a.htm", kSite + "dir/b.htm", kSite + "c.htm", kSite + "d.htm",
                                            kSite + "e.htm", kSite + "a.htm#part", kLong, "mailto:x@example.org"};
    const std::vector<std::string> pictures = {kSite + "p.gif", kSite + "plan.gif", kSite + "q.gif"};
    std::vector<std::string> pieces = {
        "text ", "\r\n", "a > b ", "<P>", "<BR>", "</A>", "<!-- comment -->", "<!DOCTYPE html>", "<A NAME=x>",
        "<TITLE>t</TITLE>", "<HTML>", "<MAP NAME=m>", "</MAP>", "<A HREF=\"#top\">",
    };
    const std::string page = Pick(random, pages);
    const std::string picture = Pick(random, pictures);
    // The same tags with another address: a pass judges tags that differ
    // only in their addresses alike, whatever each address leads to.
    const std::string other = Pick(random, pages);
    pieces.push_back("<A HREF=\"" + other + "\">");
    pieces.push_back("<IMG SRC=\"" + Pick(random, pictures) + "\" ALT=\"a b\">");
    pieces.push_back("<A HREF=\"" + page + "\">");
    pieces.push_back("<a href=" + page + " target=_top>");
    pieces.push_back("<IMG SRC=\"" + picture + "\" ALT=\"a b\">");
    pieces.push_back("<img src=" + picture + ">");
    pieces.push_back("<BODY BACKGROUND=" + picture + " BGCOLOR=white>");
    pieces.push_back("<FRAME SRC=\"" + page + "\">");
    pieces.push_back("<AREA SHAPE=rect HREF=" + page + ">");
    pieces.push_back("<FORM ACTION=\"" + page + "\">");
    pieces.push_back("<INPUT TYPE=image SRC=\"" + picture + "\">");
    if (!captured) {
        pieces.push_back("<BASE HREF=\"" + kSite + "\">");
        pieces.push_back("<IMG SRC=\"" + picture + "\" ISMAP>");
        pieces.push_back("<img ismap src=" + picture + ">");
        pieces.push_back("<IMG SRC=\"" + picture + "\" _SMAP>");
        pieces.push_back("<IMG SRC=\"" + picture + "\" USEMAP=\"#PLAN\">");
        pieces.push_back("<A HREF=\"X.HTM\" OLDREF=\"" + page + "\">");
        pieces.push_back("<A HREF=\"X.HTM\" OLDREF=\"" + other + "\">");
        pieces.push_back("<IMG SRC=\"\" OLDREF=\"" + picture + "\">");
        pieces.push_back("<A HREF=BadLink.htm OLDREF=\"" + page + "\">");
        pieces.push_back(RealLinkFooter(page, RewriteWeb::kCaptureDate));
        pieces.push_back(RealLinkFooter(page, RewriteWeb::kCaptureDate).substr(0, 120));
        for (std::string_view marker : {kFooterOn, kFooterOff, kMapOn, kMapOff})
            pieces.emplace_back(marker);
        pieces.push_back("<!-- VELBRIN=ON -->");
        pieces.push_back("<");
        pieces.push_back(">");
        pieces.push_back("\"");
        pieces.push_back("<!-- open ");
        pieces.push_back("<!x");
        pieces.push_back("<A HREF=" + page + " ");
    }
    std::string result;
    const int count = std::uniform_int_distribution<int>(0, 30)(random);
    for (int k = 0; k < count; ++k)
        result += Pick(random, pieces);
    return result;
}

void ExpectRepeatable(const RewriteWeb& web, const std::string& page, const std::string& what)
{
    for (const TRewriteFlags& flags : kAllFlags) {
        const std::string first = web.Rewrite(page, flags);
        const std::string second = web.Rewrite(first, flags);
        ASSERT_EQ(second, first) << what << " flags " << flags.RealLinkFlag << flags.SuppressLinkFlag
                                 << "\npage: " << Shown(page);
        // Given only the items it reads, the pass writes the same bytes, on
        // a page and on one that holds its blocks.
        ASSERT_EQ(web.RewriteThinned(page, flags), first) << what << "\npage: " << Shown(page);
        ASSERT_EQ(web.RewriteThinned(first, flags), second) << what << "\npage: " << Shown(first);
        if (flags.RealLinkFlag) {
            ASSERT_NE(first.find(RealLinkFooter(RewriteWeb::kPageAddress, RewriteWeb::kCaptureDate)),
                      std::string::npos)
                << what;
        }
    }
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

void ExpectRemovable(const RewriteWeb& web, const RewriteWeb& empty, const std::string& page, const std::string& what)
{
    if (JoinsAcrossABlock(page))
        return;
    const std::string rewritten = web.Rewrite(page, {true, false});
    ASSERT_EQ(empty.Rewrite(rewritten), empty.Rewrite(page)) << what << "\npage: " << Shown(page);
}

// The page as a capture would store it: every link made absolute against the
// page's address (or the BASE address once there is one).
std::string Capture(const std::string& page, std::string base)
{
    TMemoryStreamEx source(page);
    THtmlParser parser(source);
    TMemoryStreamEx out;
    TLinkParam link;
    for (int i = 0; i + 1 < parser.Count(); ++i) {
        if (!parser.GetLink(i, link) || link.Link.Value.empty()) {
            parser.CopyTagAndText(i, out);
            continue;
        }
        const std::string absolute = ResolveUrl(link.Link.Value, base);
        TTagEdits edits;
        if (IsValidUrl(absolute) && GetProtocol(absolute) == ProtocolHttp)
            edits.Replace(link.Link.ValueStart, link.Link.ValueLength, absolute);
        parser.WriteTag(i, out, edits);
        parser.CopyTextAfter(i, out);
        if (link.TagKind == TagBase)
            base = absolute;
    }
    return out.ToString();
}

std::vector<fs::path> FixturePages()
{
    std::vector<fs::path> pages;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(VELBRIN_FIXTURES) / "pages")) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "copyright" && name != "README")
            pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every address a page links to.
std::vector<std::string> LinksOf(const std::string& page)
{
    TMemoryStreamEx source(page);
    THtmlParser parser(source);
    std::vector<std::string> links;
    TLinkParam link;
    for (int i = 1; i + 1 < parser.Count(); ++i) {
        if (parser.GetLink(i, link) && !link.Link.Value.empty() &&
            std::find(links.begin(), links.end(), link.Link.Value) == links.end())
            links.push_back(link.Link.Value);
    }
    return links;
}

} // namespace

TEST(RewriteProperty, GeneratedPages)
{
    MixedWeb web(true);
    MixedWeb withoutMap(false);
    RewriteWeb empty;
    std::mt19937 random(20240601);
    for (int n = 0; n < 3000; ++n) {
        const bool captured = n % 2 == 0;
        const std::string page = GeneratePage(random, captured);
        ExpectRepeatable(web, page, "page " + std::to_string(n));
        ExpectRemovable(withoutMap, empty, page, "page " + std::to_string(n));
        if (captured) {
            // A captured page against an empty Web: not a byte changes.
            ASSERT_EQ(empty.Rewrite(page), page) << "page " << n;
        }
        if (HasFatalFailure())
            return;
    }
}

TEST(RewriteProperty, FixturePages)
{
    const std::vector<fs::path> files = FixturePages();
    ASSERT_GE(files.size(), 10u);
    for (const fs::path& file : files) {
        const std::string address = kSite + "manual/" + file.filename().string();
        const std::string page = Capture(ReadBytes(file), address);

        // Of the page's links, one in three is stored, one in three was not
        // found and the others are not in the tree.
        RewriteWeb web;
        RewriteWeb empty;
        int n = 0;
        for (const std::string& link : LinksOf(page)) {
            if (!IsValidUrl(link) || web.tree.FindFile(link))
                continue;
            if (n % 3 == 0) {
                web.Add(link, StateCapturedPage, "F" + std::to_string(n) + ".HTM");
            } else if (n % 3 == 1) {
                web.Add(link, StateNotFound, "NotFound.htm");
            }
            ++n;
        }
        ExpectRepeatable(web, page, file.string());
        ExpectRemovable(web, empty, page, file.string());
        if (file.extension() == ".html") {
            EXPECT_NE(web.Rewrite(page), page) << file << " has links to rewrite";
        }
    }
}
