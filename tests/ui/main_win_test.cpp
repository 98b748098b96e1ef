#include "MainWinTestSupport.h"

#include "capture/KnownWebs.h"
#include "capture/ResolvePass.h"
#include "index/PictureHeader.h"
#include "session/SiteServer.h"
#include "ui/RecentWebs.h"
#include "ui/WebRemoval.h"

#include <QPushButton>
#include <QTimer>

#include <filesystem>

namespace velbrin::test {
namespace {

namespace fs = std::filesystem;

// A small site: a start page linking a second page and a picture.
void ServeSite(TSiteServer& server)
{
    server.Page("/", "<html><head><title>Fixture</title></head><body><a href=\"/b.htm\">b</a>"
                     "<img src=\"/p.gif\"></body></html>");
    server.Page("/b.htm", "<html><head><title>B</title></head><body><a href=\"/\">home</a></body></html>");
    server.Gif("/p.gif");
}

class MainWin : public MainWinTest {
protected:
    // Creates a Web of the site in "<work>/site/" through New Web with
    // "Create and Capture", and waits for the whole capture.
    TWEB& CaptureSite(TSiteServer& server)
    {
        ServeSite(server);
        NewWebAnswer = TNewWebAnswer{server.Url("/"), Work() + "site/", "", true};
        Window().Run(TCommand::New);
        EXPECT_TRUE(WaitUntil([&] {
            TWEB* web = Window().CurrentWeb();
            return web && !Window().Capturing() && FileExists(web->Path + "_Home.htm")
                   && Window().Action(TCommand::Start)->isEnabled();
        }));
        return *Window().CurrentWeb();
    }
};

TEST_F(MainWin, NewWebIsCapturedSavedResolvedAndListed)
{
    TSiteServer server;
    Open();
    TWEB& web = CaptureSite(server);

    EXPECT_EQ(web.Path, Work() + "site/");
    EXPECT_GE(web.CapturedCount, 3);
    EXPECT_TRUE(server.Received("/b.htm"));
    EXPECT_TRUE(server.Received("/p.gif"));
    // Saved at the end of the capture, under the name New Web gave it.
    EXPECT_TRUE(FileExists(Work() + "site/Local.Web"));
    EXPECT_EQ(Window().WebsList().front(), Work() + "site/Local.Web");
    // The untitled Web takes its home page's title; the caption shows it.
    EXPECT_EQ(web.Title, "Fixture");
    EXPECT_EQ(Window().Caption(), "Velbrin 1.073 (Fixture)");
    // Back on the tab shown before the capture, with every tab selectable.
    EXPECT_EQ(Window().Tabs()->currentIndex(), 0);
    EXPECT_TRUE(Window().Tabs()->isTabEnabled(0));
    EXPECT_TRUE(Window().Action(TCommand::ResolveLinks)->isEnabled());
    EXPECT_TRUE(Window().Action(TCommand::Home)->isEnabled());
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(Questions.empty());

    CloseWindowObject();
    EXPECT_EQ(ReadText(Work() + "webs.dat"), Work() + "site/Local.Web\r\n");
}

TEST_F(MainWin, CommandLineAddressMakesAWebInTheCaptureDirectoryAndCapturesIt)
{
    TSiteServer server;
    ServeSite(server);
    Open();
    Window().OpenRequested(TWebRequest{"", "", server.Url("/"), false});
    ASSERT_TRUE(WaitUntil([&] {
        return Window().CurrentWeb() && !Window().CaptureRunning() && Window().CurrentWeb()->CapturedCount > 0;
    }));
    std::string project = DefaultProjectFile(Window().Settings().Path, server.Url("/"));
    EXPECT_EQ(Window().CurrentWeb()->FileName, project);
    EXPECT_EQ(Window().WebsList().front(), project);
    EXPECT_EQ(Window().Settings().Url, server.Url("/"));

    // The project file again, without CAPTURE: opened, not captured.
    const int requests = static_cast<int>(server.Paths().size());
    ASSERT_TRUE(Window().CloseWeb());
    Window().OpenRequested(TWebRequest{project, "", "", false});
    WaitUntil([] { return false; }, 300);
    ASSERT_NE(Window().CurrentWeb(), nullptr);
    EXPECT_EQ(Window().CurrentWeb()->Title, "Fixture");
    EXPECT_EQ(static_cast<int>(server.Paths().size()), requests);

    // An address that is none is refused with a message, and the Web stays.
    Window().OpenRequested(TWebRequest{"", "", "httpfoo", true});
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_NE(Window().CurrentWeb(), nullptr);
}

TEST_F(MainWin, ANotFoundStartPageOffersANewAddressAndTheWebTakesIt)
{
    TSiteServer server;
    ServeSite(server);
    Open();
    std::string boxText;
    Window().Prompts().Box = [&](const TBox& box) {
        Boxes.push_back(box.Caption);
        boxText = box.Message;
        return TModalResult::Yes;
    };
    QString addressCaption;
    Window().Prompts().Address = [&](const QString& caption, const std::string&) {
        addressCaption = caption;
        return std::optional<std::string>(server.Url("/b.htm"));
    };
    NewWebAnswer = TNewWebAnswer{server.Url("/nowhere/"), Work() + "lost/", "Lost", true};
    Window().Run(TCommand::New);
    ASSERT_TRUE(WaitUntil([&] { return !Boxes.empty() && !Window().CaptureRunning(); }));
    EXPECT_EQ(Boxes, std::vector<std::string>{"Connection error"});
    EXPECT_NE(boxText.find("Rename Web's URL?"), std::string::npos);
    EXPECT_EQ(addressCaption.toStdString(), "New web adress");
    ASSERT_NE(Window().CurrentWeb(), nullptr);
    EXPECT_EQ(Window().CurrentWeb()->Url, server.Url("/b.htm"));
    EXPECT_EQ(Window().Tabs()->currentIndex(), 0);
}

TEST_F(MainWin, ClosingAWebWithAProjectFileSavesItWithoutAQuestion)
{
    Open();
    std::string project = MakeProject(Work() + "a/", "A");
    fs::remove(project);
    auto web = std::make_unique<TWEB>(Window().Settings(), std::string(VELBRIN_DATA_DIR) + "/");
    ASSERT_TRUE(web->Init("http://127.0.0.1/", Work() + "a/", Window().GlobalMime()));
    web->FileName = project;
    web->Title = "Kept";
    Window().ShowWeb(std::move(web), false);

    ASSERT_TRUE(Window().CloseWeb());
    EXPECT_TRUE(Questions.empty());
    EXPECT_EQ(Window().CurrentWeb(), nullptr);
    EXPECT_TRUE(Window().StartScreenShown());
    EXPECT_EQ(Window().Caption(), "Velbrin 1.073 ");
    EXPECT_EQ(RecentWebName(project), "Kept");
}

TEST_F(MainWin, ClosingAnUnsavedWebAsksAndFollowsTheAnswer)
{
    Open();
    ShowUnsaved(Work() + "u/");

    Answers = {TModalResult::Cancel};
    EXPECT_FALSE(Window().CloseWeb());
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Close Web|Save current Web?");
    EXPECT_NE(Window().CurrentWeb(), nullptr);

    // Yes, but the save dialog is cancelled: the Web stays.
    Answers = {TModalResult::Yes};
    EXPECT_FALSE(Window().CloseWeb());
    EXPECT_EQ(SaveCaptions, std::vector<std::string>{"Saave Web tree"});
    EXPECT_NE(Window().CurrentWeb(), nullptr);

    Answers = {TModalResult::Yes};
    SaveAnswers = {Work() + "u/Chosen.web"};
    EXPECT_TRUE(Window().CloseWeb());
    EXPECT_TRUE(FileExists(Work() + "u/Chosen.web"));
    EXPECT_EQ(Window().WebsList().front(), Work() + "u/Chosen.web");

    ShowUnsaved(Work() + "v/");
    Answers = {TModalResult::No};
    EXPECT_TRUE(Window().CloseWeb());
    EXPECT_FALSE(FileExists(Work() + "v/Local.Web"));
    EXPECT_TRUE(Window().StartScreenShown());
}

TEST_F(MainWin, SevenKnownWebsShowSixEntriesAndAllSevenAreKept)
{
    Open();
    std::string list;
    std::vector<std::string> projects;
    for (int n = 1; n <= 7; ++n) {
        projects.push_back(MakeProject(Work() + "w" + std::to_string(n) + "/", "Web & " + std::to_string(n)));
        list += projects.back() + "\r\n";
    }
    // A project deleted outside the program, and a long title.
    std::string gone = MakeProject(Work() + "gone/", "Gone");
    fs::remove(gone);
    list += gone + "\r\n";
    std::string longTitle = MakeProject(Work() + "long/", "A title that is longer than thirty-two bytes");
    CloseWindowObject();
    WriteText(Work() + "webs.dat", list);

    Open();
    ASSERT_EQ(Window().RecentActions().size(), 6u);
    EXPECT_EQ(Window().RecentActions()[0]->text().toStdString(), "&1 WEB && 1");
    EXPECT_EQ(Window().RecentActions()[5]->text().toStdString(), "&6 WEB && 6");
    EXPECT_EQ(RecentWebName(longTitle), "A title that is longer than thir...");
    EXPECT_EQ(Window().WebsList().size(), 7u);

    // Entry 3 opens the third Web and puts it on top.
    Window().OpenRecent(3);
    ASSERT_NE(Window().CurrentWeb(), nullptr);
    EXPECT_EQ(Window().CurrentWeb()->Title, "Web & 3");
    EXPECT_EQ(Window().WebsList().front(), projects[2]);
    EXPECT_EQ(Window().RecentActions()[0]->text().toStdString(), "&1 WEB && 3");

    CloseWindowObject();
    std::string kept = ReadText(Work() + "webs.dat");
    EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 7);
    EXPECT_EQ(kept.find(gone), std::string::npos);
    EXPECT_EQ(kept.substr(0, projects[2].size()), projects[2]);
}

TEST_F(MainWin, ResetAsksThenDeletesTheCapturedFilesAndLinks)
{
    TSiteServer server;
    Open();
    TWEB& web = CaptureSite(server);
    std::string page = web.Path + web.GetHomePage();
    ASSERT_TRUE(FileExists(page));

    Answers = {TModalResult::No};
    Window().Run(TCommand::Reset);
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Reset Web|This action will delete all created files as well as all links to URL\r\n"
                            "Continue?");
    EXPECT_TRUE(FileExists(page));

    Answers = {TModalResult::Yes};
    Window().Run(TCommand::Reset);
    EXPECT_FALSE(FileExists(page));
    EXPECT_EQ(web.CapturedCount, 0);
    EXPECT_EQ(web.GetLinkCount(), 1);
    EXPECT_FALSE(Window().Action(TCommand::ResolveLinks)->isEnabled());

    // Nothing captured: Reset asks nothing.
    Window().Run(TCommand::Reset);
    EXPECT_EQ(Questions.size(), 2u);
}

TEST_F(MainWin, DeleteTakesTheDirectoryOutsideTheWorkingPathWhenAsked)
{
    TSiteServer server;
    Open();
    TWEB& web = CaptureSite(server);
    std::string directory = web.Path;
    WriteText(directory + "mine.txt", "a file of the user's");

    Answers = {TModalResult::Yes};
    Window().Run(TCommand::Delete);
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Delete the Web |Delete associated directory?");
    EXPECT_FALSE(fs::exists(directory));
    EXPECT_EQ(Window().CurrentWeb(), nullptr);
    EXPECT_TRUE(Window().StartScreenShown());
    EXPECT_TRUE(Window().WebsList().empty());
    EXPECT_TRUE(Window().RecentActions().empty());
}

TEST_F(MainWin, DeleteAnsweredNoKeepsTheDirectoryButNotTheProject)
{
    Open();
    std::string project = MakeProject(Work() + "keep/", "Keep");
    WriteText(Work() + "keep/mine.txt", "x");
    Window().OpenRequested(TWebRequest{project, "", "", false});
    ASSERT_NE(Window().CurrentWeb(), nullptr);

    Answers = {TModalResult::Cancel};
    Window().Run(TCommand::Delete);
    EXPECT_NE(Window().CurrentWeb(), nullptr);
    EXPECT_TRUE(FileExists(project));

    Answers = {TModalResult::No};
    Window().Run(TCommand::Delete);
    EXPECT_EQ(Window().CurrentWeb(), nullptr);
    EXPECT_FALSE(FileExists(project));
    EXPECT_TRUE(FileExists(Work() + "keep/mine.txt"));
}

TEST_F(MainWin, DeleteNeverTakesTheWorkingPathTheHomeOrTheRoot)
{
    Open();
    for (const std::string& directory : {Work(), Home()}) {
        std::string project = MakeProject(directory, "Here");
        WriteText(directory + "mine.txt", "x");
        Window().OpenRequested(TWebRequest{project, "", "", false});
        ASSERT_NE(Window().CurrentWeb(), nullptr);
        Questions.clear();
        Window().Run(TCommand::Delete);
        EXPECT_TRUE(Questions.empty()) << directory;
        EXPECT_EQ(Window().CurrentWeb(), nullptr);
        EXPECT_FALSE(FileExists(project));
        EXPECT_FALSE(FileExists(directory + "LogFile.htm"));
        EXPECT_TRUE(FileExists(directory + "mine.txt"));
        EXPECT_TRUE(fs::is_directory(directory));
    }
    EXPECT_TRUE(FileExists(Work() + "velbrin.ini"));

    std::vector<std::string> keep = ProtectedDirectories();
    EXPECT_TRUE(IsProtectedDirectory("/", keep));
    EXPECT_TRUE(IsProtectedDirectory(Home() + "../home", keep));
    EXPECT_TRUE(IsProtectedDirectory(Work().substr(0, Work().size() - 1), keep));
    EXPECT_TRUE(IsProtectedDirectory(std::string(VELBRIN_DATA_DIR), keep));
    // What holds one of them is kept too; what they hold is not.
    EXPECT_TRUE(IsProtectedDirectory(fs::path(Home()).parent_path().parent_path().string(), keep));
    EXPECT_FALSE(IsProtectedDirectory(Work() + "site/", keep));
}

TEST_F(MainWin, CopyShowsTheCopyAndMoveLeavesNothingBehind)
{
    TSiteServer server;
    Open();
    TWEB& web = CaptureSite(server);
    std::string home = web.GetHomePage();
    std::string source = web.FileName;

    SaveAnswers = {Work() + "copy/Local.Web"};
    Window().Run(TCommand::Copy);
    EXPECT_EQ(SaveCaptions.back(), "Copy Web");
    EXPECT_EQ(web.Path, Work() + "copy/");
    EXPECT_TRUE(FileExists(Work() + "copy/" + home));
    EXPECT_TRUE(FileExists(Work() + "site/" + home));
    ASSERT_GE(Window().WebsList().size(), 2u);
    EXPECT_EQ(Window().WebsList()[0], Work() + "copy/Local.Web");
    EXPECT_EQ(Window().WebsList()[1], source);

    SaveAnswers = {Work() + "moved/Local.Web"};
    Window().Run(TCommand::Move);
    EXPECT_EQ(SaveCaptions.back(), "Move Web");
    EXPECT_EQ(web.Path, Work() + "moved/");
    EXPECT_TRUE(FileExists(Work() + "moved/" + home));
    EXPECT_FALSE(FileExists(Work() + "copy/" + home));
    EXPECT_EQ(Window().WebsList()[0], Work() + "moved/Local.Web");
    EXPECT_EQ(std::count(Window().WebsList().begin(), Window().WebsList().end(), Work() + "copy/Local.Web"), 0);
    EXPECT_EQ(Window().Caption(), "Velbrin 1.073 (Fixture)");
}

TEST_F(MainWin, ClosingDuringACaptureAsksTwiceThenClosesWhenTheCaptureHasEnded)
{
    TSiteServer server;
    // The start page never answers: the session runs until it is stopped.
    server.Serve("/", TAnswer{{}, 60000, 10, true});
    Open();
    NewWebAnswer = TNewWebAnswer{server.Url("/"), Work() + "slow/", "", true};
    Answers = {TModalResult::Cancel, TModalResult::Ok, TModalResult::Ok};
    bool stillOpenAfterCancel = false;
    bool stillOpenAfterThird = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!Window().Capturing() || !server.Received("/"))
            return;
        poll.stop();
        Window().close();
        stillOpenAfterCancel = Window().isVisible() && Window().Capturing();
        Window().close();
        Window().close();
        Window().close();
        stillOpenAfterThird = Window().isVisible();
    });
    poll.start();
    Window().Run(TCommand::New);
    ASSERT_TRUE(WaitUntil([&] { return !Window().isVisible(); }));

    EXPECT_TRUE(stillOpenAfterCancel);
    EXPECT_TRUE(stillOpenAfterThird);
    ASSERT_EQ(Questions.size(), 3u);
    for (const std::string& question : Questions)
        EXPECT_EQ(question, "Quit Velbrin|There is a capture in progress. Abort?");
    // The Web was closed the ordinary way: saved to its project file.
    EXPECT_EQ(Window().CurrentWeb(), nullptr);
    EXPECT_TRUE(FileExists(Work() + "slow/Local.Web"));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWin, EnablingRulesFollowTheState)
{
    TSiteServer server;
    server.Serve("/", TAnswer{{}, 60000, 10, true});
    Open();
    auto enabled = [&](TCommand command) { return Window().Action(command)->isEnabled(); };

    // No Web.
    EXPECT_FALSE(enabled(TCommand::Save));
    EXPECT_FALSE(enabled(TCommand::SaveAs));
    EXPECT_FALSE(enabled(TCommand::Close));
    EXPECT_TRUE(Window().FileMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(Window().WebMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(Window().CaptureMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(Window().HtmlMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(Window().PreferencesMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(enabled(TCommand::Setup));
    EXPECT_FALSE(enabled(TCommand::SaveOptions));
    EXPECT_EQ(enabled(TCommand::Glossary), FileExists(std::string(VELBRIN_DATA_DIR) + "/help/glossair.htm"));

    // A Web at rest, never captured.
    NewWebAnswer = TNewWebAnswer{server.Url("/"), Work() + "rules/", "Rules", false};
    Window().Run(TCommand::New);
    ASSERT_NE(Window().CurrentWeb(), nullptr);
    EXPECT_EQ(Window().Caption(), "Velbrin 1.073 (Rules)");
    EXPECT_TRUE(enabled(TCommand::Save) && enabled(TCommand::SaveAs) && enabled(TCommand::Close));
    EXPECT_TRUE(Window().WebMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(enabled(TCommand::ImageMap));
    EXPECT_TRUE(enabled(TCommand::Start));
    EXPECT_FALSE(enabled(TCommand::Stop));
    EXPECT_FALSE(enabled(TCommand::ResolveLinks));
    EXPECT_FALSE(enabled(TCommand::Home));
    EXPECT_FALSE(enabled(TCommand::AddBookmark));
    EXPECT_TRUE(Window().StartButton()->isEnabled());
    EXPECT_FALSE(Window().StopButton()->isEnabled());
    EXPECT_TRUE(enabled(TCommand::SaveOptions));

    // Capturing.
    bool checked = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!Window().Capturing() || !server.Received("/"))
            return;
        poll.stop();
        checked = true;
        EXPECT_FALSE(Window().FileMenu()->menuAction()->isEnabled());
        EXPECT_FALSE(Window().WebMenu()->menuAction()->isEnabled());
        EXPECT_FALSE(Window().HtmlMenu()->menuAction()->isEnabled());
        EXPECT_FALSE(Window().PreferencesMenu()->menuAction()->isEnabled());
        EXPECT_TRUE(Window().CaptureMenu()->menuAction()->isEnabled());
        EXPECT_FALSE(enabled(TCommand::Start));
        EXPECT_TRUE(enabled(TCommand::Stop));
        EXPECT_FALSE(enabled(TCommand::ResolveLinks));
        EXPECT_FALSE(Window().StartButton()->isEnabled());
        EXPECT_TRUE(Window().StopButton()->isEnabled());
        EXPECT_EQ(Window().Tabs()->currentIndex(), 3);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(Window().Tabs()->isTabEnabled(i), i == 3 || i == 5) << i;
        // Commands that would free the Web are refused.
        EXPECT_FALSE(Window().CloseWeb());
        Window().Run(TCommand::Delete);
        EXPECT_NE(Window().CurrentWeb(), nullptr);
        Window().Run(TCommand::Stop);
    });
    poll.start();
    Window().Run(TCommand::Start);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(Window().Capturing());
    EXPECT_TRUE(enabled(TCommand::Start));
    EXPECT_TRUE(Window().Tabs()->isTabEnabled(0));
}

TEST_F(MainWin, CloseIsRefusedWhileASaveRuns)
{
    Open();
    Window().OpenRequested(TWebRequest{MakeProject(Work() + "s/", "S"), "", "", false});
    ASSERT_NE(Window().CurrentWeb(), nullptr);

    bool busy = false;
    bool fileMenu = true;
    QTimer::singleShot(0, &Window(), [&] {
        busy = Window().Busy();
        fileMenu = Window().FileMenu()->menuAction()->isEnabled();
        Window().close();
    });
    Window().Run(TCommand::Save);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(fileMenu);
    EXPECT_TRUE(Window().isVisible());
    EXPECT_NE(Window().CurrentWeb(), nullptr);
    EXPECT_FALSE(Window().Busy());
    EXPECT_TRUE(Window().FileMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(Questions.empty());
}

TEST_F(MainWin, CloseIsRefusedWhileTheResolutionPassRuns)
{
    TSiteServer server;
    Open();
    TWEB& web = CaptureSite(server);
    fs::remove(web.Path + "_Home.htm");

    bool busy = false;
    Window().Prompts().ResolveLinks = [&](TWEB& resolved) {
        QTimer::singleShot(0, &Window(), [&] {
            busy = Window().Busy();
            Window().close();
        });
        // The pass lets events through as it goes.
        TResolveView view;
        return ResolveLinks(resolved, Window().Settings().IndexParams, ReadPictureSize, view,
                            [] { QCoreApplication::processEvents(); });
    };
    Window().Run(TCommand::ResolveLinks);
    EXPECT_TRUE(busy);
    EXPECT_TRUE(Window().isVisible());
    ASSERT_EQ(Window().CurrentWeb(), &web);
    EXPECT_TRUE(FileExists(web.Path + "_Home.htm"));
}

} // namespace
} // namespace velbrin::test
