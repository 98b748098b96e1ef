#include "session/SessionTestSupport.h"

#include "capture/SessionRun.h"
#include "core/Files.h"

#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::test;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST_F(SessionFixture, StartPageNotFoundEndsAtOnceAndOffersToRenameTheAddress)
{
    auto web = SiteWeb("/missing.htm");
    web->SaveToFile(capture + "Local.Web");
    int saves = 0;
    int resolves = 0;
    TCaptureSteps steps;
    steps.SaveWeb = [&] {
        ++saves;
        return true;
    };
    steps.ResolveLinks = [&] { ++resolves; };
    TMIMELIST global;
    global.SetToDefault();

    ::testing::internal::CaptureStderr();
    TCaptureEnd end = RunCapture(*web, *settings, global, view, steps);
    const std::string box = ::testing::internal::GetCapturedStderr();

    const std::string url = server.Url("/missing.htm");
    EXPECT_EQ(server.Paths(), std::vector<std::string>{"/missing.htm"});
    EXPECT_TRUE(end.NothingCaptured);
    EXPECT_FALSE(end.Stopped);
    EXPECT_FALSE(end.RenameRequested);
    EXPECT_EQ(end.SessionCaptured, 0);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(resolves, 0);

    TWebFile& start = Record(*web, "/missing.htm");
    EXPECT_EQ(start.State, StateNotFound);
    EXPECT_EQ(start.GetFileName(), "NotFound.htm");
    EXPECT_EQ(web->NotFoundCount, 1);
    EXPECT_EQ(web->CapturedCount, 0);
    // The report page is never overwritten with the server's answer.
    EXPECT_EQ(ReadWholeFile(capture + "NotFound.htm"), kNotFoundPage);

    std::vector<std::string> lines = LogLines();
    EXPECT_TRUE(Contains(lines, "URL non trouv\xE9" "e (404):" + url)) << LogText();
    EXPECT_TRUE(Contains(lines, "0 page(s) captur\xE9" "e(s)"));
    EXPECT_TRUE(Contains(lines, "1 page(s) non trouv\xE9" "e(s)"));

    // The view heard the end, with what the failure box names.
    ASSERT_EQ(view.Ends.size(), 1u);
    EXPECT_TRUE(view.Ends[0].NothingCaptured);
    EXPECT_EQ(view.Ends[0].LastStatus, 404);
    EXPECT_EQ(view.Ends[0].LastUrl, url);
    // The server was reached: the box names its answer.
    EXPECT_EQ(box, "Connection error\n"
                   "  URL :" + url + "\n"
                   "  Not found (404)\n"
                   "  \n"
                   "  Rename Web's URL?\n"
                   "  [Yes] [No] -> No\n");
}

TEST_F(SessionFixture, OtherErrorStatusOfTheStartPageIsReportedByName)
{
    server.Serve("/index.htm", "HTTP/1.0 500 Internal Server Error\r\n\r\n");
    auto web = SiteWeb("/index.htm");
    TMIMELIST global;
    ::testing::internal::CaptureStderr();
    TCaptureEnd end = RunCapture(*web, *settings, global, view, TCaptureSteps{});
    const std::string box = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(end.NothingCaptured);
    EXPECT_TRUE(box.starts_with("HTTP protocol error\n  URL :" + server.Url("/index.htm") + "\n")) << box;
    EXPECT_TRUE(box.ends_with("  [Ok] -> Ok\n")) << box;
    EXPECT_TRUE(Contains(LogLines(), "URL non trouv\xE9" "e (500):" + server.Url("/index.htm")));
}

TEST_F(SessionFixture, NotFoundPageInsideTheSiteIsCountedAndTheSessionGoesOn)
{
    server.Page("/index.htm", "<A HREF=\"gone.htm\">gone</A><A HREF=\"here.htm\">here</A>");
    server.Page("/here.htm", "<P>here");
    auto web = SiteWeb("/index.htm");
    // A view of the links hears every change of state as it happens.
    std::vector<std::string> heard;
    web->LinksChanged = [&](const TWebFile* record) {
        if (record)
            heard.push_back(web->Tree.GetFileUrl(*record) + " " + std::to_string(record->State));
    };
    Capture(*web);
    const std::string gone = server.Url("/gone.htm");
    EXPECT_NE(std::find(heard.begin(), heard.end(), gone + " " + std::to_string(StateToExplore)), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), gone + " " + std::to_string(StateInProgress)), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), gone + " " + std::to_string(StateNotFound)), heard.end());
    EXPECT_EQ(Record(*web, "/gone.htm").State, StateNotFound);
    EXPECT_EQ(Record(*web, "/here.htm").State, StateCapturedPage);
    EXPECT_EQ(web->NotFoundCount, 1);
    EXPECT_EQ(web->CapturedCount, 2);
    EXPECT_EQ(ReadWholeFile(capture + "NotFound.htm"), kNotFoundPage);
}

TEST_F(SessionFixture, RedirectionEntersItsTargetAndStoresNoBody)
{
    server.Serve("/old.htm", RedirectResponse(302, "new/page.htm"));
    server.Page("/new/page.htm", "<TITLE>New</TITLE><IMG SRC=\"pic.gif\">");
    server.Gif("/new/pic.gif");
    auto web = SiteWeb("/old.htm");
    web->Options.InternalPathLimit = false;
    auto session = NewSession(*web);
    Run(*session);

    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/old.htm", "/new/page.htm", "/new/pic.gif"}));
    TWebFile& target = Record(*web, "/new/page.htm");
    EXPECT_EQ(target.State, StateCapturedPage);
    EXPECT_EQ(target.GetLinkType(), LinkTypePage);
    // The old address leads to the target's record from now on.
    EXPECT_EQ(&Record(*web, "/old.htm"), &target);
    EXPECT_EQ(web->CapturedCount, 3);
    EXPECT_EQ(session->SessionCaptured(), 3);
    EXPECT_EQ(StoredFiles(), (std::vector<std::string>{"BadLink.htm", "LogFile.htm", "NotFound.htm", "page.htm",
                                                       "pic.gif"}));
    // The Web's home page is the target's file.
    EXPECT_EQ(web->GetHomePage(), "page.htm");
    EXPECT_EQ(web->Title, "New");
}

TEST_F(SessionFixture, MovedPermanentlyIsFollowedAsWell)
{
    server.Page("/index.htm", "<A HREF=\"dir\">dir</A>");
    server.Serve("/dir", RedirectResponse(301, server.Url("/dir/")));
    server.Page("/dir/", "<P>inside");
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/index.htm", "/dir", "/dir/"}));
    EXPECT_EQ(Record(*web, "/dir/").State, StateCapturedPage);
    EXPECT_EQ(web->CapturedCount, 3);
}

TEST_F(SessionFixture, RedirectionWithoutLocationIsTakenAsTheAnswer)
{
    server.Serve("/index.htm", "HTTP/1.0 302 Found\r\nContent-Type: text/html\r\n\r\n<P>here after all");
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(Record(*web, "/index.htm").State, StateCapturedPage);
    EXPECT_EQ(web->CapturedCount, 1);
}

TEST_F(SessionFixture, RedirectionToItselfEnds)
{
    server.Serve("/self.htm", RedirectResponse(302, "/self.htm"));
    auto web = SiteWeb("/self.htm");
    Capture(*web);
    EXPECT_EQ(server.Count("/self.htm"), 1);
    EXPECT_EQ(web->GetLinkCount(), 1);
    // The next session asks again.
    Capture(*web);
    EXPECT_EQ(server.Count("/self.htm"), 2);
}

TEST_F(SessionFixture, RedirectionLoopEndsAndTheWebStillSavesAndLoads)
{
    server.Page("/index.htm", "<A HREF=\"a.htm\">a</A>");
    server.Serve("/a.htm", RedirectResponse(302, "b.htm"));
    server.Serve("/b.htm", RedirectResponse(302, "a.htm"));
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(server.Count("/a.htm"), 1);
    EXPECT_EQ(server.Count("/b.htm"), 1);
    EXPECT_EQ(web->CapturedCount, 3);

    web->SaveToFile(capture + "Local.Web");
    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(capture + "Local.Web"));
    EXPECT_NE(loaded->Tree.FindFile(server.Url("/a.htm")), nullptr);
    EXPECT_NE(loaded->Tree.FindFile(server.Url("/b.htm")), nullptr);
    Capture(*loaded);
}

TEST_F(SessionFixture, RedirectionToHttpsIsFollowedAndAProtocolItDoesNotFetchIsEnteredAndFiltered)
{
    server.Page("/index.htm", "<A HREF=\"secure.htm\">secure</A> <A HREF=\"old.htm\">old</A>"
                              "<A HREF=\"mail.htm\">mail</A> <A HREF=\"odd.htm\">odd</A>");
    const std::string secure = "https://127.0.0.1:" + std::to_string(server.Port()) + "/secure.htm";
    const std::string ftp = "ftp://127.0.0.1/old.htm";
    server.Serve("/secure.htm", RedirectResponse(302, secure));
    server.Serve("/old.htm", RedirectResponse(302, ftp));
    server.Serve("/mail.htm", RedirectResponse(301, "mailto:ann@site.test"));
    server.Serve("/odd.htm", RedirectResponse(302, "gopher://127.0.0.1/x"));
    auto web = SiteWeb("/index.htm");
    auto session = NewSession(*web);
    Run(*session);
    // The https address is entered and fetched over TLS, which this plain
    // server cannot speak: it fails as an error, not as a filtered link.
    ASSERT_NE(web->Tree.FindFile(secure), nullptr);
    EXPECT_EQ(web->Tree.FindFile(secure)->State, StateError);
    // The ftp and mail addresses are entered as links the Web refuses for
    // their protocol; the redirections count as followed, once each.
    ASSERT_NE(web->Tree.FindFile(ftp), nullptr);
    EXPECT_EQ(web->Tree.FindFile(ftp)->State, StateFiltered);
    EXPECT_EQ(&Record(*web, "/old.htm"), web->Tree.FindFile(ftp));
    const TWebFile* mail = web->Tree.FindFile("mailto:ann@site.test");
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->State, StateFiltered);
    const std::vector<std::string> lines = LogLines();
    EXPECT_TRUE(Contains(lines, ftp + " filtr\xE9 : Protocole incorrect")) << LogText();
    // The log names the address as the Web keeps it.
    EXPECT_TRUE(Contains(lines, web->Tree.GetFileUrl(*mail) + " filtr\xE9 : Protocole incorrect")) << LogText();
    // A protocol nobody knows is no address: the redirection is filtered.
    EXPECT_TRUE(Contains(lines, "gopher://127.0.0.1/x : url non valide")) << LogText();
    EXPECT_EQ(Record(*web, "/odd.htm").State, StateFiltered);
    // index, secure.htm, old.htm and mail.htm; the two targets and odd.htm filtered.
    EXPECT_EQ(web->CapturedCount, 4);
    EXPECT_EQ(session->SessionCaptured(), 4);
    EXPECT_EQ(web->FilteredCount, 3);
    EXPECT_EQ(session->SessionFiltered(), 1);
    EXPECT_EQ(web->GetTodoCount(), 0);
}

TEST_F(SessionFixture, UnauthorizedIsRetriedWithTheWebsCredentials)
{
    server.Page("/index.htm", "<A HREF=\"private.htm\">private</A>");
    server.Serve("/private.htm", "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"r\"\r\n\r\n");
    server.Page("/private.htm", "<P>secret");
    auto web = SiteWeb("/index.htm");
    web->Options.Username = "user";
    web->Options.Password = "secret";
    Capture(*web);

    ASSERT_EQ(server.Paths(), (std::vector<std::string>{"/index.htm", "/private.htm", "/private.htm"}));
    EXPECT_EQ(server.Requests()[1].find("Authorization:"), std::string::npos);
    EXPECT_NE(server.Requests()[2].find("\r\nAuthorization: Basic dXNlcjpzZWNyZXQ=\r\n"), std::string::npos)
        << server.Requests()[2];
    EXPECT_EQ(Record(*web, "/private.htm").State, StateCapturedPage);
    EXPECT_EQ(web->CapturedCount, 2);
    EXPECT_EQ(web->ErrorCount, 0);
}

TEST_F(SessionFixture, CredentialsGoWithTheLinkThatAskedForThemWhateverSocketTakesIt)
{
    settings->MaxSockets = 2;
    settings->TryCount = 2;
    server.Page("/index.htm", "<A HREF=\"private.htm\">p</A><A HREF=\"fast.htm\">f</A><A HREF=\"slow.htm\">s</A>");
    server.Protect("/private.htm", "dXNlcjpzZWNyZXQ=");
    server.Page("/private.htm", "<P>secret");
    server.Serve("/fast.htm", TAnswer{{OkResponse("text/html", "<P>fast")}, 100});
    server.Serve("/slow.htm", TAnswer{{OkResponse("text/html", "<P>slow")}, 300});
    auto web = SiteWeb("/index.htm");
    web->Options.Username = "user";
    web->Options.Password = "secret";
    Capture(*web);

    // The first socket answers the 401 and takes the next link, the slow
    // one; the protected page is asked for again on the second socket.
    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/index.htm", "/private.htm", "/fast.htm", "/slow.htm",
                                                        "/private.htm"}));
    EXPECT_EQ(Record(*web, "/private.htm").State, StateCapturedPage);
    EXPECT_EQ(web->ErrorCount, 0);
}

TEST_F(SessionFixture, CredentialsNeverGoToAnotherServer)
{
    settings->MaxSockets = 1;
    TSiteServer other;
    other.Page("/page.htm", "<P>elsewhere");
    server.Page("/index.htm", "<A HREF=\"private.htm\">p</A><A HREF=\"" + other.Url("/page.htm") + "\">o</A>"
                                  + "<A HREF=\"more.htm\">m</A>");
    server.Protect("/private.htm", "dXNlcjpzZWNyZXQ=");
    server.Page("/private.htm", "<P>secret");
    server.Page("/more.htm", "<P>more");
    auto web = SiteWeb("/index.htm");
    web->Options.Username = "user";
    web->Options.Password = "secret";
    Capture(*web);

    // The socket that sent the credentials serves the other server next.
    ASSERT_EQ(other.Requests().size(), 1u);
    EXPECT_EQ(other.Requests()[0].find("Authorization:"), std::string::npos) << other.Requests()[0];
    // The server that asked gets them with its later links too.
    ASSERT_EQ(server.Paths(), (std::vector<std::string>{"/index.htm", "/private.htm", "/more.htm", "/private.htm"}));
    EXPECT_NE(server.Requests()[2].find("Authorization: Basic dXNlcjpzZWNyZXQ="), std::string::npos);
    EXPECT_EQ(Record(*web, "/private.htm").State, StateCapturedPage);
}

TEST_F(SessionFixture, UnauthorizedBeyondTheTryCountIsGivenUp)
{
    settings->TryCount = 2;
    server.Page("/index.htm", "<A HREF=\"private.htm\">private</A>");
    server.Serve("/private.htm", "HTTP/1.0 401 Unauthorized\r\n\r\n");
    auto web = SiteWeb("/index.htm");
    auto session = NewSession(*web);
    Run(*session);

    // An answer 401 counts a try of its own besides the hand-out: the second
    // answer finds 3 tries, past the limit of 2.
    EXPECT_EQ(server.Count("/private.htm"), 2);
    EXPECT_EQ(Record(*web, "/private.htm").State, StateError);
    EXPECT_EQ(web->ErrorCount, 1);
    EXPECT_EQ(session->SessionErrors(), 1);
    EXPECT_TRUE(Contains(LogLines(), "1 page(s) provoquant une erreur"));
}

TEST_F(SessionFixture, ServerOutOfReachIsAnErrorAfterItsTries)
{
    // Nobody listens on the page's port: the connection is refused, which
    // allows no retry.
    const std::string closed = "http://127.0.0.1:" + std::to_string(velbrin::testing::ClosedPort()) + "/index.htm";
    server.Page("/index.htm", "<A HREF=\"" + closed + "\">elsewhere</A><A HREF=\"next.htm\">next</A>");
    server.Page("/next.htm", "<P>next");
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(web->Tree.FindFile(closed)->State, StateError);
    EXPECT_EQ(web->ErrorCount, 1);
    EXPECT_EQ(Record(*web, "/next.htm").State, StateCapturedPage);
}

TEST_F(SessionFixture, StartPageOfAServerOutOfReachSaysItCannotBeReached)
{
    const std::string closed = "http://127.0.0.1:" + std::to_string(velbrin::testing::ClosedPort()) + "/index.htm";
    auto web = InitWeb(closed);
    TMIMELIST global;
    ::testing::internal::CaptureStderr();
    TCaptureEnd end = RunCapture(*web, *settings, global, view, TCaptureSteps{});
    const std::string box = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(end.NothingCaptured);
    EXPECT_EQ(box, "Connection error\n"
                   "  URL :" + closed + "\n"
                   "  Cannot reach server,its Internet address is either misspelled or unknown!\n"
                   "  \n"
                   "  Rename Web's URL?\n"
                   "  [Yes] [No] -> No\n");
}

TEST_F(SessionFixture, ConnectionCutBeforeTheHeaderIsTriedAgain)
{
    server.Page("/index.htm", "<A HREF=\"flaky.htm\">flaky</A>");
    server.Serve("/flaky.htm", TAnswer{{"HTTP/1.0 200 OK\r\nContent-"}});
    server.Page("/flaky.htm", "<P>at last");
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(server.Count("/flaky.htm"), 2);
    EXPECT_EQ(Record(*web, "/flaky.htm").State, StateCapturedPage);
    EXPECT_EQ(web->ErrorCount, 0);
}

TEST_F(SessionFixture, AResolutionPassThatNeverEndedIsDoneByTheNextSession)
{
    server.Page("/index.htm", "<A HREF=\"here.htm\">here</A>");
    server.Page("/here.htm", "<P>here");
    auto web = SiteWeb("/index.htm");
    web->SaveToFile(capture + "Local.Web");
    const std::string marker = capture + "Local.Web-unresolved";
    int resolves = 0;
    TCaptureSteps steps;
    // The program is killed in the pass: the marker stays.
    steps.ResolveLinks = [&] {
        ++resolves;
        EXPECT_TRUE(FileExists(marker));
    };
    TMIMELIST global;
    global.SetToDefault();

    RunCapture(*web, *settings, global, view, steps);
    EXPECT_EQ(resolves, 1);
    EXPECT_EQ(web->CapturedCount, 2);
    // Nothing is left to fetch, yet the links are resolved.
    TCaptureEnd end = RunCapture(*web, *settings, global, view, steps);
    EXPECT_EQ(end.SessionCaptured, 0);
    EXPECT_EQ(resolves, 2);

    // Once a pass ends, a session that fetches nothing resolves nothing.
    steps.ResolveLinks = [&] {
        ++resolves;
        web->SetResolvePending(false);
    };
    RunCapture(*web, *settings, global, view, steps);
    EXPECT_EQ(resolves, 3);
    EXPECT_FALSE(FileExists(marker));
    RunCapture(*web, *settings, global, view, steps);
    EXPECT_EQ(resolves, 3);
    EXPECT_FALSE(FileExists(marker));
}
