#include "config/Options.h"
#include "config/Scratch.h"
#include "core/IniFile.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::testing::ScratchDir;

namespace {

// Every field away from both the zero state and the INI defaults.
TOPTIONS Unusual()
{
    TOPTIONS o;
    o.InternalPathLimit = false;
    o.ExternalPathLimit = false;
    o.InternalLinkDepth = 7;
    o.ExternalWebDepth = 2;
    o.ExternalLinkDepth = 3;
    o.RefLimit = true;
    o.ListGifFlag = false;
    o.ListJpegFlag = false;
    o.ListAviFlag = false;
    o.ListWavFlag = false;
    o.ResolvedUrlFlag = false;
    o.ErrorUrlFlag = true;
    o.TodoUrlFlag = true;
    o.FilteredUrlFlag = true;
    o.StretchImageFlag = false;
    o.RealLinkFlag = false;
    o.SuppressLinkFlag = false;
    o.BackgroundOnlyFlag = true;
    o.CheckDomainMachineFlag = true;
    o.MaxFileCount = 500;
    o.MaxFileSize = 2048;
    o.MinFileSize = 1;
    o.MaxDiskSize = 32767;
    o.MaxTime = 90;
    o.Username = "jean-fran\xE7ois";
    o.Password = " secret with blanks ";
    return o;
}

} // namespace

TEST(Options, EmptySectionGivesTheUsualDefaults)
{
    TIniFile ini("");
    TOPTIONS o = Unusual();
    o.ReadOptions(ini, "DEFAULT");

    TOPTIONS expected; // all 0, false and empty ...
    expected.InternalPathLimit = true; // ... but these
    expected.ExternalPathLimit = true;
    expected.InternalLinkDepth = 100;
    expected.ListGifFlag = true;
    expected.ListJpegFlag = true;
    expected.ListAviFlag = true;
    expected.ListWavFlag = true;
    expected.ResolvedUrlFlag = true;
    expected.StretchImageFlag = true;
    expected.RealLinkFlag = true;
    expected.SuppressLinkFlag = true;
    EXPECT_EQ(o, expected);
}

TEST(Options, EveryKeyRoundTripsThroughTheFile)
{
    ScratchDir dir;
    TOPTIONS written = Unusual();
    {
        TIniFile ini(dir / "options.ini");
        written.WriteOptions(ini, "OPTIONS");
        ini.UpdateFile();
    }
    TOPTIONS read;
    read.ReadOptions(TIniFile(dir / "options.ini"), "options");
    EXPECT_EQ(read, written);
}

TEST(Options, KeysAreWrittenInTheirFixedOrderAndForm)
{
    TIniFile ini("");
    Unusual().WriteOptions(ini, "default");
    TStringList expected = { "InternalPathLimit", "ExternalPathLimit", "InternalLinkDepth", "ExternalWebDepth",
        "ExternalLinkDepth", "RefLimit", "ListGifFlag", "ListJpegFlag", "ListAviFlag", "ListWavFlag",
        "ResolvedUrlFlag", "ErrorUrlFlag", "TodoUrlFlag", "FilteredUrlFlag", "StretchImageFlag", "RealLinkFlag",
        "SuppressLinkFlag", "BackgroundOnlyFlag", "MaxFileCount", "MaxFileSize", "MinFileSize", "MaxDiskSize",
        "MaxTime", "CheckDomainMachineFlag", "Username", "Password" };
    EXPECT_EQ(ini.ReadSection("default"), expected);
    EXPECT_EQ(ini.Text(),
              "[default]\r\n"
              "InternalPathLimit=0\r\nExternalPathLimit=0\r\nInternalLinkDepth=7\r\nExternalWebDepth=2\r\n"
              "ExternalLinkDepth=3\r\nRefLimit=1\r\nListGifFlag=0\r\nListJpegFlag=0\r\nListAviFlag=0\r\n"
              "ListWavFlag=0\r\nResolvedUrlFlag=0\r\nErrorUrlFlag=1\r\nTodoUrlFlag=1\r\nFilteredUrlFlag=1\r\n"
              "StretchImageFlag=0\r\nRealLinkFlag=0\r\nSuppressLinkFlag=0\r\nBackgroundOnlyFlag=1\r\n"
              "MaxFileCount=500\r\nMaxFileSize=2048\r\nMinFileSize=1\r\nMaxDiskSize=32767\r\nMaxTime=90\r\n"
              "CheckDomainMachineFlag=1\r\nUsername=jean-fran\xE7ois\r\nPassword=\" secret with blanks \"\r\n");
}

TEST(Options, ReadAcceptsHexadecimalAndAnyNonZeroAsTrue)
{
    ScratchDir dir;
    velbrin::testing::WriteText(dir / "o.ini", "[Options]\nmaxtime=0x1E\nREFLIMIT=7\nListGifFlag=0\n");
    TOPTIONS o;
    o.ReadOptions(TIniFile(dir / "o.ini"), "OPTIONS");
    EXPECT_EQ(o.MaxTime, 30);
    EXPECT_TRUE(o.RefLimit);
    EXPECT_FALSE(o.ListGifFlag);
}

TEST(Options, MergeChangesOnlyTheKeysPresent)
{
    ScratchDir dir;
    velbrin::testing::WriteText(dir / "o.ini", "[OPTIONS]\nMaxTime=5\n");
    TIniFile ini(dir / "o.ini");

    TOPTIONS merged = Unusual();
    merged.MergeOptions(ini, "OPTIONS");
    TOPTIONS expected = Unusual();
    expected.MaxTime = 5;
    EXPECT_EQ(merged, expected);

    // A section the file does not have changes nothing at all.
    merged.MergeOptions(ini, "Missing");
    EXPECT_EQ(merged, expected);
}

TEST(Options, MergeCanClearStringsAndFlags)
{
    ScratchDir dir;
    velbrin::testing::WriteText(dir / "o.ini", "[OPTIONS]\nUsername=\nErrorUrlFlag=0\n");
    TOPTIONS o = Unusual();
    o.MergeOptions(TIniFile(dir / "o.ini"), "OPTIONS");
    EXPECT_EQ(o.Username, "");
    EXPECT_FALSE(o.ErrorUrlFlag);
    EXPECT_EQ(o.Password, Unusual().Password);
}

TEST(Options, CopyLeavesTheDestinationsDomainMachineFlag)
{
    TOPTIONS source = Unusual(); // flag on
    TOPTIONS defaults;           // flag off
    CopyOptions(defaults, source);
    EXPECT_FALSE(defaults.CheckDomainMachineFlag);
    defaults.CheckDomainMachineFlag = true;
    EXPECT_EQ(defaults, source); // every other field, strings included

    TOPTIONS web;
    web.CheckDomainMachineFlag = true;
    source.CheckDomainMachineFlag = false;
    CopyOptions(web, source);
    EXPECT_TRUE(web.CheckDomainMachineFlag);
}

TEST(Options, IntegersAreClampedWhenRead)
{
    ScratchDir dir;
    velbrin::testing::WriteText(dir / "o.ini",
                                "[DEFAULT]\nMaxDiskSize=40000\nMaxTime=-3\nMaxFileCount=99999999999\n"
                                "InternalLinkDepth=0x7FFFFFFF\nMinFileSize=32767\n");
    TIniFile ini(dir / "o.ini");
    TOPTIONS o;
    o.ReadOptions(ini, "DEFAULT");
    EXPECT_EQ(o.MaxDiskSize, 32767);
    EXPECT_EQ(o.MaxTime, 0);
    EXPECT_EQ(o.MaxFileCount, 32767);
    EXPECT_EQ(o.InternalLinkDepth, 32767);
    EXPECT_EQ(o.MinFileSize, 32767);

    TOPTIONS merged;
    merged.MergeOptions(ini, "DEFAULT");
    EXPECT_EQ(merged.MaxDiskSize, 32767);
    EXPECT_EQ(merged.MaxTime, 0);
}

TEST(Options, SetterAndClampKeepIntegersWithinTheProjectFileRange)
{
    EXPECT_EQ(ClampOption(-1), 0);
    EXPECT_EQ(ClampOption(0), 0);
    EXPECT_EQ(ClampOption(32767), 32767);
    EXPECT_EQ(ClampOption(32768), 32767);
    EXPECT_EQ(ClampOption(INT64_MIN), 0);

    TOPTIONS o;
    o.SetInteger(&TOPTIONS::MaxDiskSize, 1'000'000);
    o.SetInteger(&TOPTIONS::MaxTime, -20);
    o.SetInteger(&TOPTIONS::ExternalWebDepth, 4);
    EXPECT_EQ(o.MaxDiskSize, 32767);
    EXPECT_EQ(o.MaxTime, 0);
    EXPECT_EQ(o.ExternalWebDepth, 4);

    o.InternalLinkDepth = 70000;
    o.MinFileSize = -1;
    o.ClampIntegers();
    EXPECT_EQ(o.InternalLinkDepth, 32767);
    EXPECT_EQ(o.MinFileSize, 0);
}

TEST(Options, UnreadableNumberTakesTheDefaultAndLongTextsAreCut)
{
    ScratchDir dir;
    std::string longName(300, 'u');
    velbrin::testing::WriteText(dir / "o.ini", "[DEFAULT]\nInternalLinkDepth=deep\nUsername=" + longName + "\n");
    TOPTIONS o;
    o.ReadOptions(TIniFile(dir / "o.ini"), "DEFAULT");
    EXPECT_EQ(o.InternalLinkDepth, 100);
    EXPECT_EQ(o.Username, std::string(255, 'u'));
}

TEST(Options, ProblemOfAnOptionsFileNamesTheKey)
{
    ScratchDir dir;
    auto problem = [&](const std::string& text) {
        velbrin::testing::WriteText(dir / "o.ini", text);
        return FindOptionProblem(TIniFile(dir / "o.ini"), "OPTIONS", {"MIMES"});
    };
    // Options in any case, numbers in both forms, texts as they come, the extra key.
    EXPECT_EQ(problem("[Options]\nmaxfilecount=10\nMaxTime=0x1E\nRefLimit=-1\nUsername=ann b\nMimes=+ALL\n"
                      "[Other]\nAnything=else\n"),
              "");
    EXPECT_EQ(problem("[OPTIONS]\nMaxTime=5\nMaxFileCout=10\n"), "unknown key MaxFileCout in section [OPTIONS]");
    EXPECT_EQ(problem("[OPTIONS]\nMaxFileCount=10 files\n"), "the key MaxFileCount needs a number, not \"10 files\"");
    EXPECT_EQ(problem("[OPTIONS]\nRealLinkFlag=yes\n"), "the key RealLinkFlag needs a number, not \"yes\"");
    EXPECT_EQ(problem("[OPTIONS]\nMaxTime=\n"), "the key MaxTime needs a number, not \"\"");
    EXPECT_EQ(problem("[OPTIONS]\nMaxTime=0x\n"), "the key MaxTime needs a number, not \"0x\"");
}
