#include "core/Files.h"
#include "core/MemoryStream.h"
#include "maps/MapFile.h"
#include "maps/MapList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace velbrin;

namespace {

std::string Str(std::string_view text)
{
    return std::string(1, static_cast<char>(text.size())) + std::string(text);
}

std::string Count(int count)
{
    return {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF)};
}

TMapImg Entry(std::string image, std::string target = "")
{
    TMapImg entry;
    entry.ImageFile = image;
    entry.MapFile = MapFileName(image);
    entry.MapLink = "http://h.com/cgi-bin/map";
    entry.Description = "Plan";
    entry.Page = "http://h.com/index.htm";
    entry.Target = std::move(target);
    return entry;
}

} // namespace

TEST(MapList, FindComparesImageFilesIgnoringCaseAndReturnsTheLastMatch)
{
    TMAPLIST maps;
    EXPECT_EQ(maps.Find("A.GIF"), -1);
    ASSERT_TRUE(maps.Add(Entry("a.gif")));
    ASSERT_TRUE(maps.Add(Entry("b.gif")));
    ASSERT_TRUE(maps.Add(Entry("A.gif")));
    EXPECT_EQ(maps.Find("A.GIF"), 2);
    EXPECT_EQ(maps.Find("b.GIF"), 1);
    EXPECT_EQ(maps.Find("c.gif"), -1);
    maps.Clear();
    EXPECT_EQ(maps.Count(), 0u);
}

TEST(MapList, StreamHoldsACountAndSixTextsPerEntry)
{
    TMAPLIST maps;
    maps.Add(Entry("IMG1.GIF", "main"));
    TMemoryStreamEx stream;
    maps.SaveToStream(stream);
    EXPECT_EQ(stream.ToString(), Count(1) + Str("IMG1.GIF") + Str("IMG1.map") + Str("http://h.com/cgi-bin/map") +
                                     Str("Plan") + Str("http://h.com/index.htm") + Str("main"));

    TMAPLIST loaded;
    stream.SetPosition(0);
    ASSERT_TRUE(loaded.LoadFromStream(stream, 21));
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded.Item(0), maps.Item(0));
    EXPECT_EQ(stream.Remaining(), 0);
}

TEST(MapList, EntriesOfVersionsBelow20HaveNoTarget)
{
    std::string bytes = Count(2) + Str("A.GIF") + Str("A.map") + Str("http://h.com/m") + Str("d") + Str("http://h.com/") +
                        Str("B.GIF") + Str("B.map") + Str("") + Str("") + Str("http://h.com/p") + "rest";
    TMemoryStreamEx stream(bytes);
    TMAPLIST maps;
    maps.Add(Entry("OLD.GIF"));
    ASSERT_TRUE(maps.LoadFromStream(stream, 19));
    ASSERT_EQ(maps.Count(), 2u);
    EXPECT_EQ(maps.Item(0).MapLink, "http://h.com/m");
    EXPECT_EQ(maps.Item(0).Target, "");
    EXPECT_EQ(maps.Item(1).ImageFile, "B.GIF");
    EXPECT_EQ(maps.Item(1).Page, "http://h.com/p");
    EXPECT_EQ(maps.Find("OLD.GIF"), -1);
    EXPECT_EQ(stream.Remaining(), 4);
}

TEST(MapList, EntriesNamingFilesOutsideTheDirectoryAreDropped)
{
    std::string bytes = Count(4) + Str("../x.gif") + Str("x.map") + Str("") + Str("") + Str("") + Str("") +
                        Str("y.gif") + Str("/etc/passwd") + Str("") + Str("") + Str("") + Str("") + Str("") +
                        Str("z.map") + Str("") + Str("") + Str("") + Str("") + Str("ok.gif") + Str("ok.map") +
                        Str("") + Str("") + Str("") + Str("");
    TMemoryStreamEx stream(bytes);
    TMAPLIST maps;
    ASSERT_TRUE(maps.LoadFromStream(stream, 21));
    ASSERT_EQ(maps.Count(), 1u);
    EXPECT_EQ(maps.Item(0).ImageFile, "ok.gif");
}

TEST(MapList, ACutOrNegativeStreamFailsAndKeepsTheList)
{
    TMAPLIST maps;
    maps.Add(Entry("KEEP.GIF"));
    for (const std::string& bytes : {std::string("\x01"), Count(-1), Count(1) + Str("A.GIF") + Str("A.map"),
                                     Count(1) + Str("A.GIF") + Str("A.map") + Str("") + Str("") + Str("")}) {
        TMemoryStreamEx stream(bytes);
        EXPECT_FALSE(maps.LoadFromStream(stream, 21)) << bytes.size();
        ASSERT_EQ(maps.Count(), 1u);
        EXPECT_EQ(maps.Item(0).ImageFile, "KEEP.GIF");
    }
}

TEST(MapList, DeleteMapFilesRemovesOnlyTheExistingMapFiles)
{
    test::TempDir dir;
    WriteWholeFile(dir.Path() + "A.map", "<area>");
    WriteWholeFile(dir.Path() + "A.GIF", "GIF89a");
    TMAPLIST maps;
    maps.Add(Entry("A.GIF"));
    maps.Add(Entry("B.GIF"));
    EXPECT_EQ(maps.DeleteMapFiles(dir.Path()), 1);
    EXPECT_FALSE(FileExists(dir.Path() + "A.map"));
    EXPECT_TRUE(FileExists(dir.Path() + "A.GIF"));
}

TEST(MapFile, NamesAMapFileAfterItsPicture)
{
    EXPECT_EQ(MapFileName("IMG1.GIF"), "IMG1.map");
    EXPECT_EQ(MapFileName("plan.v2.jpg"), "plan.v2.map");
    EXPECT_EQ(MapFileName("PLAN"), "PLAN.map");
}

TEST(MapFile, AreaLineWithAndWithoutTarget)
{
    TMapImg map = Entry("IMG1.GIF");
    EXPECT_EQ(FormatAreaLine(map, "rect", "05,10,40,60", 22, 35),
              "<area shape=\"rect\" coords=\"05,10,40,60\" href=\"http://h.com/cgi-bin/map?22,35\">\r\n");
    map.Target = "main";
    EXPECT_EQ(FormatAreaLine(map, "circle", "30,30,10", 30, 30),
              "<area shape=\"circle\" coords=\"30,30,10\" target=\"main\" "
              "href=\"http://h.com/cgi-bin/map?30,30\">\r\n");
}

TEST(MapFile, APictureOutsideAnyLinkLinksToTheQueryAlone)
{
    TMapImg map = Entry("IMG1.GIF");
    map.MapLink.clear();
    EXPECT_EQ(FormatAreaLine(map, "POLYGON", "1,2,30,4,5,60", 12, 22),
              "<area shape=\"POLYGON\" coords=\"1,2,30,4,5,60\" href=\"?12,22\">\r\n");
}

TEST(MapFile, TextsFromThePageCannotLeaveTheirAttribute)
{
    TMapImg map = Entry("IMG1.GIF");
    map.MapLink = "http://h.com/m\"><script>x</script>";
    map.Target = "a\" onclick=\"x";
    EXPECT_EQ(FormatAreaLine(map, "rect", "05,05,20,20", 12, 12),
              "<area shape=\"rect\" coords=\"05,05,20,20\" target=\"aonclick=x\" "
              "href=\"http://h.com/m%22%3E%3Cscript%3Ex%3C/script%3E?12,12\">\r\n");
    EXPECT_EQ(MapQueryUrl("http://h.com/m", 3, 104), "http://h.com/m?3,104");
}
