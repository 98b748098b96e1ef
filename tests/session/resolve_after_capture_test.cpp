#include "session/SessionTestSupport.h"

#include "capture/ResolvePass.h"
#include "config/ProgramDir.h"
#include "core/Files.h"
#include "index/PictureHeader.h"

#include <gtest/gtest.h>

#include <map>

using namespace velbrin;
using namespace velbrin::test;

namespace {

class ResolveAfterCapture : public SessionFixture {
protected:
    ResolveAfterCapture()
    {
        // The index templates of the program's data directory.
        SetProgramDir(std::string(VELBRIN_FIXTURES) + "/../../data/");
        server.Page("/site/index.htm", "<HTML><HEAD><TITLE>Home</TITLE></HEAD><BODY>\r\n"
                                       "<A HREF=\"second.htm\">Second</A>\r\n"
                                       "<IMG SRC=\"pics/logo.gif\">\r\n"
                                       "<A HREF=\"gone.htm\">Gone</A>\r\n"
                                       "<A HREF=\"http://www.example.invalid/\">Far</A>\r\n"
                                       "</BODY></HTML>\r\n");
        server.Page("/site/second.htm", "<HTML><BODY><A HREF=\"index.htm#top\">Back</A></BODY></HTML>\r\n");
        server.Gif("/site/pics/logo.gif");
        web = SiteWeb("/site/index.htm");
        Capture(*web);
    }
    ~ResolveAfterCapture() override { SetProgramDir(""); }

    int Resolve()
    {
        TResolveView progress;
        return ResolveLinks(*web, settings->IndexParams, ReadPictureSize, progress);
    }

    // Every file of the capture directory but the log, with its bytes.
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const std::string& name : ListFiles(capture)) {
            if (name != "LogFile.htm")
                files[name] = ReadWholeFile(capture + name);
        }
        return files;
    }

    std::unique_ptr<TWEB> web;
};

} // namespace

TEST_F(ResolveAfterCapture, PagesLeadToTheLocalCopiesAndIndexPagesAreWritten)
{
    ASSERT_EQ(web->CapturedCount, 3);
    web->TotalSize = 0;
    EXPECT_EQ(Resolve(), kResolveDone);

    const std::string index = ReadWholeFile(capture + "index.htm");
    EXPECT_NE(index.find("<A HREF=\"second.htm\" OLDREF=\"" + server.Url("/site/second.htm") + "\">Second</A>"),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("<IMG SRC=\"logo.gif\" OLDREF=\"" + server.Url("/site/pics/logo.gif") + "\">"),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("<A HREF=\"NotFound.htm\" OLDREF=\"" + server.Url("/site/gone.htm") + "\">Gone</A>"),
              std::string::npos)
        << index;
    const std::string second = ReadWholeFile(capture + "second.htm");
    EXPECT_NE(second.find("HREF=\"index.htm#top\""), std::string::npos) << second;

    EXPECT_TRUE(FileExists(capture + "_Home.htm"));
    EXPECT_NE(ReadWholeFile(capture + "_Home.htm").find("index.htm"), std::string::npos);
    EXPECT_EQ(web->TotalSize,
              GetFileSize(capture + "index.htm") + GetFileSize(capture + "second.htm") + GetFileSize(capture + "logo.gif"));
}

TEST_F(ResolveAfterCapture, SecondPassChangesNoByte)
{
    ASSERT_EQ(Resolve(), kResolveDone);
    const auto first = Snapshot();
    const std::int32_t total = web->TotalSize;
    ASSERT_EQ(Resolve(), kResolveDone);
    EXPECT_EQ(Snapshot(), first);
    EXPECT_EQ(web->TotalSize, total);
}

TEST_F(ResolveAfterCapture, RecaptureOfAResolvedWebKeepsItsPagesResolved)
{
    ASSERT_EQ(Resolve(), kResolveDone);
    auto first = Snapshot();
    // The internal page that was not found is asked for again; nothing else is.
    Capture(*web);
    EXPECT_EQ(server.Count("/site/gone.htm"), 2);
    EXPECT_EQ(server.Paths().size(), 5u);
    ASSERT_EQ(Resolve(), kResolveDone);
    // The home page tells when the last session ran.
    auto second = Snapshot();
    first.erase("_Home.htm");
    second.erase("_Home.htm");
    EXPECT_EQ(second, first);
}

TEST_F(ResolveAfterCapture, RedirectedPageResolvesAlikeOnceTheWebIsLoadedAgain)
{
    // The redirected address shares its target's record during the session,
    // and again once the Web is loaded from its project file.
    server.Page("/site/more.htm", "<HTML><BODY><A HREF=\"dir\">dir</A></BODY></HTML>");
    server.Serve("/site/dir", RedirectResponse(301, server.Url("/site/dir/")));
    server.Page("/site/dir/", "<HTML><BODY><A HREF=\"../second.htm\">up</A><IMG SRC=\"../pics/logo.gif\"></BODY></HTML>");
    web->SetInitialUrl();
    web->NewLink(TLinkItem{LinkTypePage, server.Url("/site/more.htm"), ""}, web->Tree.FindFile(web->Url));
    Capture(*web);
    ASSERT_EQ(Record(*web, "/site/dir/").State, StateCapturedPage);
    ASSERT_EQ(&Record(*web, "/site/dir"), &Record(*web, "/site/dir/"));

    ASSERT_EQ(Resolve(), kResolveDone);
    web->SaveToFile(capture + "Local.Web");
    const auto first = Snapshot();
    const std::int32_t total = web->TotalSize;

    web = NewWeb();
    ASSERT_TRUE(web->LoadFromFile(capture + "Local.Web"));
    ASSERT_EQ(&Record(*web, "/site/dir"), &Record(*web, "/site/dir/"));
    ASSERT_EQ(Resolve(), kResolveDone);
    // The footer and the list of pages name the page by its own address.
    const std::string own = server.Url("/site/dir/");
    EXPECT_NE(first.at(Record(*web, "/site/dir/").GetFileName()).find(own + ">" + own + "</a>"), std::string::npos);
    EXPECT_NE(first.at("_IxH.htm").find(own), std::string::npos);
    EXPECT_EQ(Snapshot(), first);
    EXPECT_EQ(web->TotalSize, total);
}
