#include "rewrite/RewriteWeb.h"

#include "rewrite/RewriteFooter.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::kFooter;
using velbrin::test::kSuppress;
using velbrin::test::RewriteWeb;

namespace {

const std::string kPlan = "http://www.example.org/plan.gif";
const char* kAreas = "<area shape=\"rect\" coords=\"0,0,10,10\" href=\"http://www.example.org/cgi-bin/map?5,5\">\r\n";

std::string MapBlock(const std::string& areas)
{
    return "<!--VELBRIN MAP=ON-->\r\n<map name=\"PLAN\">\r\n" + areas + "</map>\r\n<!--VELBRIN MAP=OFF-->";
}

// A Web where the picture is stored and has a map entry.
struct MapWeb : RewriteWeb {
    explicit MapWeb(const char* areas = kAreas)
    {
        Add(kPlan, StateCapturedFile, "PLAN.GIF");
        AddMap("PLAN.GIF", "PLAN.map", areas);
    }
};

} // namespace

TEST(RewriteMap, ServerMapBecomesAClientMap)
{
    MapWeb web;
    const std::string captured =
        "<A HREF=\"http://www.example.org/cgi-bin/map\"><IMG SRC=\"" + kPlan + "\" ISMAP></A>\r\n<P>after";
    const std::string first = web.Rewrite(captured);
    EXPECT_EQ(first, "<A HREF=\"http://www.example.org/cgi-bin/map\"><IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan +
                         "\" USEMAP=\"#PLAN\">" + MapBlock(kAreas) + "</A>\r\n<P>after");
    EXPECT_EQ(web.Rewrite(first), first);
    // The picture no longer carries ISMAP: only the anchor changes.
    const std::string suppressed = web.Rewrite(first, kSuppress);
    EXPECT_TRUE(suppressed.starts_with("<A HREF=\"BadLink.htm\" OLDREF=\"http://www.example.org/cgi-bin/map\">"));
    EXPECT_TRUE(suppressed.ends_with(first.substr(first.find("<IMG")))) << suppressed;

    // The next pass takes the map file as it stands then.
    const std::string areas = "<area shape=\"rect\" coords=\"1,1,2,2\" href=\"z.htm\">\r\n";
    web.WriteFile("PLAN.map", areas);
    const std::string second = web.Rewrite(first, kFooter);
    EXPECT_NE(second.find(MapBlock(areas)), std::string::npos);
    EXPECT_EQ(second.find(kAreas), std::string::npos);
    EXPECT_EQ(web.Rewrite(second, kFooter), second);
}

TEST(RewriteMap, BlockFollowsThePicturesText)
{
    MapWeb web;
    const std::string first = web.Rewrite("<img src=" + kPlan + " ismap>text<P>");
    EXPECT_EQ(first, "<img src=PLAN.GIF OLDREF=\"" + kPlan + "\" USEMAP=\"#PLAN\">text" + MapBlock(kAreas) + "<P>");
    EXPECT_EQ(web.Rewrite(first), first);
    // A picture that ends the page, in a page whose end is a comment left
    // open: the map and the footer go before that end.
    const std::string last = web.Rewrite("<img src=" + kPlan + " ismap>text<!-- open", kFooter);
    EXPECT_EQ(last, "<img src=PLAN.GIF OLDREF=\"" + kPlan + "\" USEMAP=\"#PLAN\">text" + MapBlock(kAreas) +
                        RealLinkFooter(RewriteWeb::kPageAddress, RewriteWeb::kCaptureDate) + "<!-- open");
    EXPECT_EQ(web.Rewrite(last, kFooter), last);
}

TEST(RewriteMap, IsmapWithAValue)
{
    MapWeb web;
    EXPECT_EQ(web.Rewrite("<img ismap=\"ismap\" src=\"" + kPlan + "\" />"),
              "<img USEMAP=\"#PLAN\" src=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" />" + MapBlock(kAreas));
}

TEST(RewriteMap, WithoutAMapTheServerMapIsParked)
{
    // Stored picture without a map file yet.
    RewriteWeb web;
    web.Add(kPlan, StateCapturedFile, "PLAN.GIF");
    web.AddMap("PLAN.GIF", "PLAN.map", nullptr);
    const std::string captured = "<IMG SRC=\"" + kPlan + "\" ISMAP>";
    const std::string parked = web.Rewrite(captured, kSuppress);
    EXPECT_EQ(parked, "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" _SMAP>");
    EXPECT_EQ(web.Rewrite(parked, kSuppress), parked);
    // Without the flag the word comes back (in capitals).
    EXPECT_EQ(web.Rewrite(parked), "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" ISMAP>");
    EXPECT_EQ(web.Rewrite("<img src=\"" + kPlan + "\" ismap>"),
              "<img src=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" ISMAP>");

    // Once the map file is there, the parked word gives way to the map.
    web.WriteFile("PLAN.map", kAreas);
    EXPECT_EQ(web.Rewrite(parked, kSuppress),
              "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" USEMAP=\"#PLAN\">" + MapBlock(kAreas));
}

TEST(RewriteMap, NoMapWithoutEntryOrStoredPicture)
{
    RewriteWeb web;
    const std::string captured = "<IMG SRC=\"" + kPlan + "\" ISMAP>";
    web.WriteFile("PLAN.map", kAreas);
    EXPECT_EQ(web.Rewrite(captured), captured) << "no record, no entry";
    web.Add(kPlan, StateCapturedFile, "PLAN.GIF");
    EXPECT_EQ(web.Rewrite(captured), "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" ISMAP>") << "no entry";
    // A map file name that is not a bare name is never opened.
    web.AddMap("PLAN.GIF", "../PLAN.map", nullptr);
    EXPECT_EQ(web.Rewrite(captured), "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" ISMAP>");
}

TEST(RewriteMap, OnlyTheIsmapAttributeCounts)
{
    MapWeb web;
    web.Add("http://www.example.org/ismap.gif", StateCapturedFile, "ISMAP.GIF");
    web.AddMap("ISMAP.GIF", "ISMAP.map", kAreas);
    // The letters in the address or in a quoted value are no attribute.
    for (const char* page : {"<IMG SRC=http://www.example.org/ismap.gif>",
                             "<IMG SRC=\"http://www.example.org/ismap.gif\" ALT=\"ismap\">"}) {
        const std::string rewritten = web.Rewrite(page, kSuppress);
        EXPECT_EQ(rewritten.find("_SMAP"), std::string::npos) << rewritten;
        EXPECT_EQ(rewritten.find("MAP=ON"), std::string::npos) << rewritten;
        EXPECT_NE(rewritten.find("OLDREF=\"http://www.example.org/ismap.gif\""), std::string::npos) << rewritten;
    }
}

TEST(RewriteMap, PictureNamingItsMapAlready)
{
    MapWeb web;
    const std::string page = "<IMG SRC=\"" + kPlan + "\" USEMAP=\"#PLAN\">";
    EXPECT_EQ(web.Rewrite(page), "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" USEMAP=\"#PLAN\">" + MapBlock(kAreas));
}

TEST(RewriteMapFile, AreasLeadToStoredFiles)
{
    RewriteWeb web;
    const std::string query = "http://www.example.org/cgi-bin/map?5,5";
    web.Add(query, StateCapturedPage, "MAP1.HTM");
    web.WriteFile("PLAN.map", kAreas);
    const TRewriteResult result = RewriteMapFile(web.Path(), "PLAN.map", web.tree, web.maps, false);
    EXPECT_EQ(result.Status, TRewriteStatus::Written) << result.Message;
    const std::string rewritten =
        "<area shape=\"rect\" coords=\"0,0,10,10\" href=\"MAP1.HTM\" OLDREF=\"" + query + "\">\r\n";
    EXPECT_EQ(web.ReadFile("PLAN.map"), rewritten);
    EXPECT_EQ(RewriteMapFile(web.Path(), "PLAN.map", web.tree, web.maps, false).Status, TRewriteStatus::Unchanged);
    EXPECT_EQ(RewriteMapFile(web.Path(), "../PLAN.map", web.tree, web.maps, false).Status,
              TRewriteStatus::UnsafeName);
}

TEST(RewriteMap, EveryServerMapWordIsParked)
{
    RewriteWeb web;
    const std::string twice = "<IMG SRC=\"" + kPlan + "\" ISMAP ismap>";
    const std::string parked = web.Rewrite(twice, kSuppress);
    EXPECT_EQ(parked, "<IMG SRC=\"\" OLDREF=\"" + kPlan + "\" _SMAP _SMAP>");
    EXPECT_EQ(web.Rewrite(parked, kSuppress), parked);
    EXPECT_EQ(web.Rewrite(parked), "<IMG SRC=\"" + kPlan + "\" ISMAP ISMAP>");
}

// One rewriter rewrites every page of a pass, and the pass enters map
// entries as it goes: what the rewriter remembers from one page must not
// hide a map entered before the next.
TEST(RewriteMap, RewriterReusedAcrossPagesSeesNewMaps)
{
    RewriteWeb web;
    web.Add(kPlan, StateCapturedFile, "PLAN.GIF");
    const TPageRewriter rewriter(web.Path(), web.tree, web.maps, {}, RewriteWeb::kCaptureDate);
    const std::string page = "<IMG SRC=\"" + kPlan + "\" ISMAP><P>";
    const std::string glued = "<IMG SRC\"" + kPlan + "\"a><A HREF=\"" + kPlan + "\">";

    const std::string before = rewriter.Rewrite(page, RewriteWeb::kPageAddress);
    EXPECT_EQ(before, "<IMG SRC=\"PLAN.GIF\" OLDREF=\"" + kPlan + "\" ISMAP><P>");
    EXPECT_EQ(rewriter.Rewrite(glued, RewriteWeb::kPageAddress), web.Rewrite(glued));
    EXPECT_EQ(rewriter.Rewrite(glued, RewriteWeb::kPageAddress), web.Rewrite(glued));

    web.AddMap("PLAN.GIF", "PLAN.map", kAreas);
    const std::string after = rewriter.Rewrite(page, RewriteWeb::kPageAddress);
    EXPECT_EQ(after, web.Rewrite(page));
    EXPECT_NE(after.find(MapBlock(kAreas)), std::string::npos) << after;
    EXPECT_EQ(rewriter.Rewrite(after, RewriteWeb::kPageAddress), after);
}
