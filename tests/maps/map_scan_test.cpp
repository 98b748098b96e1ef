#include "core/Files.h"
#include "maps/MapScan.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace velbrin;

namespace {

class MapScan : public ::testing::Test {
protected:
    TWebFile* Picture(std::string_view address, std::string_view name, std::uint8_t state = StateCapturedFile)
    {
        auto file = std::make_unique<TWebFile>();
        file->SetFileName(name);
        file->SetDescription(std::string("Picture ") + std::string(name));
        file->State = state;
        file->SetLinkType(1);
        TWebFile* raw = file.get();
        std::unique_ptr<TWebFile> replaced;
        EXPECT_TRUE(tree.AddFile(address, file, replaced));
        return raw;
    }

    int Scan(const std::string& html, std::string_view pageUrl = "http://h.com/index.htm")
    {
        WriteWholeFile(page, html);
        return BuildPageMaps(pageUrl, page, tree, maps);
    }

    test::TempDir dir;
    const std::string page = dir.Path() + "INDEX.htm";
    TWebTree tree;
    TMAPLIST maps;
};

} // namespace

TEST_F(MapScan, AnIsmapPictureInsideALinkGetsTheLinkAndItsTarget)
{
    Picture("http://h.com/plan.gif", "PLAN.gif");
    EXPECT_EQ(Scan("<html><a href=\"http://h.com/cgi-bin/map\" target=\"right\">"
                   "<img src=\"http://h.com/plan.gif\" ismap></a></html>"),
              1);
    ASSERT_EQ(maps.Count(), 1u);
    const TMapImg& entry = maps.Item(0);
    EXPECT_EQ(entry.ImageFile, "PLAN.gif");
    EXPECT_EQ(entry.MapFile, "PLAN.map");
    EXPECT_EQ(entry.MapLink, "http://h.com/cgi-bin/map");
    EXPECT_EQ(entry.Description, "Picture PLAN.gif");
    EXPECT_EQ(entry.Page, "http://h.com/index.htm");
    EXPECT_EQ(entry.Target, "right");
}

TEST_F(MapScan, ARewrittenPageIsReadThroughItsOldrefAddresses)
{
    Picture("http://h.com/plan.gif", "PLAN.gif");
    Scan("<a href=\"MAP1.htm\" oldref=\"http://h.com/cgi-bin/map\">"
         "<img src=\"PLAN.gif\" oldref=\"http://h.com/plan.gif\" ismap></a>");
    ASSERT_EQ(maps.Count(), 1u);
    EXPECT_EQ(maps.Item(0).MapLink, "http://h.com/cgi-bin/map");
    EXPECT_EQ(maps.Item(0).Target, "");
}

TEST_F(MapScan, APictureOutsideAnyLinkGetsAnEmptyMapLink)
{
    Picture("http://h.com/plan.gif", "PLAN.gif");
    Scan("<a href=\"http://h.com/other.htm\">other</a><a name=x></a><img src=\"http://h.com/plan.gif\" ISMAP>");
    ASSERT_EQ(maps.Count(), 1u);
    EXPECT_EQ(maps.Item(0).MapLink, "");
}

TEST_F(MapScan, APictureSeenAgainOrNotCapturedGetsNoEntry)
{
    Picture("http://h.com/plan.gif", "PLAN.gif");
    Picture("http://h.com/lost.gif", "LOST.gif", StateError);
    std::string html = "<a href=\"http://h.com/m1\"><img src=\"http://h.com/plan.gif\" ismap></a>"
                       "<a href=\"http://h.com/m2\"><img src=\"http://h.com/plan.gif\" ismap></a>"
                       "<a href=\"http://h.com/m3\"><img src=\"http://h.com/lost.gif\" ismap></a>"
                       "<a href=\"http://h.com/m4\"><img src=\"http://h.com/missing.gif\" ismap></a>"
                       "<img src=\"http://h.com/plan.gif\">";
    EXPECT_EQ(Scan(html), 1);
    EXPECT_EQ(Scan(html, "http://h.com/second.htm"), 0);
    ASSERT_EQ(maps.Count(), 1u);
    EXPECT_EQ(maps.Item(0).MapLink, "http://h.com/m1");
    EXPECT_EQ(maps.Item(0).Page, "http://h.com/index.htm");
}

TEST_F(MapScan, TheTargetComesFromTheLastLinkAroundAMap)
{
    Picture("http://h.com/a.gif", "A.gif");
    Picture("http://h.com/b.gif", "B.gif");
    Scan("<a href=\"http://h.com/ma\" target=\"one\"><img src=\"http://h.com/a.gif\" ismap></a>"
         "<a href=\"http://h.com/x.htm\" target=\"two\">text</a>"
         "<a href=\"http://h.com/mb\"><img src=\"http://h.com/b.gif\" ismap></a>");
    ASSERT_EQ(maps.Count(), 2u);
    EXPECT_EQ(maps.Item(0).Target, "one");
    EXPECT_EQ(maps.Item(1).MapLink, "http://h.com/mb");
    EXPECT_EQ(maps.Item(1).Target, "");
}

TEST_F(MapScan, AMissingPageChangesNothing)
{
    Picture("http://h.com/plan.gif", "PLAN.gif");
    EXPECT_EQ(BuildPageMaps("http://h.com/", dir.Path() + "NONE.htm", tree, maps), 0);
    EXPECT_EQ(maps.Count(), 0u);
}
