#include "session/SessionTestSupport.h"

#include "capture/SessionRun.h"
#include "core/Files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace velbrin;
using namespace velbrin::test;

namespace {

bool LinkExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// A page in two halves, the header with the first.
const std::string kFirstHalf = "<HTML><BODY><A HREF=\"later.htm\">later</A>";
const std::string kSecondHalf = "</BODY></HTML>\r\n";
const std::string kPageHeader = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                                + std::to_string(kFirstHalf.size() + kSecondHalf.size()) + "\r\n\r\n";

// A start page with a slow page and a page on a host whose name never
// resolves, so that its request is never sent.
class StoppedSession : public SessionFixture {
protected:
    StoppedSession()
    {
        resolver->Hang("hang.example.org");
        server.Page("/s/index.htm", "<A HREF=\"slow.htm\">slow</A><A HREF=\"http://hang.example.org/x.htm\">x</A>");
        server.Serve("/s/slow.htm", TAnswer{{kPageHeader + kFirstHalf, kSecondHalf}, 0, 400});
        server.Page("/s/later.htm", "<P>later");
        web = SiteWeb("/s/index.htm");
        web->Options.ExternalWebDepth = 1;
        session = NewSession(*web);
        // Until the slow page's body has begun and the other request waits for its name.
        bool running = Run(*session, [this] {
            const TWebFile* hanging = web->Tree.FindFile("http://hang.example.org/x.htm");
            return FileExists(capture + "slow.htm") && hanging && hanging->State == StateInProgress;
        });
        EXPECT_TRUE(running);
    }

    std::unique_ptr<TWEB> web;
    std::unique_ptr<TCapture> session;
};

} // namespace

TEST_F(StoppedSession, TransfersUnderWayFinishAndTheirLinksWaitForTheNextSession)
{
    session->StopSession(false);
    EXPECT_TRUE(session->Stopping());
    Run(*session);

    TWebFile& slow = Record(*web, "/s/slow.htm");
    EXPECT_EQ(slow.State, StateCapturedPage);
    EXPECT_NE(ReadWholeFile(capture + "slow.htm").find("<A HREF=\"" + server.Url("/s/later.htm") + "\">"),
              std::string::npos);
    TWebFile& later = Record(*web, "/s/later.htm");
    EXPECT_EQ(later.State, StateToExplore);
    EXPECT_FALSE(server.Received("/s/later.htm"));
    // The request that was not sent yet was dropped; its link is queued again next time.
    EXPECT_EQ(web->Tree.FindFile("http://hang.example.org/x.htm")->State, StateInProgress);
    EXPECT_EQ(web->CapturedCount, 2);
    EXPECT_EQ(web->GetTodoCount(), 2);

    // The next session asks for both again; the name now fails at once.
    resolver = std::make_shared<velbrin::testing::TFakeResolver>();
    SetDefaultHostResolver(resolver);
    Capture(*web);
    EXPECT_TRUE(server.Received("/s/later.htm"));
    EXPECT_EQ(later.State, StateCapturedPage);
}

TEST_F(StoppedSession, AbortAllDropsEveryTransferAndItsPartialFile)
{
    session->StopSession(true);
    Run(*session);
    EXPECT_FALSE(FileExists(capture + "slow.htm"));
    EXPECT_EQ(Record(*web, "/s/slow.htm").State, StateInProgress);
    EXPECT_EQ(web->Tree.FindFile(server.Url("/s/later.htm")), nullptr);
    EXPECT_EQ(web->CapturedCount, 1);
}

TEST_F(SessionFixture, FileCountLimitStopsAndAbortsTheTransfersUnderWay)
{
    settings->MaxSockets = 2;
    server.Page("/index.htm", "<IMG SRC=\"slow.gif\"><IMG SRC=\"fast.gif\"><A HREF=\"next.htm\">next</A>");
    server.Serve("/fast.gif", TAnswer{{OkResponse("image/gif", kTinyGif)}, 300});
    // Half a picture, then nothing more.
    server.Serve("/slow.gif", TAnswer{{"HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 43\r\n\r\n"
                                       + kTinyGif.substr(0, 20)},
                                      0, 10, true});
    server.Page("/next.htm", "<P>next");
    auto web = SiteWeb("/index.htm");
    web->Options.MaxFileCount = 2;
    bool slowStarted = false;
    view.OnRow = [&](int, const TSocketRow&) { slowStarted = slowStarted || FileExists(capture + "slow.gif"); };
    auto session = NewSession(*web);
    Run(*session);

    EXPECT_TRUE(slowStarted);
    EXPECT_TRUE(session->Stopping());
    EXPECT_EQ(web->CapturedCount, 2);
    EXPECT_EQ(Record(*web, "/fast.gif").State, StateCapturedFile);
    EXPECT_FALSE(FileExists(capture + "slow.gif"));
    EXPECT_FALSE(server.Received("/next.htm"));
    EXPECT_TRUE(web->TodoList().empty());
}

TEST_F(SessionFixture, FileCountLimitKeepsThatManyFilesAndTheNextSessionNoMore)
{
    settings->MaxSockets = 1;
    std::string page;
    for (int i = 0; i < 12; ++i) {
        page += "<IMG SRC=\"p" + std::to_string(i) + ".gif\">";
        server.Gif("/p" + std::to_string(i) + ".gif");
    }
    server.Page("/index.htm", page);
    auto web = SiteWeb("/index.htm");
    web->Options.MaxFileCount = 10;
    Capture(*web);
    EXPECT_EQ(web->CapturedCount, 10);
    std::vector<std::string> kept = StoredFiles();
    std::erase_if(kept, [](const std::string& name) { return !name.ends_with(".gif") && name != "index.htm"; });
    EXPECT_EQ(kept.size(), 10u);
    EXPECT_EQ(server.Paths().size(), 10u);

    // A Web at its limit asks for nothing more.
    Capture(*web);
    EXPECT_EQ(server.Paths().size(), 10u);
    EXPECT_EQ(web->CapturedCount, 10);
}

TEST_F(SessionFixture, DiskSizeLimitStopsOnceTheCaptureIsLarger)
{
    settings->MaxSockets = 1;
    server.Page("/index.htm", "<IMG SRC=\"big.gif\"><A HREF=\"next.htm\">next</A>");
    server.Serve("/big.gif", OkResponse("image/gif", kTinyGif + std::string(1100, '\0')));
    server.Page("/next.htm", "<P>next");
    auto web = SiteWeb("/index.htm");
    web->Options.MaxDiskSize = 1;
    auto session = NewSession(*web);
    Run(*session);
    EXPECT_TRUE(session->Stopping());
    EXPECT_EQ(Record(*web, "/big.gif").State, StateCapturedFile);
    EXPECT_GT(web->TotalSize, 1024);
    EXPECT_FALSE(server.Received("/next.htm"));
}

TEST_F(SessionFixture, FullDiskDuringABodyStopsAndTheWebIsSaved)
{
    settings->MaxSockets = 1;
    server.Page("/index.htm", "<IMG SRC=\"big.gif\"><A HREF=\"next.htm\">next</A>");
    server.Serve("/big.gif", TAnswer{{"HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 43\r\n\r\n",
                                      kTinyGif}});
    server.Page("/next.htm", "<P>next");
    auto web = SiteWeb("/index.htm");
    const std::string project = capture + "Local.Web";
    web->SaveToFile(project);

    // The picture's file is chosen when its header arrives and created right
    // after; in between, the row shows the announced size. The file's name is
    // then made a link to the device that is always full.
    const std::string big = capture + "big.gif";
    bool linked = false;
    view.OnRow = [&](int, const TSocketRow& row) {
        if (row.Path == "/big.gif" && row.Size == 43 && !linked) {
            linked = true;
            ASSERT_EQ(::symlink("/dev/full", big.c_str()), 0);
        }
    };
    TCaptureSteps steps;
    steps.SaveWeb = [&] {
        web->SaveToFile(project);
        return true;
    };
    int resolves = 0;
    steps.ResolveLinks = [&] { ++resolves; };
    TMIMELIST global;
    TCaptureEnd end = RunCapture(*web, *settings, global, view, steps);

    EXPECT_TRUE(end.DiskFull);
    EXPECT_TRUE(end.Stopped);
    EXPECT_FALSE(end.NothingCaptured);
    EXPECT_EQ(resolves, 1);
    EXPECT_TRUE(linked);
    EXPECT_FALSE(LinkExists(big));
    EXPECT_FALSE(server.Received("/next.htm"));

    auto saved = NewWeb();
    ASSERT_TRUE(saved->LoadFromFile(project));
    EXPECT_EQ(saved->CapturedCount, 1);
    EXPECT_EQ(saved->Tree.FindFile(server.Url("/big.gif"))->State, StateError);
    EXPECT_EQ(saved->Tree.FindFile(server.Url("/index.htm"))->State, StateCapturedPage);
    EXPECT_NE(ReadWholeFile(capture + "index.htm").find("<A HREF=\"" + server.Url("/next.htm") + "\">"),
              std::string::npos);
}
