#include "capture/WebTestSupport.h"

#include <string>
#include <vector>

using namespace velbrin;

namespace {

class WebFiles : public test::WebFixture {
protected:
    WebFiles() { web = InitWeb("http://h.com/"); }

    // A record of the given state whose file (when content is given) is on disk.
    TWebFile* Stored(std::string_view url, std::string_view name, std::uint8_t state, const char* content = "data")
    {
        TWebFile* record = web->NewLink(TLinkItem{LinkTypeInline, std::string(url), ""}, nullptr);
        EXPECT_NE(record, nullptr);
        record->State = state;
        record->SetFileName(name);
        if (content)
            WriteWholeFile(capture + std::string(name), content);
        return record;
    }

    void StoreSite()
    {
        TWebFile* home = web->Tree.FindFile("http://h.com/");
        home->State = StateCapturedPage;
        home->SetFileName("INDEX.htm");
        WriteWholeFile(capture + "INDEX.htm", "<html>home</html>");
        Stored("http://h.com/a.gif", "A.gif", StateCapturedFile);
        Stored("http://h.com/gone.gif", "GONE.gif", StateCapturedFile, nullptr);
        Stored("http://h.com/f.zip", "F.zip", StateFiltered);
        web->CapturedCount = 3;
        web->TotalSize = 1000;
    }

    std::unique_ptr<TWEB> web;
};

} // namespace

TEST_F(WebFiles, FileCountCountsCapturedRecordsWhoseFileExists)
{
    StoreSite();
    EXPECT_EQ(web->GetFileCount(), 2);
    EXPECT_EQ(web->FileCount, 2);
    // A record entered under a second address counts once.
    ASSERT_TRUE(web->AddAlias("http://h.com/b.gif", *web->Tree.FindFile("http://h.com/a.gif")));
    EXPECT_EQ(web->GetFileCount(), 2);
}

TEST_F(WebFiles, CleanDeletesTheCaptureAndStartsAgain)
{
    StoreSite();
    WriteWholeFile(capture + "A.map", "<area>");
    WriteWholeFile(capture + "own.txt", "not the Web's");
    WriteWholeFile(capture + "NotFound.htm", "changed");
    web->MapList.Add(TMapImg{"A.gif", "A.map", "", "", "http://h.com/", ""});
    web->Title = "Kept";
    web->Options.MaxTime = 9;
    web->SaveToFile(capture + "Local.Web");
    ASSERT_TRUE(FileExists(capture + "LogFile.htm"));

    web->Clean();
    for (const char* gone : {"INDEX.htm", "A.gif", "F.zip", "A.map", "LogFile.htm"})
        EXPECT_FALSE(FileExists(capture + gone)) << gone;
    EXPECT_TRUE(FileExists(capture + "own.txt"));
    EXPECT_TRUE(FileExists(capture + "Local.Web"));
    EXPECT_EQ(ReadWholeFile(capture + "NotFound.htm"), test::kNotFoundPage);
    EXPECT_EQ(ReadWholeFile(capture + "BadLink.htm"), test::kBadLinkPage);

    EXPECT_EQ(web->GetLinkCount(), 1);
    EXPECT_EQ(web->TodoList().size(), 1u);
    EXPECT_EQ(web->Tree.FindFile("http://h.com/")->State, StateToExplore);
    EXPECT_EQ(web->CapturedCount, 0);
    EXPECT_EQ(web->TotalSize, 0);
    EXPECT_EQ(web->MapList.Count(), 0u);
    EXPECT_EQ(web->Title, "Kept");
    EXPECT_EQ(web->Options.MaxTime, 9);
    EXPECT_EQ(web->FileName, capture + "Local.Web");

    // The next entry opens a log without heading.
    web->Log("next");
    EXPECT_EQ(LogText(), "<br>next\r\n");
}

TEST_F(WebFiles, CleanNeverDeletesOutsideTheCaptureDirectory)
{
    std::string outside = root.Path() + "webs/precious.txt";
    WriteWholeFile(outside, "keep");
    Stored("http://h.com/x", "../precious.txt", StateCapturedFile, nullptr);
    Stored("http://h.com/y", "Local.Web", StateCapturedFile, nullptr);
    web->SaveToFile(capture + "Local.Web");
    web->MapList.Add(TMapImg{"x.gif", "../precious.txt", "", "", "", ""});
    web->Clean();
    EXPECT_TRUE(FileExists(outside));
    EXPECT_TRUE(FileExists(capture + "Local.Web"));
}

TEST_F(WebFiles, CopyCarriesTheFilesAndSavesTheWebInItsNewDirectory)
{
    StoreSite();
    web->SaveToFile(capture + "Local.Web");
    std::string target = root.Path() + "copy/sub/";
    std::vector<std::string> seen;
    int lastTotal = -1;
    std::string error = "stale";
    ASSERT_TRUE(web->WebCopy(target + "Copy.Web", false,
                             [&](const std::string& name, int done, int total) {
                                 seen.push_back(name + "@" + std::to_string(done));
                                 lastTotal = total;
                             },
                             &error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(seen, (std::vector<std::string>{"INDEX.htm@0", "A.gif@1", "BadLink.htm@2", "NotFound.htm@3", "@4"}));
    EXPECT_EQ(lastTotal, 4);
    EXPECT_EQ(ReadWholeFile(target + "INDEX.htm"), "<html>home</html>");
    EXPECT_TRUE(FileExists(target + "A.gif"));
    EXPECT_FALSE(FileExists(target + "F.zip"));
    EXPECT_FALSE(FileExists(target + "LogFile.htm"));
    EXPECT_TRUE(FileExists(capture + "INDEX.htm"));
    EXPECT_EQ(web->Path, target);
    EXPECT_EQ(web->CopyPath, target);
    EXPECT_EQ(web->FileName, target + "Copy.Web");
    EXPECT_FALSE(web->MoveFlag);

    auto copy = NewWeb();
    ASSERT_TRUE(copy->LoadFromFile(target + "Copy.Web"));
    EXPECT_EQ(copy->Path, target);
    EXPECT_EQ(copy->GetFileCount(), 2);
}

TEST_F(WebFiles, MoveDeletesTheSourcesOnceTheWebIsSaved)
{
    StoreSite();
    std::string target = root.Path() + "moved/";
    ASSERT_TRUE(web->WebCopy(target + "Local.Web", true));
    EXPECT_TRUE(web->MoveFlag);
    EXPECT_TRUE(FileExists(target + "INDEX.htm"));
    EXPECT_TRUE(FileExists(target + "NotFound.htm"));
    EXPECT_FALSE(FileExists(capture + "INDEX.htm"));
    EXPECT_FALSE(FileExists(capture + "A.gif"));
    EXPECT_TRUE(FileExists(capture + "F.zip"));
    EXPECT_TRUE(FileExists(capture + "LogFile.htm"));
}

TEST_F(WebFiles, AMoveThatCannotSaveKeepsTheWebWhereItWas)
{
    StoreSite();
    std::string target = root.Path() + "moved/";
    ForceDirectories(target + "Local.Web/");
    std::string error;
    EXPECT_FALSE(web->WebCopy(target + "Local.Web", true, {}, &error));
    EXPECT_NE(error, "");
    EXPECT_EQ(web->Path, capture);
    EXPECT_TRUE(FileExists(capture + "INDEX.htm"));
    EXPECT_TRUE(FileExists(capture + "A.gif"));
}

TEST_F(WebFiles, CopyingIntoItsOwnDirectoryOnlySaves)
{
    StoreSite();
    ASSERT_TRUE(web->WebCopy(capture + "Other.Web", true));
    EXPECT_EQ(ReadWholeFile(capture + "INDEX.htm"), "<html>home</html>");
    EXPECT_TRUE(FileExists(capture + "A.gif"));
    EXPECT_TRUE(FileExists(capture + "Other.Web"));
}
