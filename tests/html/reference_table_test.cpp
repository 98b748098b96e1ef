// Which tags and attributes carry references, and where the addresses lie
// in their values, on lines of real pages.
#include "html/HtmlPage.h"
#include "html/LinkParam.h"
#include "html/ReferenceTable.h"
#include "html/TagReferences.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace velbrin;
using velbrin::test::HtmlPage;

namespace {

const char* KindName(TReferenceKind kind)
{
    switch (kind) {
    case TReferenceKind::PageLink: return "page";
    case TReferenceKind::InlineObject: return "inline";
    case TReferenceKind::Background: return "background";
    case TReferenceKind::StyleSheet: return "sheet";
    case TReferenceKind::Script: return "script";
    case TReferenceKind::Frame: return "frame";
    case TReferenceKind::Form: return "form";
    case TReferenceKind::Base: return "base";
    }
    return "?";
}

// Every reference of a page: "kind address" for each tag's own link, then
// "+kind address" for its other references.
std::vector<std::string> References(std::string_view bytes)
{
    HtmlPage page(bytes);
    std::vector<std::string> found;
    const TAddressMap record = [&](std::string_view address, TReferenceKind kind) -> std::optional<std::string> {
        found.push_back("+" + std::string(KindName(kind)) + " " + std::string(address));
        return std::nullopt;
    };
    for (int i = 1; i + 1 < page.parser.Count(); ++i) {
        const TTag& tag = page.parser.Item(i);
        if (tag.IsBoundary() || !tag.IsOpen())
            continue;
        TLinkParam link;
        if (page.parser.GetLink(i, link) && link.Link.Found()) {
            found.push_back(std::string(KindName(link.Kind)) + " " + link.Link.Value);
            EXPECT_EQ(link.LinkType, LinkTypeOf(link.Kind)) << link.Link.Value;
        }
        const std::string text = page.parser.FullTagText(i);
        EXPECT_EQ(RewriteOtherReferences(text, tag.Kind, record, TCapturedValues::Keep), text);
    }
    return found;
}

std::vector<std::string> Addresses(std::string_view value, TValueForm form)
{
    std::vector<std::string> addresses;
    for (const TValueSpan& span : AddressesInValue(value, form))
        addresses.emplace_back(value.substr(span.Begin, span.End - span.Begin));
    return addresses;
}

std::string HeadOf(const char* fixture)
{
    std::ifstream in(std::filesystem::path(VELBRIN_FIXTURES) / "pages/python-doc" / fixture, std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t end = page.find("</head>");
    EXPECT_NE(end, std::string::npos);
    return page.substr(0, end);
}

using Strings = std::vector<std::string>;

} // namespace

TEST(ReferenceTable, HeadOfADocumentationPage)
{
    // Style sheets and scripts are loaded with the page, the shortcut icon is
    // shown in it; every other relation is a document to go to. The viewport
    // META and the STYLE block carry nothing.
    EXPECT_EQ(References(HeadOf("about.html")),
              (Strings{"sheet _static/pygments.css",
                       "sheet _static/pydoctheme.css?2022.1",
                       "script _static/documentation_options.js",
                       "script _static/jquery.js",
                       "script _static/underscore.js",
                       "script _static/_sphinx_javascript_frameworks_compat.js",
                       "script _static/doctools.js",
                       "script _static/sphinx_highlight.js",
                       "script _static/sidebar.js",
                       "page _static/opensearch.xml",
                       "page #",
                       "page genindex.html",
                       "page search.html",
                       "page copyright.html",
                       "page bugs.html",
                       "page glossary.html",
                       "page file:///usr/share/doc/python3.11/html/about.html",
                       "inline _static/py.svg",
                       "script _static/copybutton.js",
                       "script _static/menu.js"}));
}

TEST(ReferenceTable, LinkRelationsOfOtherSites)
{
    EXPECT_EQ(References("<link rel=\"preconnect\" href=\"https://fonts.googleapis.com\">"
                         "<link rel=\"preconnect\" href=\"https://fonts.gstatic.com\" crossorigin>"
                         "<link rel=dns-prefetch href=\"//cdn.example.net\">"
                         "<link href=\"no-rel.css\">"
                         "<link rel=\"preload\" href=\"/fonts/inter.woff2\" as=\"font\" type=\"font/woff2\" crossorigin>"
                         "<link rel=\"apple-touch-icon\" sizes=\"180x180\" href=\"/apple-touch-icon.png\">"
                         "<link rel=\"manifest\" href=\"/site.webmanifest\">"
                         "<LINK REL=\"Alternate Stylesheet\" TITLE=\"Large\" HREF=\"large.css\">"
                         "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"RSS\" href=\"/feed.xml\">"
                         "<link rel=\"preconnect next\" href=\"/p2/\">"),
              (Strings{"inline /fonts/inter.woff2", "inline /apple-touch-icon.png", "inline /site.webmanifest",
                       "sheet large.css", "page /feed.xml", "page /p2/"}));
}

TEST(ReferenceTable, MediaTagsAndTheirOtherReferences)
{
    EXPECT_EQ(References("<img src=\"/images/logo-200.png\" srcset=\"/images/logo-200.png 1x, /images/logo-400.png 2x\" "
                         "data-src=\"lazy.jpg\" alt=\"\">"
                         "<picture><source type=\"image/webp\" srcset=\"hero.webp?w=640,480 640w, hero.webp?w=1280,960 1280w\">"
                         "<video controls poster=\"poster.jpg\" src=\"clip.mp4\"><track kind=captions src=\"clip.vtt\"></video>"
                         "<iframe src=\"frame.htm#top\"></iframe><object data=\"movie.swf\"></object><embed src=\"e.svg\">"
                         "<div style=\"background:url('bg.png') no-repeat\">"),
              (Strings{"inline /images/logo-200.png", "+inline /images/logo-200.png", "+inline /images/logo-400.png",
                       "+inline lazy.jpg", "+inline hero.webp?w=640,480", "+inline hero.webp?w=1280,960",
                       "inline clip.mp4", "+inline poster.jpg", "inline clip.vtt", "frame frame.htm",
                       "inline movie.swf", "inline e.svg", "+inline bg.png"}));
}

TEST(ReferenceTable, SrcsetCandidates)
{
    EXPECT_EQ(Addresses("a.png 1x, b.png 2x", TValueForm::Srcset), (Strings{"a.png", "b.png"}));
    // A comma inside an address that a descriptor follows is the address's.
    EXPECT_EQ(Addresses("img.jpg?w=100,200 100w, img.jpg?w=300,400 300w", TValueForm::Srcset),
              (Strings{"img.jpg?w=100,200", "img.jpg?w=300,400"}));
    // Commas at an address's end separate candidates; inside, they belong to it.
    EXPECT_EQ(Addresses("a.png,b.png", TValueForm::Srcset), (Strings{"a.png,b.png"}));
    EXPECT_EQ(Addresses("a.png, b.png,,", TValueForm::Srcset), (Strings{"a.png", "b.png"}));
    EXPECT_EQ(Addresses("data:image/gif;base64,R0lGODlhAQABAAAAACw= 1x, hi.png 2x", TValueForm::Srcset),
              (Strings{"data:image/gif;base64,R0lGODlhAQABAAAAACw=", "hi.png"}));
    EXPECT_EQ(Addresses("\n   small.jpg \t 480w ,\n   large.jpg   1080w  \n", TValueForm::Srcset),
              (Strings{"small.jpg", "large.jpg"}));
    // A descriptor with a comma in parentheses stays one descriptor.
    EXPECT_EQ(Addresses("a.png foo(1, 2), b.png", TValueForm::Srcset), (Strings{"a.png", "b.png"}));
    EXPECT_TRUE(Addresses(" , ,", TValueForm::Srcset).empty());
}

TEST(ReferenceTable, RefreshContent)
{
    EXPECT_EQ(Addresses("5; url=next.html", TValueForm::Refresh), (Strings{"next.html"}));
    EXPECT_EQ(Addresses("0;URL='http://www.example.org/new.htm'", TValueForm::Refresh),
              (Strings{"http://www.example.org/new.htm"}));
    EXPECT_EQ(Addresses("0; URL = \"moved.htm\" ", TValueForm::Refresh), (Strings{"moved.htm"}));
    EXPECT_EQ(Addresses("3, other.htm", TValueForm::Refresh), (Strings{"other.htm"}));
    EXPECT_EQ(Addresses("1.5;url=  spaced.htm  ", TValueForm::Refresh), (Strings{"spaced.htm"}));
    // Reloads of the page itself, and a content without a delay.
    EXPECT_TRUE(Addresses("30", TValueForm::Refresh).empty());
    EXPECT_TRUE(Addresses("30;", TValueForm::Refresh).empty());
    EXPECT_TRUE(Addresses("url=x.htm", TValueForm::Refresh).empty());
}

TEST(TagReferences, RefreshIsRewrittenOnlyInARefreshMeta)
{
    const TAddressMap map = [](std::string_view address, TReferenceKind kind) -> std::optional<std::string> {
        EXPECT_EQ(kind, TReferenceKind::PageLink);
        return "LOCAL_" + std::string(address);
    };
    EXPECT_EQ(RewriteOtherReferences("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL='new.htm'\">", TagMeta, map,
                                     TCapturedValues::Keep),
              "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL='LOCAL_new.htm'\" OLDCONTENT=\"0;URL='new.htm'\">");
    EXPECT_EQ(RewriteOtherReferences("<meta http-equiv=refresh content=\"5; url=a.htm\">", TagMeta, map,
                                     TCapturedValues::Replace),
              "<meta http-equiv=refresh content=\"5; url=LOCAL_a.htm\">");
    for (const char* other : {"<meta name=\"refresh\" content=\"5; url=a.htm\">",
                              "<meta http-equiv=\"content-type\" content=\"5; url=a.htm\">"})
        EXPECT_EQ(RewriteOtherReferences(other, TagMeta, map, TCapturedValues::Keep), other);
}

TEST(TagReferences, KeptValuesComeBackWhateverTheQuotes)
{
    // Once rewritten, a tag rewritten again gives the same bytes; rewritten
    // with a map that keeps every address, it is the tag as captured.
    const TAddressMap local = [](std::string_view address, TReferenceKind) -> std::optional<std::string> {
        if (address.starts_with("data:"))
            return std::nullopt;
        return "L" + std::to_string(address.size()) + ".png";
    };
    const TAddressMap none = [](std::string_view, TReferenceKind) -> std::optional<std::string> { return std::nullopt; };
    for (const char* tag : {
             "<img src=\"a.png\" srcset=\"a.png 1x, b@2x.png 2x\" alt=\"A\">",
             "<img srcset='x.jpg?a=1&amp;b=2 100w, \"q\".jpg 200w' data-src=y.jpg>",
             "<IMG SRCSET=one.png\tDATA-SRCSET=\"data:image/gif;base64,R0l= 1x, two.png 2x\">",
             "<video poster=p.jpg style=\"background-image: url(&quot;bg.jpg&quot;)\"></video>",
             "<source srcset=\"a.webp 1x,b.webp 2x\"/>",
         }) {
        const std::uint8_t kind = HtmlPage(tag).parser.Item(1).Kind;
        const std::string once = RewriteOtherReferences(tag, kind, local, TCapturedValues::Keep);
        EXPECT_NE(once, tag);
        EXPECT_EQ(RewriteOtherReferences(once, kind, local, TCapturedValues::Keep), once) << tag;
        EXPECT_EQ(RewriteOtherReferences(once, kind, none, TCapturedValues::Keep), tag) << once;
    }
    EXPECT_EQ(RewriteOtherReferences("<img srcset=\"a.png 1x, b@2x.png 2x\">", TagImg, local, TCapturedValues::Keep),
              "<img srcset=\"L5.png 1x, L8.png 2x\" OLDSRCSET=\"a.png 1x, b@2x.png 2x\">");
    // A value whose quote the tag never closes would swallow the kept value.
    const std::string unclosed = "<img alt=x srcset='a.png 1x>";
    EXPECT_EQ(RewriteOtherReferences(unclosed, TagImg, local, TCapturedValues::Keep), unclosed);
    // A value captured unquoted that the rewrite had to quote comes back unquoted.
    const TAddressMap spaced = [](std::string_view, TReferenceKind) -> std::optional<std::string> { return "my pic.png"; };
    const std::string spacedOnce =
        RewriteOtherReferences("<img srcset=a.png&amp;b alt=\"\">", TagImg, spaced, TCapturedValues::Keep);
    EXPECT_EQ(spacedOnce, "<img srcset=\"my pic.png\" OLDSRCSET=a.png&amp;b alt=\"\">");
    EXPECT_EQ(RewriteOtherReferences(spacedOnce, TagImg, none, TCapturedValues::Keep), "<img srcset=a.png&amp;b alt=\"\">");
}

// The quick look that lets most tags skip the rewrite of their other
// references must see every form a style reference takes, in any case.
TEST(TagReferences, QuickLookFindsEveryStyleReference)
{
    for (const char* text : {"<div style=\"background:url(a.gif)\">", "<DIV STYLE=\"BACKGROUND:URL(a.gif)\">",
                             "<div style=\"background:u\\rl(a.gif)\">", "<div style=\"@import 'a.css'\">",
                             "<p style='x:Url( \"a.gif\" )'>"})
        EXPECT_TRUE(MayHoldOtherReferences(text, TagUnknown)) << text;
    for (const char* text : {"<div class=\"url\">", "<div title=\"(url)\">", "<div title=\"\\u\">",
                             "<div data-x=\"@importer\">x"})
        EXPECT_EQ(MayHoldOtherReferences(text, TagUnknown), std::string_view(text).find("@import") != std::string_view::npos)
            << text;
    // Wherever the reference lies in a long tag: in a block of sixteen
    // bytes, across two, or in the last few.
    const std::string plain = "<div title=\"" + std::string(39, 'x') + "\">";
    for (std::size_t at = 1; at + 7 <= plain.size(); ++at) {
        std::string tag = plain;
        tag.replace(at, 7, "url(a);");
        EXPECT_TRUE(MayHoldOtherReferences(tag, TagUnknown)) << tag;
        tag.replace(at, 7, "urla;aa");
        EXPECT_FALSE(MayHoldOtherReferences(tag, TagUnknown)) << tag;
    }
}
