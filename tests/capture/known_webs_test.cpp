#include "capture/KnownWebs.h"
#include "core/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace velbrin;

namespace {

class KnownWebs : public ::testing::Test {
protected:
    std::string Project(const std::string& name)
    {
        std::string file = dir.Path() + name;
        WriteWholeFile(file, "VVLBN");
        return file;
    }

    test::TempDir dir;
    TKnownWebs webs{dir.Path()};
};

} // namespace

TEST_F(KnownWebs, AMissingListIsEmpty)
{
    EXPECT_TRUE(webs.Load());
    EXPECT_TRUE(webs.Items().empty());
}

TEST_F(KnownWebs, SavesOneFileNamePerLineMostRecentFirst)
{
    std::string a = Project("a.web");
    std::string b = Project("b.web");
    webs.Add(a);
    webs.Add(b);
    webs.Add(a);
    webs.Save();
    EXPECT_EQ(ReadWholeFile(dir.Path() + "webs.dat"), a + "\r\n" + b + "\r\n");
}

TEST_F(KnownWebs, LoadingDropsMissingRepeatedAndEmptyLines)
{
    std::string a = Project("a.web");
    std::string b = Project("b.web");
    WriteWholeFile(dir.Path() + "webs.dat",
                   b + "\r\n" + dir.Path() + "gone.web\r\n\r\n" + a + "\n" + b + "\r\n" + a);
    EXPECT_TRUE(webs.Load());
    EXPECT_EQ(webs.Items(), (TStringList{b, a}));
}

TEST_F(KnownWebs, AddMakesNamesAbsoluteAndRemoveTakesThemOut)
{
    std::string a = Project("a.web");
    webs.Add(dir.Path() + "sub/../a.web");
    EXPECT_EQ(webs.Items(), TStringList{a});
    EXPECT_FALSE(webs.Remove(dir.Path() + "b.web"));
    EXPECT_TRUE(webs.Remove(a));
    EXPECT_TRUE(webs.Items().empty());
}

TEST_F(KnownWebs, AListThatCannotBeWrittenIsReported)
{
    ForceDirectories(dir.Path() + "webs.dat/");
    webs.Add(Project("a.web"));
    EXPECT_ANY_THROW(webs.Save());
    EXPECT_TRUE(webs.Load());
    EXPECT_TRUE(webs.Items().empty());
}
