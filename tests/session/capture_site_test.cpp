#include "session/SessionTestSupport.h"

#include "core/DateTime.h"
#include "core/Files.h"
#include "rewrite/RewriteFooter.h"

#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::test;

namespace {

const std::string kStartPage = "<HTML><HEAD><TITLE>Start page</TITLE></HEAD><BODY>\r\n"
                               "<A HREF=\"second.htm\">Second</A>\r\n"
                               "<IMG SRC=\"pics/logo.gif\">\r\n"
                               "<A HREF=\"mailto:someone@example.com\">Mail</A>\r\n"
                               "<A HREF=\"http://www.example.invalid/far.htm\">Far</A>\r\n"
                               "</BODY></HTML>\r\n";

class SmallSite : public SessionFixture {
protected:
    SmallSite()
    {
        server.Page("/site/index.htm", kStartPage);
        server.Page("/site/second.htm", "<HTML><BODY><A HREF=\"index.htm\">Back</A></BODY></HTML>");
        server.Gif("/site/pics/logo.gif");
        web = SiteWeb("/site/index.htm");
    }

    std::unique_ptr<TWEB> web;
};

} // namespace

TEST_F(SmallSite, CapturesPagesAndPicturesAndFiltersTheRest)
{
    Capture(*web);

    // The external name is refused by the link rules before anything asks for it.
    EXPECT_EQ(resolver->Lookups("www.example.invalid"), 0);
    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/site/index.htm", "/site/pics/logo.gif", "/site/second.htm"}));

    EXPECT_EQ(web->GetLinkCount(), 4);
    EXPECT_EQ(web->CapturedCount, 3);
    EXPECT_EQ(web->FilteredCount, 1);
    EXPECT_EQ(web->ErrorCount, 0);
    EXPECT_EQ(web->NotFoundCount, 0);
    EXPECT_EQ(web->GetTodoCount(), 0);
    EXPECT_TRUE(web->TodoList().empty());
    EXPECT_EQ(view.Counts.Links, 4);
    EXPECT_EQ(view.Counts.Captured, 3);
    EXPECT_EQ(view.Counts.Filtered, 1);
    EXPECT_EQ(view.Counts.Todo, 0);

    EXPECT_EQ(Record(*web, "/site/index.htm").State, StateCapturedPage);
    EXPECT_EQ(Record(*web, "/site/second.htm").State, StateCapturedPage);
    EXPECT_EQ(Record(*web, "/site/pics/logo.gif").State, StateCapturedFile);
    EXPECT_EQ(web->Tree.FindFile("http://www.example.invalid/far.htm")->State, StateFiltered);
    EXPECT_EQ(web->Tree.FindFile("mailto:someone@example.com"), nullptr);
    EXPECT_EQ(Record(*web, "/site/pics/logo.gif").GetMimeType(), "image/gif");
    EXPECT_EQ(Record(*web, "/site/index.htm").GetDescription(), "Start page");
    EXPECT_EQ(web->Title, "Start page");

    EXPECT_EQ(StoredFiles(), (std::vector<std::string>{"BadLink.htm", "LogFile.htm", "NotFound.htm", "index.htm",
                                                       "logo.gif", "second.htm"}));
    EXPECT_EQ(ReadWholeFile(capture + "logo.gif"), kTinyGif);
    EXPECT_EQ(web->TotalSize, GetFileSize(capture + "index.htm") + GetFileSize(capture + "second.htm") + 43);
    EXPECT_EQ(view.Listed, (std::vector<std::string>{"logo.gif"}));
}

TEST_F(SmallSite, StoredPageCarriesAbsoluteLinksItsAddressAndTheRealLinkFooter)
{
    ASSERT_TRUE(web->Options.RealLinkFlag);
    Capture(*web);

    const std::string page = server.Url("/site/index.htm");
    const std::string expected = "<HTML>\r\n<!-- Url : \"" + page + "\" -->\r\n<HEAD><TITLE>Start page</TITLE></HEAD><BODY>\r\n"
                                 "<A HREF=\"" + server.Url("/site/second.htm") + "\">Second</A>\r\n"
                                 "<IMG SRC=\"" + server.Url("/site/pics/logo.gif") + "\">\r\n"
                                 "<A HREF=\"mailto:someone@example.com\">Mail</A>\r\n"
                                 "<A HREF=\"http://www.example.invalid/far.htm\">Far</A>\r\n"
                                 "</BODY></HTML>\r\n"
                                 + RealLinkFooter(page, web->CaptureDate);
    EXPECT_EQ(ReadWholeFile(capture + "index.htm"), expected);
}

TEST_F(SmallSite, PageWithoutRealLinkFlagHasNoFooter)
{
    web->Options.RealLinkFlag = false;
    Capture(*web);
    std::string page = ReadWholeFile(capture + "second.htm");
    EXPECT_EQ(page, "<HTML>\r\n<!-- Url : \"" + server.Url("/site/second.htm") + "\" -->\r\n<BODY><A HREF=\""
                        + server.Url("/site/index.htm") + "\">Back</A></BODY></HTML>");
}

TEST_F(SmallSite, LogHoldsTheSessionInOrder)
{
    auto session = NewSession(*web);
    const TDateTime start = web->CaptureDate;
    Run(*session);

    std::vector<std::string> lines = LogLines();
    // The mail address is refused without a word: it is not an HTTP link.
    ASSERT_EQ(lines.size(), 6u) << LogText();
    EXPECT_EQ(lines[0], "D\xE9" "but de capture le " + FormatLongDate(start));
    EXPECT_EQ(lines[1], "http://www.example.invalid/far.htm filtr\xE9 : Externe au domaine principal");
    EXPECT_TRUE(lines[2].starts_with("Fin de capture le ")) << lines[2];
    EXPECT_EQ(lines[3], "Dur\xE9" "e de la session : " + session->Duration());
    EXPECT_EQ(lines[4], "3 page(s) captur\xE9" "e(s)");
    EXPECT_EQ(lines[5], "");
    EXPECT_TRUE(lines[3].ends_with(" : 00:00:00") || lines[3].ends_with(" : 00:00:01")) << lines[3];
}

TEST_F(SmallSite, SessionStatisticsGoToTheCaptureInfo)
{
    auto session = NewSession(*web);
    Run(*session);
    TCaptureInfo info;
    session->FillCaptureInfo(info);
    EXPECT_EQ(info.StartDate, web->CaptureDate);
    EXPECT_GE(info.EndDate, info.StartDate);
    EXPECT_EQ(info.SessionCaptured, 3);
    EXPECT_EQ(info.SessionFiltered, 0);
    EXPECT_EQ(info.SessionNotFound, 0);
    EXPECT_EQ(info.SessionErrors, 0);
    EXPECT_GT(session->ReceivedBytes(), 0);
}

TEST_F(SmallSite, SecondSessionFetchesNothingAlreadyCaptured)
{
    Capture(*web);
    const std::string stored = ReadWholeFile(capture + "index.htm");
    Capture(*web);
    EXPECT_EQ(server.Paths().size(), 3u);
    EXPECT_EQ(web->CapturedCount, 3);
    EXPECT_EQ(web->FilteredCount, 1);
    EXPECT_EQ(ReadWholeFile(capture + "index.htm"), stored);
}

TEST_F(SessionFixture, OneSocketFetchesInTodoListOrderPicturesFirst)
{
    settings->MaxSockets = 1;
    server.Page("/index.htm", "<BODY><A HREF=\"p2.htm\">2</A><IMG SRC=\"a.gif\"><A HREF=\"p3.htm\">3</A>"
                              "<BODY BACKGROUND=\"b.gif\"></BODY>");
    server.Page("/p2.htm", "<BODY><A HREF=\"p4.htm\">4</A><IMG SRC=\"c.gif\"></BODY>");
    server.Page("/p3.htm", "<BODY>three</BODY>");
    server.Page("/p4.htm", "<BODY>four</BODY>");
    for (const char* gif : {"/a.gif", "/b.gif", "/c.gif"})
        server.Gif(gif);
    auto web = SiteWeb("/index.htm");
    Capture(*web);

    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/index.htm", "/b.gif", "/a.gif", "/p2.htm", "/c.gif",
                                                        "/p3.htm", "/p4.htm"}));
    EXPECT_EQ(server.MostOpen(), 1);
    EXPECT_EQ(web->CapturedCount, 7);
    EXPECT_EQ(Record(*web, "/b.gif").GetLinkType(), LinkTypeBackground);
}

TEST_F(SessionFixture, SeveralSocketsWorkAtOnce)
{
    settings->MaxSockets = 3;
    TAnswer slow{{OkResponse("image/gif", kTinyGif)}, 150};
    server.Page("/index.htm", "<IMG SRC=\"a.gif\"><IMG SRC=\"b.gif\"><IMG SRC=\"c.gif\"><IMG SRC=\"d.gif\">");
    for (const char* gif : {"/a.gif", "/b.gif", "/c.gif", "/d.gif"})
        server.Serve(gif, slow);
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(server.MostOpen(), 3);
    EXPECT_EQ(web->CapturedCount, 5);
    EXPECT_EQ(view.Rows.size(), 3u);
}

TEST_F(SessionFixture, ContentTypeWithParametersIsCapturedAsItsMediaType)
{
    server.Serve("/index.htm", OkResponse("text/html; charset=utf-8", "<A HREF=\"next.htm\">next</A>"));
    server.Serve("/next.htm", OkResponse("TEXT/HTML;charset=ISO-8859-1", "<P>next"));
    auto web = SiteWeb("/index.htm");
    Capture(*web);
    EXPECT_EQ(Record(*web, "/index.htm").State, StateCapturedPage);
    EXPECT_EQ(Record(*web, "/index.htm").GetMimeType(), "text/html");
    EXPECT_EQ(Record(*web, "/next.htm").State, StateCapturedPage);
    EXPECT_EQ(web->CapturedCount, 2);
    EXPECT_EQ(web->MimeList.Count(), mimes.Count());
}

TEST_F(SessionFixture, UnknownTypeIsLearntAndItsFileNotKept)
{
    server.Page("/index.htm", "<A HREF=\"data.vlb\">data</A>");
    server.Serve("/data.vlb", OkResponse("application/x-velbrin-test", std::string(3000, 'd')));
    auto web = SiteWeb("/index.htm");
    Capture(*web);

    const TMimeItem* learnt = web->MimeList.GetMimeByString("application/x-velbrin-test");
    ASSERT_NE(learnt, nullptr);
    EXPECT_EQ(learnt->MimeClass, MimeClassOther);
    EXPECT_FALSE(learnt->Capture);
    EXPECT_EQ(learnt->Extension, "vlb");
    EXPECT_EQ(Record(*web, "/data.vlb").State, StateFiltered);
    EXPECT_EQ(web->CapturedCount, 1);
    EXPECT_EQ(web->FilteredCount, 1);
    EXPECT_EQ(StoredFiles(), (std::vector<std::string>{"BadLink.htm", "LogFile.htm", "NotFound.htm", "index.htm"}));
    std::vector<std::string> lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1 page(s) filtr\xE9" "e(s)"), lines.end()) << LogText();
}

TEST_F(SessionFixture, PageOfATypeNotCapturedIsExploredThenDropped)
{
    server.Page("/index.htm", "<A HREF=\"next.htm\">next</A>");
    server.Page("/next.htm", "<P>next");
    auto web = SiteWeb("/index.htm");
    web->MimeList.GetMimeByString("text/html")->Capture = false;
    Capture(*web);
    EXPECT_EQ(server.Paths(), (std::vector<std::string>{"/index.htm", "/next.htm"}));
    EXPECT_EQ(Record(*web, "/index.htm").State, StateFiltered);
    EXPECT_EQ(web->CapturedCount, 0);
    EXPECT_EQ(web->FilteredCount, 2);
    EXPECT_FALSE(FileExists(capture + "index.htm"));
}

TEST_F(SessionFixture, FilesBeyondTheSizeLimitsAreDeletedAfterTheirTransfer)
{
    // Without a Content-Length the size is known only once the body is in.
    server.Page("/index.htm", "<IMG SRC=\"big.gif\"><IMG SRC=\"small.gif\">");
    server.Serve("/big.gif", TAnswer{{"HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\n\r\n", kTinyGif + std::string(3000, '\0')}});
    server.Serve("/small.gif", "HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\n\r\n" + kTinyGif);
    auto web = SiteWeb("/index.htm");
    web->Options.MaxFileSize = 2;
    Capture(*web);
    EXPECT_EQ(Record(*web, "/big.gif").State, StateFiltered);
    EXPECT_EQ(Record(*web, "/small.gif").State, StateCapturedFile);
    EXPECT_FALSE(FileExists(capture + "big.gif"));
    EXPECT_TRUE(FileExists(capture + "small.gif"));
}

namespace {

class SaveEvery50 : public SessionFixture {
protected:
    // A start page and pictures pictures; the project file exists before the
    // session and is removed, so any file found afterwards was written by it.
    std::unique_ptr<TWEB> CaptureSite(int pictures)
    {
        std::string page = "<BODY>";
        for (int i = 0; i < pictures; ++i) {
            std::string name = "/p" + std::to_string(i) + ".gif";
            page += "<IMG SRC=\"" + name.substr(1) + "\">";
            server.Gif(name);
        }
        server.Page("/index.htm", page);
        auto web = SiteWeb("/index.htm");
        web->SaveToFile(project);
        EXPECT_TRUE(DeleteFile(project));
        Capture(*web);
        EXPECT_EQ(web->CapturedCount, pictures + 1);
        return web;
    }

    const std::string project = capture + "Local.Web";
};

} // namespace

TEST_F(SaveEvery50, FiftiethKeptFileWritesTheProjectOnce)
{
    auto web = CaptureSite(51);
    ASSERT_TRUE(FileExists(project));
    auto saved = NewWeb();
    ASSERT_TRUE(saved->LoadFromFile(project));
    EXPECT_EQ(saved->CapturedCount, 50);
}

TEST_F(SaveEvery50, AKilledSessionLosesAtMostTheLast50KeptFiles)
{
    std::string page = "<BODY>";
    for (int i = 0; i < 120; ++i) {
        std::string name = "/p" + std::to_string(i) + ".gif";
        page += "<IMG SRC=\"" + name.substr(1) + "\">";
        server.Gif(name);
    }
    server.Page("/index.htm", page);
    auto web = SiteWeb("/index.htm");
    web->SaveToFile(project);
    const std::string before = ReadWholeFile(project);
    // The session ends without its closing save, as when it is killed.
    Capture(*web);
    ASSERT_EQ(web->CapturedCount, 121);
    EXPECT_EQ(ReadWholeFile(project), before) << "periodic saves append to the journal";

    auto resumed = NewWeb();
    ASSERT_TRUE(resumed->LoadFromFile(project));
    EXPECT_EQ(resumed->CapturedCount, 100);
    EXPECT_EQ(resumed->Tree.CountFiles([](const TWebFile& f) {
        return f.State == StateCapturedPage || f.State == StateCapturedFile;
    }), 100u);
    EXPECT_EQ(resumed->UpdateTodo(), 21);
    EXPECT_FALSE(FileExists(project + std::string(kProjectJournalSuffix)));
}

TEST_F(SaveEvery50, FortyNineKeptFilesWriteNothing)
{
    auto web = CaptureSite(48);
    EXPECT_FALSE(FileExists(project));
}
