#include "config/DefaultBrowser.h"
#include "config/ProgramOutput.h"
#include "config/Scratch.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

// Desktop entries under scratch data directories, programs under a scratch
// PATH, and a default application given by the test instead of xdg-mime.
class DefaultBrowserTest : public ::testing::Test {
protected:
    DefaultBrowserTest()
        : m_dataHome("XDG_DATA_HOME", dir / "home")
        , m_dataDirs("XDG_DATA_DIRS", dir / "sys1:" + dir / "sys2")
        , m_path("PATH", dir / "bin:" + dir / "sbin")
    {
    }

    void Entry(const std::string& base, const std::string& id, const std::string& body)
    {
        WriteText(dir / base + "/applications/" + id, "[Desktop Entry]\nType=Application\n" + body);
    }

    std::string Program(const std::string& relative, unsigned mode = 0755)
    {
        WriteText(dir / relative, "#!/bin/sh\n", mode);
        return dir / relative;
    }

    TDefaultApplication Default(std::optional<std::string> http, std::optional<std::string> html = std::nullopt)
    {
        return [=, this](const std::string& type) {
            asked.push_back(type);
            return type == "x-scheme-handler/http" ? http : type == "text/html" ? html : std::nullopt;
        };
    }

    ScratchDir dir;
    std::vector<std::string> asked;

private:
    EnvOverride m_dataHome;
    EnvOverride m_dataDirs;
    EnvOverride m_path;
};

} // namespace

TEST(CommandProgram, CutAtTheFirstBlankThenUnquoted)
{
    EXPECT_EQ(CommandProgram("/usr/bin/webby %u"), "/usr/bin/webby");
    EXPECT_EQ(CommandProgram("\"/opt/browser/run\" --new-window %U"), "/opt/browser/run");
    EXPECT_EQ(CommandProgram("\"/opt/my browser/run\" %U"), "\"/opt/my");
    EXPECT_EQ(CommandProgram("webby"), "webby");
    EXPECT_EQ(CommandProgram("\"\""), "");
    EXPECT_EQ(CommandProgram("\""), "\"");
    EXPECT_EQ(CommandProgram(""), "");
}

TEST_F(DefaultBrowserTest, QuotedExecNamesTheProgram)
{
    std::string program = Program("opt/browser/run");
    Entry("home", "browser.desktop", "Exec=\"" + program + "\" --new-window %u\n");
    EXPECT_EQ(DefaultBrowserProgram(Default("browser.desktop")), program);
    EXPECT_EQ(asked, std::vector<std::string>{ "x-scheme-handler/http" });
}

TEST_F(DefaultBrowserTest, BareNameIsLookedUpThroughPath)
{
    Program("sbin/webby");
    Program("bin/notwebby");
    Entry("sys2", "webby.desktop", "Name=Webby\nExec = webby %U\n");
    EXPECT_EQ(DefaultBrowserProgram(Default("webby.desktop")), dir / "sbin/webby");
}

TEST_F(DefaultBrowserTest, BareNameNotOnPathOrNotExecutableGivesNothing)
{
    Program("bin/plain", 0644);
    Entry("sys1", "plain.desktop", "Exec=plain %U\n");
    Entry("sys1", "ghost.desktop", "Exec=ghost %U\n");
    EXPECT_EQ(DefaultBrowserProgram(Default("plain.desktop")), "");
    EXPECT_EQ(DefaultBrowserProgram(Default("ghost.desktop")), "");
}

TEST_F(DefaultBrowserTest, QuotedPathWithABlankIsCutAndNamesNoFile)
{
    Program("my browser/run");
    Entry("home", "b.desktop", "Exec=\"" + dir / "my browser/run\" %u\n");
    std::string found = DefaultBrowserProgram(Default("b.desktop"));
    EXPECT_EQ(found, "\"" + dir / "my");
}

TEST_F(DefaultBrowserTest, DataHomeComesBeforeDataDirsInTheirOrder)
{
    Program("bin/a");
    Program("bin/b");
    Program("bin/c");
    Entry("sys2", "x.desktop", "Exec=c\n");
    Entry("sys1", "x.desktop", "Exec=b\n");
    EXPECT_EQ(DefaultBrowserProgram(Default("x.desktop")), dir / "bin/b");
    Entry("home", "x.desktop", "Exec=a\n");
    EXPECT_EQ(DefaultBrowserProgram(Default("x.desktop")), dir / "bin/a");
}

TEST_F(DefaultBrowserTest, DashInTheIdMayStandForASubdirectory)
{
    Program("bin/suiteview");
    Entry("sys1", "suite/viewer.desktop", "Exec=suiteview %u\n");
    EXPECT_EQ(FindDesktopEntry("suite-viewer.desktop"), dir / "sys1/applications/suite/viewer.desktop");
    EXPECT_EQ(DefaultBrowserProgram(Default("suite-viewer.desktop")), dir / "bin/suiteview");
    EXPECT_EQ(FindDesktopEntry("../sys1/applications/suite/viewer.desktop"), "");
}

TEST_F(DefaultBrowserTest, HtmlDefaultServesWhenHttpHasNone)
{
    Program("bin/viewer");
    Entry("home", "viewer.desktop", "Exec=viewer %f\n");
    EXPECT_EQ(DefaultBrowserProgram(Default(std::nullopt, "viewer.desktop")), dir / "bin/viewer");
    EXPECT_EQ(asked, (std::vector<std::string>{ "x-scheme-handler/http", "text/html" }));

    // An http handler without an entry gives way to the html one too.
    asked.clear();
    EXPECT_EQ(DefaultBrowserProgram(Default("gone.desktop", "viewer.desktop")), dir / "bin/viewer");
}

TEST_F(DefaultBrowserTest, NoDefaultOrNoEntryGivesNothing)
{
    EXPECT_EQ(DefaultBrowserProgram(Default(std::nullopt)), "");
    EXPECT_EQ(DefaultBrowserProgram(Default("missing.desktop")), "");
    EXPECT_EQ(DefaultBrowserProgram(nullptr), "");
}

TEST_F(DefaultBrowserTest, OnlyTheExecOfTheMainGroupCounts)
{
    Entry("home", "e.desktop",
          "# Exec=/comment\nExec[fr]=/localised\nTryExec=/tryexec\nExecutable=/other\n"
          "Exec=/right %u\n\n[Desktop Action new]\nExec=/action\n");
    EXPECT_EQ(DesktopEntryExec(dir / "home/applications/e.desktop"), "/right %u");

    WriteText(dir / "late.desktop", "[Desktop Action new]\nExec=/action\n[Desktop Entry]\r\nExec=/main\r\n");
    EXPECT_EQ(DesktopEntryExec(dir / "late.desktop"), "/main");
    WriteText(dir / "none.desktop", "[Desktop Entry]\nName=No exec\n");
    EXPECT_EQ(DesktopEntryExec(dir / "none.desktop"), "");
    EXPECT_EQ(DesktopEntryExec(dir / "absent.desktop"), "");
}

TEST_F(DefaultBrowserTest, XdgMimeIsRunWithoutAShell)
{
    // A stand-in xdg-mime that prints its arguments.
    WriteText(dir / "bin/xdg-mime", "#!/bin/sh\nprintf '%s\\n' \"$1-$2-$3.desktop\"\n", 0755);
    EnvOverride path("PATH", dir / "bin:/usr/bin:/bin");
    EXPECT_EQ(XdgDefaultApplication("x-scheme-handler/http"), "query-default-x-scheme-handler/http.desktop");
    EXPECT_EQ(XdgDefaultApplication("text/html; $(touch " + dir / "hit" + ")"),
              "query-default-text/html; $(touch " + dir / "hit" + ").desktop");
    EXPECT_FALSE(std::filesystem::exists(dir / "hit"));
}

TEST_F(DefaultBrowserTest, XdgMimeMissingFailingOrSilentGivesNothing)
{
    EXPECT_EQ(XdgDefaultApplication("text/html"), std::nullopt); // not on the scratch PATH
    EnvOverride path("PATH", dir / "bin:/usr/bin:/bin");
    WriteText(dir / "bin/xdg-mime", "#!/bin/sh\necho webby.desktop\nexit 3\n", 0755);
    EXPECT_EQ(XdgDefaultApplication("text/html"), std::nullopt);
    WriteText(dir / "bin/xdg-mime", "#!/bin/sh\necho\n", 0755);
    EXPECT_EQ(XdgDefaultApplication("text/html"), std::nullopt);
}

TEST(ProgramOutput, PassesArgumentsVerbatimAndBoundsTheRun)
{
    EXPECT_EQ(ProgramOutput({ "printf", "%s|", "a b", "$HOME", "*" }), "a b|$HOME|*|");
    EXPECT_EQ(ProgramOutput({ "velbrin-no-such-program" }), std::nullopt);
    EXPECT_EQ(ProgramOutput({}), std::nullopt);
    EXPECT_EQ(ProgramOutput({ "head", "-c", "100000", "/dev/zero" }, 10000, 10)->size(), 10u);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ProgramOutput({ "sleep", "5" }, 100), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
