#include "capture/CaptureLog.h"
#include "capture/WebTestSupport.h"

#include <unistd.h>

using namespace velbrin;

namespace {

const std::string kHeading = "<HTML><HEADER></HEADER><BODY BGCOLOR=\"#FFFFFF\"><H3>WEB : HTTP://H.COM/</H3>";

class CaptureLog : public test::WebFixture {
protected:
    CaptureLog() { web = InitWeb("http://h.com/"); }
    std::unique_ptr<TWEB> web;
};

} // namespace

TEST(CaptureLogText, HeadingCarriesTheStartAddressUpperCasedAndEscaped)
{
    EXPECT_EQ(LogHeading("http://h.com/a?x=\"<b>\"&y=\xE9"),
              "<HTML><HEADER></HEADER><BODY BGCOLOR=\"#FFFFFF\"><H3>WEB : "
              "HTTP://H.COM/A?X=&quot;&lt;B&gt;&quot;&amp;Y=\xC9</H3>");
}

TEST(CaptureLogText, EntriesAreCutToFit255Bytes)
{
    EXPECT_EQ(LogEntry(""), "<br>\r\n");
    std::string fits(249, 'm');
    EXPECT_EQ(LogEntry(fits), "<br>" + fits + "\r\n");
    std::string oneMore(250, 'm');
    EXPECT_EQ(LogEntry(oneMore), "<br>" + oneMore + "\r");
    std::string noEnd(251, 'm');
    EXPECT_EQ(LogEntry(noEnd), "<br>" + noEnd);
    EXPECT_EQ(LogEntry(std::string(1000, 'm')), "<br>" + std::string(251, 'm'));
}

TEST_F(CaptureLog, EntriesFollowTheHeadingInLatin1)
{
    EXPECT_EQ(LogText(), kHeading);
    EXPECT_TRUE(web->Log("D\xE9" "but de capture le lundi"));
    EXPECT_TRUE(web->LogUrl("http://h.com/<x>", " filtr\xE9 : Protocole incorrect"));
    EXPECT_TRUE(web->LogAfter("URL non trouv\xE9" "e (404):", "http://h.com/a&b"));
    EXPECT_TRUE(web->Log(""));
    EXPECT_EQ(LogText(), kHeading + "<br>D\xE9" "but de capture le lundi\r\n"
                                    "<br>http://h.com/&lt;x&gt; filtr\xE9 : Protocole incorrect\r\n"
                                    "<br>URL non trouv\xE9" "e (404):http://h.com/a&amp;b\r\n"
                                    "<br>\r\n");
    EXPECT_EQ(web->LogError(), "");
}

TEST_F(CaptureLog, HtmlFileInitLeavesAnExistingFileAlone)
{
    web->Log("kept");
    EXPECT_TRUE(web->HtmlFileInit("LogFile.htm"));
    EXPECT_EQ(LogText(), kHeading + "<br>kept\r\n");
    EXPECT_TRUE(web->HtmlFileInit("Report.htm"));
    EXPECT_EQ(ReadWholeFile(capture + "Report.htm"), kHeading);
    EXPECT_FALSE(web->HtmlFileInit("../Report.htm"));
}

TEST_F(CaptureLog, ALogThatCannotBeWrittenIsReportedNotThrown)
{
    DeleteFile(capture + "LogFile.htm");
    ForceDirectories(capture + "LogFile.htm/");
    EXPECT_FALSE(web->Log("lost"));
    EXPECT_NE(web->LogError(), "");
    EXPECT_FALSE(web->DiskFull());
    web->ClearLogError();
    EXPECT_EQ(web->LogError(), "");
}

TEST_F(CaptureLog, AFullDiskIsRemembered)
{
    if (!FileExists("/dev/full") && ::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    DeleteFile(capture + "LogFile.htm");
    ASSERT_EQ(::symlink("/dev/full", (capture + "LogFile.htm").c_str()), 0);
    EXPECT_FALSE(web->LogUrl("http://h.com/", " filtr\xE9 : Protocole incorrect"));
    EXPECT_TRUE(web->DiskFull());
    // The capture goes on: links are still entered and filtered.
    EXPECT_NE(web->NewLink(TLinkItem{LinkTypePage, "ftp://h.com/", ""}, nullptr), nullptr);
}

TEST_F(CaptureLog, AWebWithoutDirectoryWritesNoLog)
{
    auto blank = NewWeb();
    EXPECT_FALSE(blank->Log("nowhere"));
    EXPECT_FALSE(blank->HtmlFileInit("LogFile.htm"));
    EXPECT_EQ(blank->LogError(), "");
}

TEST_F(CaptureLog, TheLogOpenForEntriesFollowsDeletionAndTheWebsDirectory)
{
    web->Log("first");
    // Deleted between two sessions: the next entry makes it again.
    web->CloseLog();
    DeleteFile(capture + "LogFile.htm");
    EXPECT_TRUE(web->Log("second"));
    EXPECT_EQ(LogText(), "<br>second\r\n");
    // Cleaning the Web deletes the log it has open.
    web->Clean();
    EXPECT_FALSE(FileExists(capture + "LogFile.htm"));
    EXPECT_TRUE(web->Log("third"));
    EXPECT_EQ(LogText(), "<br>third\r\n");
    // A Web that moves logs in its new directory.
    const std::string moved = capture + "moved/";
    ForceDirectories(moved);
    web->Path = moved;
    EXPECT_TRUE(web->Log("fourth"));
    EXPECT_EQ(ReadWholeFile(moved + "LogFile.htm"), "<br>fourth\r\n");
    EXPECT_EQ(LogText(), "<br>third\r\n");
}
