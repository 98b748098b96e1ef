#include "config/ProgramDir.h"
#include "config/Scratch.h"
#include "core/Files.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::testing::EnvOverride;

TEST(ProgramDir, ShareDirectoryBesideTheBinDirectory)
{
    EnvOverride data("VELBRIN_DATA_DIR", std::nullopt);
    EXPECT_EQ(LocateProgramDir("/opt/velbrin/bin/velbrin"), "/opt/velbrin/share/velbrin/");
    EXPECT_EQ(LocateProgramDir("/usr/bin/velbrin-cli"), "/usr/share/velbrin/");
    EXPECT_EQ(LocateProgramDir("/work/build/bin/./velbrin"), "/work/build/share/velbrin/");
}

TEST(ProgramDir, EnvironmentOverrideEndsWithOneSlash)
{
    EnvOverride data("VELBRIN_DATA_DIR", "/srv/velbrin-data//");
    EXPECT_EQ(LocateProgramDir("/usr/bin/velbrin"), "/srv/velbrin-data/");
    EnvOverride bare("VELBRIN_DATA_DIR", "/srv/data");
    EXPECT_EQ(LocateProgramDir("/usr/bin/velbrin"), "/srv/data/");
    EnvOverride empty("VELBRIN_DATA_DIR", "");
    EXPECT_EQ(LocateProgramDir("/usr/bin/velbrin"), "/usr/share/velbrin/");
}

TEST(ProgramDir, RunningProgramIsFound)
{
    std::string self = ExecutableFile();
    ASSERT_FALSE(self.empty());
    EXPECT_TRUE(FileExists(self));
    EnvOverride data("VELBRIN_DATA_DIR", std::nullopt);
    EXPECT_EQ(LocateProgramDir(), LocateProgramDir(self));
}
