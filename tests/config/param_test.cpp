#include "config/Param.h"
#include "config/Scratch.h"
#include "core/Files.h"
#include "core/IniFile.h"

#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

class ParamTest : public ::testing::Test {
protected:
    void SetUp() override { SetWorkPath(""); }
    void TearDown() override { SetWorkPath(""); }

    // The first-run answer: the scratch working path (without its slash).
    TWorkPathChooser Chooser()
    {
        return [this](const std::string&) {
            ++asked;
            return std::optional<std::string>(webs.substr(0, webs.size() - 1));
        };
    }

    static TDefaultApplication NoDefault()
    {
        return [](const std::string&) { return std::optional<std::string>(); };
    }

    std::string Settings() const { return ReadText(webs + "velbrin.ini"); }

    IsolatedHome env;
    const std::string webs = env.dir / "webs/";
    int asked = 0;
};

// The section names of an INI text, in file order.
std::vector<std::string> Sections(const std::string& text)
{
    std::vector<std::string> names;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (text[start] == '[')
            names.push_back(text.substr(start + 1, text.find(']', start) - start - 1));
        start = end + 1;
    }
    return names;
}

} // namespace

TEST_F(ParamTest, FirstStartCreatesACompleteFileReadableByItsOwnerOnly)
{
    {
        TParam param(Chooser(), NoDefault());
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(WorkPath(), webs);
        EXPECT_EQ(param.MaxSockets, 5);
        EXPECT_EQ(param.Timeout, 30);
        EXPECT_FALSE(param.UseProxy);
        EXPECT_EQ(param.ProxyAdress, "");
        EXPECT_EQ(param.ProxyPort, 80);
        EXPECT_EQ(param.TryCount, 3);
        EXPECT_EQ(param.CaCertificates, "");
        EXPECT_FALSE(param.IgnoreCertificateErrors);
        EXPECT_EQ(param.Url, "http://www.");
        EXPECT_EQ(param.Path, webs);
        EXPECT_TRUE(param.BrowserAuto);
        EXPECT_EQ(param.ExeName, "");
        EXPECT_FALSE(param.AutoLaunch);
        EXPECT_EQ(param.BookmarkFile, "");
        EXPECT_EQ(param.BookmarkFolder, "Local webs");
        EXPECT_FALSE(param.AutoAddBookmark);
        EXPECT_TRUE(param.UseBookmark);
        EXPECT_FALSE(param.LogState);
        EXPECT_FALSE(param.NoWriteDisk);
        EXPECT_TRUE(param.BrowserList.empty());
        EXPECT_EQ(param.DefaultOptions.InternalLinkDepth, 100);
        EXPECT_TRUE(param.DefaultOptions.RealLinkFlag);
        EXPECT_EQ(param.IndexParams, TSommaireParam());
    }
    EXPECT_EQ(FileMode(webs + "velbrin.ini"), 0600u);
    EXPECT_EQ(Settings(),
              "[Options]\r\nMaxSockets=5\r\nTimeout=30\r\nUseProxy=0\r\nProxyAdress=\r\nProxyPort=80\r\nTryCount=3\r\n"
              "CaCertificates=\r\nIgnoreCertificateErrors=0\r\n"
              "[Web]\r\nUrl=http://www.\r\nPath=" + webs + "\r\n"
              "[Browser]\r\nAuto=1\r\nExeName=\r\nAutoLaunch=0\r\n"
              "[Bookmark]\r\nFileName=\r\nBookmarkFolder=Local webs\r\nAutoAddBookmark=0\r\nUseBookmark=1\r\n"
              "[Log]\r\nState=0\r\n"
              "[TavoUse]\r\nNoWriteDisk=0\r\n"
              "[default]\r\nInternalPathLimit=1\r\nExternalPathLimit=1\r\nInternalLinkDepth=100\r\n"
              "ExternalWebDepth=0\r\nExternalLinkDepth=0\r\nRefLimit=0\r\nListGifFlag=1\r\nListJpegFlag=1\r\n"
              "ListAviFlag=1\r\nListWavFlag=1\r\nResolvedUrlFlag=1\r\nErrorUrlFlag=0\r\nTodoUrlFlag=0\r\n"
              "FilteredUrlFlag=0\r\nStretchImageFlag=1\r\nRealLinkFlag=1\r\nSuppressLinkFlag=1\r\n"
              "BackgroundOnlyFlag=0\r\nMaxFileCount=0\r\nMaxFileSize=0\r\nMinFileSize=0\r\nMaxDiskSize=0\r\n"
              "MaxTime=0\r\nCheckDomainMachineFlag=0\r\nUsername=\r\nPassword=\r\n"
              "[sommaire]\r\nLigByPage=10\r\nImgLigByPage=2\r\nImgColByPage=8\r\nImgSize=64\r\nImgSizeMin=0\r\n"
              "ImgRatio=0\r\n");
    EXPECT_EQ(ReadProfileWorkPath(), webs);
}

TEST_F(ParamTest, EveryFieldRoundTrips)
{
    {
        TParam param(Chooser(), NoDefault());
        param.MaxSockets = 9;
        param.Timeout = 120;
        param.UseProxy = true;
        param.ProxyAdress = "proxy.example.org";
        param.ProxyPort = 3128;
        param.TryCount = 10;
        param.CaCertificates = env.dir / "my authorities.pem";
        param.IgnoreCertificateErrors = true;
        param.Url = "http://site.example/start.htm";
        param.Path = env.dir / "captures/";
        param.BrowserAuto = false;
        param.ExeName = "/usr/bin/some browser";
        param.AutoLaunch = true;
        param.BookmarkFile = env.home + "bookmarks.html";
        param.BookmarkFolder = " Mes webs ";
        param.AutoAddBookmark = true;
        param.UseBookmark = false;
        param.LogState = true;
        param.NoWriteDisk = true;
        param.BrowserList = { "/usr/bin/a", "/usr/bin/b" };
        param.DefaultOptions.MaxTime = 12;
        param.DefaultOptions.CheckDomainMachineFlag = true;
        param.DefaultOptions.Password = "p=w;d";
        param.IndexParams = { 20, 3, 4, 96, 32, true };
    } // the destructor writes
    TParam param(Chooser(), NoDefault());
    EXPECT_EQ(asked, 1); // the second start finds its settings
    EXPECT_EQ(param.MaxSockets, 9);
    EXPECT_EQ(param.Timeout, 120);
    EXPECT_TRUE(param.UseProxy);
    EXPECT_EQ(param.ProxyAdress, "proxy.example.org");
    EXPECT_EQ(param.ProxyPort, 3128);
    EXPECT_EQ(param.TryCount, 10);
    EXPECT_EQ(param.CaCertificates, env.dir / "my authorities.pem");
    EXPECT_TRUE(param.IgnoreCertificateErrors);
    EXPECT_EQ(param.Url, "http://site.example/start.htm");
    EXPECT_EQ(param.Path, env.dir / "captures/");
    EXPECT_FALSE(param.BrowserAuto);
    EXPECT_EQ(param.ExeName, "/usr/bin/some browser");
    EXPECT_TRUE(param.AutoLaunch);
    EXPECT_EQ(param.BookmarkFile, env.home + "bookmarks.html");
    EXPECT_EQ(param.BookmarkFolder, " Mes webs ");
    EXPECT_TRUE(param.AutoAddBookmark);
    EXPECT_FALSE(param.UseBookmark);
    EXPECT_TRUE(param.LogState);
    EXPECT_TRUE(param.NoWriteDisk);
    EXPECT_EQ(param.BrowserList, (TStringList{ "/usr/bin/a", "/usr/bin/b" }));
    EXPECT_EQ(param.DefaultOptions.MaxTime, 12);
    EXPECT_TRUE(param.DefaultOptions.CheckDomainMachineFlag);
    EXPECT_EQ(param.DefaultOptions.Password, "p=w;d");
    EXPECT_EQ(param.IndexParams, (TSommaireParam{ 20, 3, 4, 96, 32, true }));
}

TEST_F(ParamTest, SectionsAreWrittenInTheirOrder)
{
    TParam param(Chooser(), NoDefault());
    param.BrowserList = { "/usr/bin/a" };
    param.WriteSettings();
    // A fresh file: the list section takes its place between the others.
    std::filesystem::remove(webs + "velbrin.ini");
    param.WriteSettings();
    EXPECT_EQ(Sections(Settings()), (std::vector<std::string>{ "Options", "Web", "Browser", "Bookmark", "Log",
                                                               "TavoUse", "BrowserList", "default", "sommaire" }));
}

TEST_F(ParamTest, HandWrittenCertificateKeysAreReadAndRewrittenInPlace)
{
    WriteText(webs + "velbrin.ini", "[options]\r\nIgnoreCertificateErrors=2\r\nCaCertificates=/etc/site ca.pem\r\n"
                                    "MaxSockets=4\r\n");
    WriteProfileWorkPath(webs);
    TParam param(Chooser(), NoDefault());
    EXPECT_EQ(param.CaCertificates, "/etc/site ca.pem");
    EXPECT_TRUE(param.IgnoreCertificateErrors);
    param.IgnoreCertificateErrors = false;
    param.WriteSettings();
    const std::string text = Settings();
    EXPECT_NE(text.find("IgnoreCertificateErrors=0\r\nCaCertificates=/etc/site ca.pem\r\nMaxSockets=4\r\n"),
              std::string::npos)
        << text;
}

TEST_F(ParamTest, HandWrittenSectionsAreMatchedWithoutRegardToCase)
{
    WriteText(webs + "velbrin.ini",
              "[DEFAULT]\nMaxTime=7\n[OPTIONS]\nmaxsockets=2\n[browserlist]\n0=/x\n; kept\n[Other]\nKey=kept\n");
    WriteProfileWorkPath(webs);
    TParam param(Chooser(), NoDefault());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(param.DefaultOptions.MaxTime, 7);
    EXPECT_EQ(param.MaxSockets, 2);
    EXPECT_EQ(param.BrowserList, TStringList{ "/x" });
    std::string text = Settings();
    EXPECT_EQ(Sections(text), (std::vector<std::string>{ "DEFAULT", "OPTIONS", "browserlist", "Other", "Web",
                                                         "Browser", "Bookmark", "Log", "TavoUse", "sommaire" }));
    EXPECT_NE(text.find("; kept\r\n[Other]\r\nKey=kept\r\n"), std::string::npos);
    // The file was there before: it keeps its mode.
    EXPECT_EQ(FileMode(webs + "velbrin.ini"), 0644u);
}

TEST_F(ParamTest, BrowserListStopsAtTheFirstEmptyKey)
{
    WriteText(webs + "velbrin.ini", "[BrowserList]\n0=/a\n1=/b\n3=/d\n");
    WriteProfileWorkPath(webs);
    TParam param(Chooser(), NoDefault());
    EXPECT_EQ(param.BrowserList, (TStringList{ "/a", "/b" }));
    // Writing back drops the key that would no longer read.
    EXPECT_EQ(TIniFile(webs + "velbrin.ini").ReadSection("BrowserList"), (TStringList{ "0", "1" }));
}

TEST_F(ParamTest, BrowserListReadsElevenKeysAtMost)
{
    std::string text = "[BrowserList]\n";
    for (int i = 0; i <= 12; ++i)
        text += std::to_string(i) + "=/b" + std::to_string(i) + "\n";
    WriteText(webs + "velbrin.ini", text);
    WriteProfileWorkPath(webs);
    TParam param(Chooser(), NoDefault());
    ASSERT_EQ(param.BrowserList.size(), 11u);
    EXPECT_EQ(param.BrowserList.back(), "/b10");
}

TEST_F(ParamTest, ShorterBrowserListLeavesNoStaleEntries)
{
    TParam param(Chooser(), NoDefault());
    param.BrowserList = { "/a", "/b", "/c", "/d" };
    param.WriteSettings();
    param.BrowserList = { "/c", "", "/a" }; // an empty entry would end the list when read
    param.WriteSettings();
    param.ReadSettings();
    EXPECT_EQ(param.BrowserList, (TStringList{ "/c", "/a" }));

    param.BrowserList = TStringList(14, "/same");
    param.WriteSettings();
    EXPECT_EQ(TIniFile(webs + "velbrin.ini").ReadSection("BrowserList").size(), 11u);
}

TEST_F(ParamTest, OutOfRangeValuesAreBroughtBackIntoRange)
{
    WriteText(webs + "velbrin.ini",
              "[Options]\nMaxSockets=50\nTryCount=0\nProxyPort=70000\nTimeout=-4\n"
              "[sommaire]\nLigByPage=0\nImgLigByPage=99\nImgColByPage=1\nImgSize=4096\nImgSizeMin=-2\n"
              "[default]\nMaxDiskSize=100000\n");
    WriteProfileWorkPath(webs);
    TParam param(Chooser(), NoDefault());
    EXPECT_EQ(param.MaxSockets, 9);
    EXPECT_EQ(param.TryCount, 1);
    EXPECT_EQ(param.ProxyPort, 65535);
    EXPECT_EQ(param.Timeout, 0);
    EXPECT_EQ(param.IndexParams, (TSommaireParam{ 2, 10, 2, 128, 0, false }));
    EXPECT_EQ(param.DefaultOptions.MaxDiskSize, 32767);
}

TEST_F(ParamTest, DeletedSettingsFileAsksForTheWorkingPathAgain)
{
    { TParam param(Chooser(), NoDefault()); }
    std::filesystem::remove(webs + "velbrin.ini");
    TParam param(Chooser(), NoDefault());
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(FileExists(webs + "velbrin.ini"));
}

TEST_F(ParamTest, NoWorkingPathRaisesAndWritesNothing)
{
    EXPECT_THROW(TParam([](const std::string&) { return std::optional<std::string>(); }, NoDefault()),
                 EWorkPathError);
    EXPECT_FALSE(FileExists(webs + "velbrin.ini"));
}

TEST_F(ParamTest, DestructorSwallowsAWriteFailure)
{
    auto param = std::make_unique<TParam>(Chooser(), NoDefault());
    std::filesystem::remove_all(webs);
    EXPECT_THROW(param->WriteSettings(), EInOutError);
    EXPECT_NO_THROW(param.reset());
}

TEST_F(ParamTest, AutomaticSearchTakesTheDesktopsBrowser)
{
    EnvOverride path("PATH", env.dir / "bin");
    WriteText(env.dir / "bin/webby", "#!/bin/sh\n", 0755);
    WriteText(env.home + ".local/share/applications/webby.desktop", "[Desktop Entry]\nExec=webby %u\n");
    auto webby = [](const std::string&) { return std::optional<std::string>("webby.desktop"); };

    TParam param(Chooser(), webby);
    EXPECT_EQ(param.ExeName, env.dir / "bin/webby");
    std::string painted = "-";
    param.PaintBrowserIcon = [&](const std::string& exe) { painted = exe; };
    EXPECT_TRUE(param.FindBrowser());
    EXPECT_EQ(painted, env.dir / "bin/webby");

    // Without a default the name is cleared.
    std::filesystem::remove(env.home + ".local/share/applications/webby.desktop");
    EXPECT_FALSE(param.FindBrowser());
    EXPECT_EQ(param.ExeName, "");
    EXPECT_EQ(painted, "");
}

TEST_F(ParamTest, ChosenBrowserStaysWhenTheSearchIsOff)
{
    WriteText(env.dir / "bin/mine", "#!/bin/sh\n", 0755);
    WriteText(webs + "velbrin.ini", "[Browser]\nAuto=0\nExeName=" + env.dir / "bin/mine" + "\n");
    WriteProfileWorkPath(webs);
    auto other = [](const std::string&) { return std::optional<std::string>("other.desktop"); };
    TParam param(Chooser(), other);
    EXPECT_EQ(param.ExeName, env.dir / "bin/mine");
    EXPECT_TRUE(param.FindBrowser());
    param.ExeName = env.dir / "bin/gone";
    EXPECT_FALSE(param.FindBrowser());
    EXPECT_EQ(param.ExeName, env.dir / "bin/gone");
}

TEST_F(ParamTest, WithoutAWayToAskTheDesktopTheStoredBrowserStays)
{
    // The command line starts this way: it must neither run the desktop's
    // helpers nor clear the browser the desktop program found.
    WriteText(webs + "velbrin.ini", "[Browser]\nAuto=1\nExeName=/usr/bin/found-before\n");
    WriteProfileWorkPath(webs);
    {
        TParam param(Chooser(), TDefaultApplication());
        EXPECT_TRUE(param.BrowserAuto);
        EXPECT_EQ(param.ExeName, "/usr/bin/found-before");
    }
    EXPECT_NE(Settings().find("ExeName=/usr/bin/found-before\r\n"), std::string::npos);
}
