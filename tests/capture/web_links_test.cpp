#include "capture/WebTestSupport.h"

#include <string>
#include <vector>

using namespace velbrin;

namespace {

class WebLinks : public test::WebFixture {
protected:
    WebLinks()
    {
        web = InitWeb("http://www.site.com/a/b/index.htm");
        start = web->Tree.FindFile(web->Url);
    }

    TWebFile* Link(std::string_view url, TWebFile* parent, std::uint8_t type = LinkTypePage,
                   std::string_view description = "")
    {
        return web->NewLink(TLinkItem{type, std::string(url), std::string(description)}, parent);
    }

    // The addresses of TodoList, first first.
    std::vector<std::string> Todo() const
    {
        std::vector<std::string> urls;
        for (const TWebFile* record : web->TodoList())
            urls.push_back(web->Tree.GetFileUrl(*record));
        return urls;
    }

    // The log entries after the heading.
    std::string Entries() const
    {
        std::string text = LogText();
        return text.substr(text.find("</H3>") + 5);
    }

    std::unique_ptr<TWEB> web;
    TWebFile* start = nullptr;
};

} // namespace

TEST_F(WebLinks, InitSetsUpANewWebAroundItsStartAddress)
{
    EXPECT_EQ(web->Url, "http://www.site.com/a/b/index.htm");
    EXPECT_EQ(web->Path, capture);
    EXPECT_TRUE(DirectoryExists(capture));
    EXPECT_EQ(ReadWholeFile(capture + "NotFound.htm"), test::kNotFoundPage);
    EXPECT_EQ(ReadWholeFile(capture + "BadLink.htm"), test::kBadLinkPage);
    EXPECT_EQ(LogText(), "<HTML><HEADER></HEADER><BODY BGCOLOR=\"#FFFFFF\"><H3>WEB : HTTP://WWW.SITE.COM/A/B/INDEX.HTM</H3>");
    EXPECT_EQ(web->MimeList.Count(), mimes.Count());
    EXPECT_EQ(web->Options.InternalLinkDepth, 100);
    EXPECT_TRUE(web->Options.InternalPathLimit);
    EXPECT_TRUE(web->RewriteFlag);
    EXPECT_FALSE(web->DisplayOnlineImage);

    ASSERT_NE(start, nullptr);
    EXPECT_EQ(web->GetLinkCount(), 1);
    EXPECT_EQ(web->GetTodoCount(), 1);
    EXPECT_EQ(start->State, StateToExplore);
    EXPECT_EQ(start->GetLinkType(), LinkTypePage);
    EXPECT_EQ(Todo(), std::vector<std::string>{"http://www.site.com/a/b/index.htm"});
}

TEST_F(WebLinks, InitLeavesTheApplicationWideMachineCheckInTheDefaults)
{
    settings->DefaultOptions.CheckDomainMachineFlag = true;
    settings->DefaultOptions.MaxTime = 7;
    web = InitWeb("http://h.com/");
    EXPECT_EQ(web->Options.MaxTime, 7);
    EXPECT_FALSE(web->Options.CheckDomainMachineFlag);
}

TEST_F(WebLinks, AnAddressIsEnteredOnceWhateverPageRefersToItAgain)
{
    TWebFile* page = Link("http://www.site.com/a/b/p.htm", start, LinkTypePage, "first");
    ASSERT_NE(page, nullptr);
    TWebFile* other = Link("http://other.org/x.htm", start);
    page->State = StateCapturedPage;
    EXPECT_EQ(Link("HTTP://WWW.SITE.COM/a/b/p.htm", other, LinkTypeInline, "again"), page);
    EXPECT_EQ(page->State, StateCapturedPage);
    EXPECT_EQ(page->WebDepth, 0);
    EXPECT_EQ(page->LinkDepth, 1);
    EXPECT_EQ(page->GetDescription(), "first");
    EXPECT_EQ(web->GetLinkCount(), 3);
    // A path in other letters is another document for the server.
    TWebFile* upper = Link("http://www.site.com/a/b/P.htm", other, LinkTypeInline);
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(upper, page);
    EXPECT_EQ(web->GetLinkCount(), 4);
}

TEST_F(WebLinks, DepthsFollowPageLinksAndDomainChanges)
{
    web->Options.ExternalWebDepth = 5;
    web->Options.ExternalLinkDepth = 5;
    TWebFile* page = Link("http://www.site.com/a/b/c/p.htm", start);
    EXPECT_EQ(page->LinkDepth, 1);
    TWebFile* picture = Link("http://www.site.com/a/b/c/p.gif", page, LinkTypeInline);
    EXPECT_EQ(picture->LinkDepth, 1);
    EXPECT_EQ(picture->GetLinkType(), LinkTypeInline);

    // Another machine of the same domain: no change while the check is off.
    TWebFile* sameDomain = Link("http://ftp.site.com/a/b/q.htm", page);
    EXPECT_EQ(sameDomain->WebDepth, 0);
    EXPECT_EQ(sameDomain->LinkDepth, 2);

    TWebFile* away = Link("http://www.else.org/r.htm", page);
    EXPECT_EQ(away->WebDepth, 1);
    EXPECT_EQ(away->LinkDepth, 0);
    TWebFile* further = Link("http://www.else.org/s.htm", away);
    EXPECT_EQ(further->WebDepth, 1);
    EXPECT_EQ(further->LinkDepth, 1);

    settings->DefaultOptions.CheckDomainMachineFlag = true;
    TWebFile* otherMachine = Link("http://news.site.com/a/b/t.htm", page);
    EXPECT_EQ(otherMachine->WebDepth, 1);
    EXPECT_EQ(otherMachine->LinkDepth, 0);
}

TEST_F(WebLinks, DepthsStopAt255)
{
    web->Options.ExternalWebDepth = 1000;
    web->Options.ExternalLinkDepth = 1000;
    start->WebDepth = 255;
    start->LinkDepth = 255;
    TWebFile* deeper = Link("http://www.site.com/a/b/deep.htm", start);
    EXPECT_EQ(deeper->LinkDepth, 255);
    TWebFile* away = Link("http://www.else.org/", start);
    EXPECT_EQ(away->WebDepth, 255);
    EXPECT_EQ(away->LinkDepth, 0);
}

TEST_F(WebLinks, PicturesAreFetchedBeforeThePagesQueuedEarlier)
{
    TWebFile* page = Link("http://www.site.com/a/b/p.htm", start);
    Link("http://www.site.com/a/b/q.htm", start);
    Link("http://www.site.com/img/p.gif", page, LinkTypeInline);
    Link("http://www.site.com/img/back.gif", page, LinkTypeBackground);
    EXPECT_EQ(Todo(), (std::vector<std::string>{"http://www.site.com/img/back.gif", "http://www.site.com/img/p.gif",
                                                "http://www.site.com/a/b/index.htm", "http://www.site.com/a/b/p.htm",
                                                "http://www.site.com/a/b/q.htm"}));
    EXPECT_EQ(web->TakeTodo()->GetLinkType(), LinkTypeBackground);
    EXPECT_EQ(web->TodoList().size(), 4u);
}

TEST_F(WebLinks, LinksOfOtherProtocolsAreRefusedAndLogged)
{
    TWebFile* ftp = Link("ftp://files.site.com/x.zip", start);
    ASSERT_NE(ftp, nullptr);
    EXPECT_EQ(ftp->State, StateFiltered);
    EXPECT_EQ(web->FilteredCount, 1);
    EXPECT_EQ(Entries(), "<br>ftp://files.site.com/x.zip filtr\xE9 : Protocole incorrect\r\n");
}

TEST_F(WebLinks, ExternalPageLinksObeyTheExternalDepths)
{
    web->Options.ExternalWebDepth = 1;
    web->Options.ExternalLinkDepth = 1;
    TWebFile* away = Link("http://www.else.org/", start);
    TWebFile* awayPage = Link("http://www.else.org/p.htm", away);
    EXPECT_EQ(awayPage->State, StateToExplore);
    TWebFile* tooDeep = Link("http://www.else.org/q.htm", awayPage);
    EXPECT_EQ(tooDeep->State, StateFiltered);
    TWebFile* tooFar = Link("http://www.third.net/", away);
    EXPECT_EQ(tooFar->State, StateFiltered);
    // Pictures of an accepted page are never refused for depth.
    TWebFile* picture = Link("http://img.third.net/p.gif", awayPage, LinkTypeInline);
    EXPECT_EQ(picture->State, StateToExplore);
    EXPECT_EQ(Entries(), "<br>http://www.else.org/q.htm filtr\xE9 : Niveau externe max atteint\r\n"
                         "<br>http://www.third.net/ filtr\xE9 : Externe au domaine principal\r\n");
}

TEST_F(WebLinks, InternalPageLinksObeyTheLinkDepthWithoutALogLine)
{
    web->Options.InternalLinkDepth = 1;
    TWebFile* page = Link("http://www.site.com/a/b/p.htm", start);
    EXPECT_EQ(page->State, StateToExplore);
    TWebFile* deeper = Link("http://www.site.com/a/b/q.htm", page);
    EXPECT_EQ(deeper->State, StateFiltered);
    TWebFile* picture = Link("http://www.site.com/a/b/q.gif", page, LinkTypeInline);
    EXPECT_EQ(picture->State, StateToExplore);
    EXPECT_EQ(Entries(), "");
}

TEST_F(WebLinks, InternalPageLinksStayUnderTheStartDirectoryButForCgiBin)
{
    EXPECT_EQ(Link("http://WWW.Site.com/a/b/c/p.htm", start)->State, StateToExplore);
    // The directory in other letters is another directory for the server.
    EXPECT_EQ(Link("http://www.site.com/A/B/c/upper.htm", start)->State, StateFiltered);
    EXPECT_EQ(Link("http://www.site.com/a/p.htm", start)->State, StateFiltered);
    EXPECT_EQ(Link("http://www.site.com/cgi-bin/q", start)->State, StateToExplore);
    EXPECT_EQ(Link("http://www.site.com/x/CGI-BIN/r", start)->State, StateFiltered);
    EXPECT_EQ(Link("http://www.site.com/img/p.gif", start, LinkTypeInline)->State, StateToExplore);
    EXPECT_EQ(Entries(), "<br>http://www.site.com/A/B/c/upper.htm filtr\xE9 : Niveau interne max atteint\r\n"
                         "<br>http://www.site.com/a/p.htm filtr\xE9 : Niveau interne max atteint\r\n"
                         "<br>http://www.site.com/x/CGI-BIN/r filtr\xE9 : Niveau interne max atteint\r\n");

    web->Options.InternalPathLimit = false;
    EXPECT_EQ(Link("http://www.site.com/z/p.htm", start)->State, StateToExplore);
}

TEST_F(WebLinks, PictureRulesRefuseInlineOrAllPictures)
{
    web->Options.BackgroundOnlyFlag = true;
    EXPECT_EQ(Link("http://www.site.com/a/b/1.gif", start, LinkTypeInline)->State, StateFiltered);
    EXPECT_EQ(Link("http://www.site.com/a/b/2.gif", start, LinkTypeBackground)->State, StateToExplore);
    web->Options.BackgroundOnlyFlag = false;
    web->Options.RefLimit = true;
    EXPECT_EQ(Link("http://www.site.com/a/b/3.gif", start, LinkTypeInline)->State, StateFiltered);
    EXPECT_EQ(Link("http://www.site.com/a/b/4.gif", start, LinkTypeBackground)->State, StateFiltered);
    EXPECT_EQ(Link("http://www.site.com/a/b/5.htm", start)->State, StateToExplore);
    EXPECT_EQ(web->FilteredCount, 3);
    EXPECT_EQ(Entries(), "");
}

TEST_F(WebLinks, LinkFilterRefusesALinkThatIsNotToExplore)
{
    start->State = StateError;
    EXPECT_FALSE(web->LinkFilter(*start));
    EXPECT_EQ(Entries(), "");
}

TEST_F(WebLinks, AddressesOfTheSiteAreEscapedInTheLog)
{
    Link("ftp://h.com/<script>\"&", start);
    EXPECT_EQ(Entries(), "<br>ftp://h.com/&lt;script&gt;&quot;&amp; filtr\xE9 : Protocole incorrect\r\n");
}

TEST_F(WebLinks, AnAddressTheTreeRefusesIsLogged)
{
    // 255 characters whose address in the tree gains "http://".
    std::string url = "/" + std::string(254, 'x');
    EXPECT_EQ(Link(url, start), nullptr);
    EXPECT_EQ(Entries(), ("<br>" + url + ": Tree error").substr(0, 255));
    EXPECT_EQ(web->GetLinkCount(), 1);
}

TEST_F(WebLinks, AFullTreeRefusesFurtherLinksAndTheWebStillSaves)
{
    web->Options.InternalPathLimit = false;
    for (std::size_t i = web->GetLinkCount(); i < TWebTree::kMaxFiles; ++i)
        ASSERT_NE(Link("http://www.site.com/p" + std::to_string(i), start), nullptr);
    EXPECT_TRUE(web->Tree.IsFull());
    EXPECT_EQ(Link("http://www.site.com/one-more", start), nullptr);
    EXPECT_EQ(Entries(), "<br>Trop de liens : http://www.site.com/one-more\r\n");
    EXPECT_NE(Link("http://www.site.com/p5", start), nullptr);

    web->SaveToFile(capture + "Local.Web");
    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(capture + "Local.Web"));
    EXPECT_EQ(loaded->GetLinkCount(), TWebTree::kMaxFiles);
}

TEST_F(WebLinks, CountersStopAtTheirStoredRange)
{
    web->CapturedCount = kMaxWebCount - 1;
    web->CountCaptured();
    web->CountCaptured();
    EXPECT_EQ(web->CapturedCount, kMaxWebCount);
    web->TotalSize = 10;
    web->AddTotalSize(std::int64_t(1) << 40);
    EXPECT_EQ(web->TotalSize, 2147483647);
}

TEST_F(WebLinks, FilterRefusesAndLearnsAnUnknownMimeType)
{
    TWebFile* file = Link("http://www.site.com/a/b/data.xyz1", start, LinkTypeInline);
    file->SetMimeType("application/x-thing");
    EXPECT_FALSE(web->Filter(*file, 100, "http://www.site.com/a/b/data.xyz1"));
    const TMimeItem* learnt = web->MimeList.GetMimeByString("application/x-thing");
    ASSERT_NE(learnt, nullptr);
    EXPECT_EQ(learnt->Extension, "xyz");
    EXPECT_EQ(learnt->MimeClass, MimeClassOther);
    EXPECT_FALSE(learnt->Capture);
    EXPECT_FALSE(web->Filter(*file, 100, ""));
    // Filter neither changes the state nor counts.
    EXPECT_EQ(file->State, StateToExplore);
    EXPECT_EQ(web->FilteredCount, 0);

    std::size_t known = web->MimeList.Count();
    file->SetMimeType("");
    EXPECT_FALSE(web->Filter(*file, 100, "http://www.site.com/a/b/data.xyz1"));
    EXPECT_EQ(web->MimeList.Count(), known);
}

TEST_F(WebLinks, FilterAppliesTheSizeLimitsToAnythingButPages)
{
    web->Options.MinFileSize = 10;
    web->Options.MaxFileSize = 20;
    TWebFile* file = Link("http://www.site.com/a/b/x", start);
    file->SetMimeType("image/gif");
    EXPECT_FALSE(web->Filter(*file, 5000, ""));
    EXPECT_TRUE(web->Filter(*file, 10240, ""));
    EXPECT_TRUE(web->Filter(*file, 20480, ""));
    EXPECT_FALSE(web->Filter(*file, 20481, ""));
    EXPECT_TRUE(web->Filter(*file, 0, ""));
    EXPECT_TRUE(web->Filter(*file, -1, ""));
    file->SetMimeType("TEXT/HTML");
    EXPECT_TRUE(web->Filter(*file, 10, ""));
    EXPECT_TRUE(web->Filter(*file, 1 << 30, ""));

    web->MimeList.SetValidAll(false);
    EXPECT_TRUE(web->Filter(*file, 10, ""));
    file->SetMimeType("image/gif");
    EXPECT_FALSE(web->Filter(*file, 0, ""));
}

TEST_F(WebLinks, ARedirectedAddressLeadsToItsTargetAndTheOldRecordStaysAlive)
{
    TWebFile* moved = Link("http://www.site.com/a/b/old.htm", start);
    TWebFile* queued = Link("http://www.site.com/a/b/queued.htm", start);
    ASSERT_EQ(web->TakeTodo(), start);
    ASSERT_EQ(web->TakeTodo(), moved);
    moved->State = StateInProgress;

    TWebFile* target = Link("http://www.site.com/a/b/new.htm", moved);
    ASSERT_TRUE(web->AddAlias("http://www.site.com/a/b/old.htm", *target));
    EXPECT_EQ(web->Tree.FindFile("http://www.site.com/a/b/old.htm"), target);
    EXPECT_EQ(moved->State, StateInProgress); // still reachable by its request
    EXPECT_EQ(moved->Parent(), nullptr);
    web->RequeueTodo(*moved);
    EXPECT_EQ(Todo(), (std::vector<std::string>{"http://www.site.com/a/b/queued.htm", "http://www.site.com/a/b/new.htm"}));

    // A queued record that is displaced leaves TodoList.
    ASSERT_TRUE(web->AddAlias("http://www.site.com/a/b/queued.htm", *target));
    EXPECT_EQ(web->TodoList().size(), 1u);
    EXPECT_EQ(web->TodoList().front(), target);
    EXPECT_NE(queued, target);
    web->UpdateTodo();
    EXPECT_EQ(web->TodoList().size(), 2u);
}

TEST_F(WebLinks, RequeueAppendsWithoutFilteringAndOnlyOnce)
{
    TWebFile* page = Link("http://www.site.com/a/b/p.htm", start);
    web->ClearTodo();
    page->State = StateInProgress;
    web->Options.InternalLinkDepth = 0;
    web->RequeueTodo(*page);
    web->RequeueTodo(*page);
    EXPECT_EQ(page->State, StateToExplore);
    EXPECT_EQ(web->TodoList().size(), 1u);
}

TEST_F(WebLinks, UpdateTodoRecountsAndQueuesWhatIsLeftToDo)
{
    web->Options.ExternalWebDepth = 1;
    TWebFile* captured = Link("http://www.site.com/a/b/c.htm", start);
    TWebFile* internalNotFound = Link("http://www.site.com/a/b/nf.htm", start);
    TWebFile* externalNotFound = Link("http://www.else.org/nf.htm", start);
    TWebFile* error = Link("http://www.site.com/a/b/err.gif", start, LinkTypeInline);
    TWebFile* inProgress = Link("http://www.site.com/a/b/run.htm", start);
    TWebFile* refusedType = Link("http://www.site.com/a/b/x.zip", start, LinkTypeInline);
    TWebFile* nowAllowed = Link("http://www.site.com/a/b/pic.gif", start, LinkTypeInline);
    start->State = StateCapturedPage;
    captured->State = StateCapturedFile;
    internalNotFound->State = StateNotFound;
    externalNotFound->State = StateNotFound;
    error->State = StateError;
    inProgress->State = StateInProgress;
    refusedType->State = StateFiltered;
    refusedType->SetMimeType("application/zip");
    web->MimeList.AddMime("application/zip", "zip", "Other", false);
    nowAllowed->State = StateFiltered;
    nowAllowed->SetMimeType("image/gif");
    web->FilteredCount = 9;

    EXPECT_EQ(web->UpdateTodo(), 4);
    EXPECT_EQ(web->CapturedCount, 2);
    EXPECT_EQ(web->NotFoundCount, 1);
    EXPECT_EQ(web->FilteredCount, 1);
    EXPECT_EQ(web->ErrorCount, 0);
    EXPECT_EQ(internalNotFound->State, StateToExplore);
    EXPECT_EQ(refusedType->State, StateFiltered);
    EXPECT_EQ(Todo(), (std::vector<std::string>{"http://www.site.com/a/b/pic.gif", "http://www.site.com/a/b/err.gif",
                                                "http://www.site.com/a/b/nf.htm", "http://www.site.com/a/b/run.htm"}));
}

TEST_F(WebLinks, UpdateTodoAppliesTheCurrentOptionsAgain)
{
    TWebFile* page = Link("http://www.site.com/a/b/p.htm", start);
    web->Options.InternalLinkDepth = 0;
    EXPECT_EQ(web->UpdateTodo(), 1);
    EXPECT_EQ(page->State, StateFiltered);
    web->Options.InternalLinkDepth = 5;
    EXPECT_EQ(web->UpdateTodo(), 2);
    EXPECT_EQ(page->State, StateToExplore);
}

TEST_F(WebLinks, ReinitForgetsTheLinksButNotTheFiles)
{
    Link("http://www.site.com/a/b/p.htm", start);
    WriteWholeFile(capture + "P.htm", "kept");
    web->CapturedCount = 3;
    web->Options.MaxTime = 99;
    EXPECT_TRUE(web->Reinit("http://new.org"));
    EXPECT_EQ(web->Url, "http://new.org/");
    EXPECT_EQ(web->GetLinkCount(), 1);
    EXPECT_EQ(web->CapturedCount, 0);
    EXPECT_EQ(web->Options.MaxTime, 0);
    EXPECT_EQ(Todo(), std::vector<std::string>{"http://new.org/"});
    EXPECT_TRUE(FileExists(capture + "P.htm"));
}

TEST_F(WebLinks, HomePageIsTheStartRecordsFileAsStored)
{
    start->SetFileName("index.htm");
    EXPECT_EQ(web->GetHomePage(), "");
    web->CapturedCount = 1;
    EXPECT_EQ(web->GetHomePage(), "index.htm");

    web->SetTitleWithHomepageTitle();
    EXPECT_EQ(web->Title, "HTTP://WWW.SITE.COM/A/B/INDEX.HTM");
    web->Title.clear();
    start->SetDescription("Caf&eacute; &amp; Co");
    web->SetTitleWithHomepageTitle();
    EXPECT_EQ(web->Title, "Caf\xE9 & Co");
    start->SetDescription("Other");
    web->SetTitleWithHomepageTitle();
    EXPECT_EQ(web->Title, "Caf\xE9 & Co");
}

TEST_F(WebLinks, SaveDefaultOptionsKeepsTheMachineCheckOfTheDefaults)
{
    web->Options.MaxFileCount = 42;
    web->Options.CheckDomainMachineFlag = true;
    web->SaveDefaultOptions();
    EXPECT_EQ(settings->DefaultOptions.MaxFileCount, 42);
    EXPECT_FALSE(settings->DefaultOptions.CheckDomainMachineFlag);
    std::string ini = ReadWholeFile(TParam::SettingsFileName());
    EXPECT_NE(ini.find("MaxFileCount=42"), std::string::npos);
}
