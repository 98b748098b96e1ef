#include "CommandLine.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(CommandLine, ArgumentsAreRecognisedByTheirUpperCasedText)
{
    TCommandLine line = ParseCommandLine({"/home/u/Webs/Docs/local.web", "capture", "/etc/Opts.ini"});
    EXPECT_EQ(line.ProjectFile, "/home/u/Webs/Docs/local.web");
    EXPECT_EQ(line.OptionsFile, "/etc/Opts.ini");
    EXPECT_TRUE(line.Capture);
    EXPECT_TRUE(line.Error.empty());

    line = ParseCommandLine({"HTTP://Srv.Site.Tld/Docs/", "--workpath", "/tmp/w"});
    EXPECT_EQ(line.Address, "HTTP://Srv.Site.Tld/Docs/");
    EXPECT_EQ(line.WorkPath, "/tmp/w");
    EXPECT_FALSE(line.Capture);
}

TEST(CommandLine, AnAddressEndingInWebIsAnAddress)
{
    TCommandLine line = ParseCommandLine({"http://h.tld/site.web"});
    EXPECT_EQ(line.Address, "http://h.tld/site.web");
    EXPECT_TRUE(line.ProjectFile.empty());
}

TEST(CommandLine, UnusableArgumentsAreReported)
{
    EXPECT_FALSE(ParseCommandLine({"captur"}).Error.empty());
    EXPECT_FALSE(ParseCommandLine({"--frobnicate"}).Error.empty());
    EXPECT_FALSE(ParseCommandLine({"--workpath"}).Error.empty());
    TCommandLine flags = ParseCommandLine({"--bookmark", "--open", "--workpath=/w"});
    EXPECT_TRUE(flags.AddBookmark);
    EXPECT_TRUE(flags.OpenBrowser);
    EXPECT_EQ(flags.WorkPath, "/w");
}

TEST(CommandLine, DefaultProjectFileKeepsTheDirectoryCase)
{
    EXPECT_EQ(DefaultProjectFile("/home/Ann/Webs/", "http://srv.site.tld/docs/a.htm"),
              "/home/Ann/Webs/DOCS/LOCAL.WEB");
    EXPECT_EQ(DefaultProjectFile("/home/Ann/Webs", "http://127.0.0.1:8080/"), "/home/Ann/Webs/0/LOCAL.WEB");
}
