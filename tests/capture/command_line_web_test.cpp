// The Web a command line opens, the way both programs open it.

#include "capture/CommandLineWeb.h"
#include "capture/WebTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velbrin;

namespace {

class CommandLineWeb : public test::WebFixture {
protected:
    CommandLineWeb() { settings->Path = webs; }

    TRequestedWeb Open(const std::string& address, const std::string& optionsFile = "")
    {
        return OpenRequestedWeb(TWebRequest{"", optionsFile, address, false}, *settings, mimes, programDir);
    }

    std::string Options(const std::string& text)
    {
        const std::string file = root.Path() + "options.ini";
        WriteWholeFile(file, text);
        return file;
    }

    const std::string webs = root.Path() + "webs/";
};

TEST_F(CommandLineWeb, EachSiteKeepsItsWebAndOptionsReachAWebMadeBefore)
{
    TRequestedWeb first = Open("http://a.site.tld/docs/");
    ASSERT_TRUE(first.Web) << first.Error;
    EXPECT_TRUE(first.Created);
    EXPECT_TRUE(first.Capture);
    EXPECT_EQ(first.ProjectFile, webs + "DOCS/LOCAL.WEB");
    EXPECT_TRUE(first.Notes.empty());

    // Another site of the same short name is given the next directory, and told why.
    TRequestedWeb other = Open("http://b.site.tld/docs/");
    ASSERT_TRUE(other.Web) << other.Error;
    EXPECT_TRUE(other.Created);
    EXPECT_EQ(other.ProjectFile, webs + "DOCS1/LOCAL.WEB");
    EXPECT_EQ(other.Notes, std::vector<std::string>{webs + "DOCS/ holds the Web of http://a.site.tld/docs/: the Web of "
                                                    "http://b.site.tld/docs/ is in " + webs + "DOCS1/"});
    EXPECT_EQ(settings->Url, "http://b.site.tld/docs/");

    // The first site again: its Web is loaded, captured, and takes the options,
    // written at once; the note names the keys, never the password.
    const std::string options = Options("[OPTIONS]\nMaxTime=7\nPassword=secret\n");
    TRequestedWeb again = Open("HTTP://A.SITE.TLD/docs/", options);
    ASSERT_TRUE(again.Web) << again.Error;
    EXPECT_FALSE(again.Created);
    EXPECT_TRUE(again.Capture);
    EXPECT_EQ(again.ProjectFile, webs + "DOCS/LOCAL.WEB");
    EXPECT_EQ(again.Web->Url, "http://a.site.tld/docs/");
    EXPECT_EQ(again.OptionsApplied, "Options of " + options + " applied to the Web: MaxTime, Password");
    auto stored = NewWeb();
    ASSERT_TRUE(stored->LoadFromFile(webs + "DOCS/LOCAL.WEB"));
    EXPECT_EQ(stored->Options.MaxTime, 7);
    EXPECT_EQ(stored->Options.Password, "secret");
    EXPECT_FALSE(std::filesystem::exists(webs + "DOCS2"));
}

TEST_F(CommandLineWeb, AnOptionsFileThatCannotBeUsedLeavesNothingBehind)
{
    const std::string missing = root.Path() + "none.ini";
    EXPECT_EQ(Open("http://a.site.tld/docs/", missing).Error, "no options file " + missing);

    std::string options = Options("[OPTIONS]\nMaxTime=5\nMaxFileCout=10\n");
    TRequestedWeb opened = Open("http://a.site.tld/docs/", options);
    EXPECT_FALSE(opened.Web);
    EXPECT_EQ(opened.Error, options + ": unknown key MaxFileCout in section [OPTIONS]");

    // MIME types that name nothing are found before the directory is made.
    options = Options("[OPTIONS]\nMIMES=+foo\n");
    opened = Open("http://a.site.tld/docs/", options);
    EXPECT_FALSE(opened.Web);
    EXPECT_EQ(opened.Error.rfind(options + ": ", 0), 0u) << opened.Error;
    EXPECT_FALSE(std::filesystem::exists(webs));

    // A Web made before keeps its options and MIME types when the file cannot be applied.
    ASSERT_TRUE(Open("http://a.site.tld/docs/").Web);
    const std::string before = ReadWholeFile(webs + "DOCS/LOCAL.WEB");
    EXPECT_FALSE(Open("http://a.site.tld/docs/", options).Web);
    EXPECT_EQ(ReadWholeFile(webs + "DOCS/LOCAL.WEB"), before);
}

} // namespace
