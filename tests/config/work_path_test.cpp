#include "config/Scratch.h"
#include "config/WorkPath.h"
#include "core/Files.h"
#include "core/IniFile.h"

#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

class WorkPathTest : public ::testing::Test {
protected:
    void SetUp() override { SetWorkPath(""); }
    void TearDown() override { SetWorkPath(""); }

    std::string ProfileText() const { return ReadText(env.home + ".config/velbrin/profile.ini"); }

    IsolatedHome env;
};

} // namespace

TEST_F(WorkPathTest, ProfileLivesInTheConfigHome)
{
    EXPECT_EQ(ProfileFileName(), env.home + ".config/velbrin/profile.ini");
    {
        EnvOverride config("XDG_CONFIG_HOME", env.dir / "cfg");
        EXPECT_EQ(ProfileFileName(), env.dir / "cfg/velbrin/profile.ini");
    }
    // A relative XDG_CONFIG_HOME is not taken.
    EnvOverride config("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(ProfileFileName(), env.home + ".config/velbrin/profile.ini");
}

TEST_F(WorkPathTest, FirstStartAsksAndWritesTheAnswerBackWithOneSlash)
{
    std::string asked;
    std::string chosen = env.dir / "webs";
    std::string path = EstablishWorkPath([&](const std::string& suggestion) {
        asked = suggestion;
        return std::optional<std::string>(chosen + "//");
    });
    EXPECT_EQ(asked, env.home + "Webs/");
    EXPECT_EQ(path, chosen + "/");
    EXPECT_EQ(WorkPath(), chosen + "/");
    EXPECT_TRUE(DirectoryExists(chosen));
    EXPECT_EQ(ProfileText(), "[VELBRIN]\r\nWORKPATH=" + chosen + "/\r\n");
    EXPECT_EQ(ReadProfileWorkPath(), chosen + "/");
}

TEST_F(WorkPathTest, KnownPathHoldingTheSettingsIsTakenWithoutAsking)
{
    std::string webs = env.dir / "webs/";
    WriteText(webs + "velbrin.ini", "");
    WriteProfileWorkPath(env.dir / "webs"); // written without its slash by hand
    bool asked = false;
    EXPECT_EQ(EstablishWorkPath([&](const std::string&) {
        asked = true;
        return std::optional<std::string>();
    }),
              webs);
    EXPECT_FALSE(asked);
    EXPECT_EQ(WorkPath(), webs);
}

TEST_F(WorkPathTest, KnownPathWithoutSettingsIsAskedAgain)
{
    std::string old = env.dir / "old/";
    ForceDirectories(old); // but no velbrin.ini in it
    WriteProfileWorkPath(old);
    std::string suggestion;
    EstablishWorkPath([&](const std::string& s) {
        suggestion = s;
        return std::optional<std::string>(env.dir / "new");
    });
    EXPECT_EQ(WorkPath(), env.dir / "new/");
    EXPECT_EQ(ReadProfileWorkPath(), env.dir / "new/");
}

TEST_F(WorkPathTest, RelativeProfileEntryCountsAsUnknown)
{
    WriteText(env.home + ".config/velbrin/profile.ini", "[velbrin]\nworkpath=webs/\n");
    EXPECT_EQ(ReadProfileWorkPath(), "");
}

TEST_F(WorkPathTest, NoAnswerRaisesAndChangesNothing)
{
    EXPECT_THROW(EstablishWorkPath([](const std::string&) { return std::optional<std::string>(); }), EWorkPathError);
    EXPECT_THROW(EstablishWorkPath([](const std::string&) { return std::optional<std::string>(""); }), EWorkPathError);
    EXPECT_THROW(EstablishWorkPath(nullptr), EWorkPathError);
    EXPECT_EQ(WorkPath(), "");
    EXPECT_FALSE(FileExists(ProfileFileName()));
}

TEST_F(WorkPathTest, RelativeAnswerIsMadeAbsolute)
{
    std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(env.dir.Path());
    std::string path = EstablishWorkPath([](const std::string&) { return std::optional<std::string>("rel/webs"); });
    std::filesystem::current_path(cwd);
    EXPECT_EQ(path, ExpandFileName(env.dir / "rel/webs/"));
    EXPECT_EQ(path.front(), '/');
}

TEST_F(WorkPathTest, CommandLineTakesHomeWebsAndSaysItCreatedIt)
{
    std::vector<std::string> told;
    auto chooser = CommandLineWorkPathChooser("", [&](const std::string& m) { told.push_back(m); });
    EXPECT_EQ(EstablishWorkPath(chooser), env.home + "Webs/");
    EXPECT_TRUE(DirectoryExists(env.home + "Webs"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "Created the working directory " + env.home + "Webs/");

    // Already there: nothing to say.
    told.clear();
    SetWorkPath("");
    EXPECT_EQ(chooser(env.home + "Webs/"), env.home + "Webs/");
    EXPECT_TRUE(told.empty());
}

TEST_F(WorkPathTest, CommandLineRequestedDirectoryWins)
{
    std::string told;
    auto chooser = CommandLineWorkPathChooser(env.dir / "cli/webs///", [&](const std::string& m) { told = m; });
    EXPECT_EQ(EstablishWorkPath(chooser), env.dir / "cli/webs/");
    EXPECT_EQ(ReadProfileWorkPath(), env.dir / "cli/webs/");
    EXPECT_NE(told.find(env.dir / "cli/webs/"), std::string::npos);
}

TEST_F(WorkPathTest, AdoptReplacesAKnownPath)
{
    WriteText(env.dir / "a/velbrin.ini", "");
    WriteProfileWorkPath(env.dir / "a/");
    AdoptWorkPath(env.dir / "b");
    EXPECT_EQ(ReadProfileWorkPath(), env.dir / "b/");
    EXPECT_EQ(WorkPath(), env.dir / "b/");
}
