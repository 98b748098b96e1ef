// The resolution pass with its pages rewritten on several threads: the same
// files, bytes and log as one page after the other, and a cancel that leaves
// every page whole.
#include "capture/ResolvePass.h"
#include "capture/WebTestSupport.h"
#include "config/ProgramDir.h"
#include "config/SommaireParam.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "rewrite/KeptPages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <stdexcept>

using namespace velbrin;
using namespace velbrin::test;
namespace fs = std::filesystem;

namespace {

constexpr int kPages = 40;
constexpr int kMapPage = 20; // the page with a server-side map

std::string PageUrl(int i) { return "http://www.site.test/p" + std::to_string(i) + ".htm"; }
std::string PageName(int i) { return "p" + std::to_string(i) + ".htm"; }

std::string PageBytes(int i)
{
    std::string page = "<html><head><title>Page " + std::to_string(i)
                       + "</title><link rel=\"stylesheet\" href=\"site.css\"></head><body>\n";
    for (int j = 0; j < 60; ++j) {
        page += "<p>Text " + std::to_string(i) + "." + std::to_string(j) + " <a href=\"p"
                + std::to_string((i + j) % kPages) + ".htm\">page</a> <img src=\"img" + std::to_string(j % 5)
                + ".gif\" alt=\"x\"> <a href=\"http://elsewhere.test/x" + std::to_string(j) + ".htm\">out</a></p>\n";
    }
    if (i == kMapPage || i == kMapPage + 9)
        page += "<a href=\"/cgi-bin/nav\"><img src=\"plan.gif\" ismap></a>\n";
    return page + "</body></html>\n";
}

// Every page, picture and style sheet of the capture directory, by name.
using TFiles = std::map<std::string, std::string>;

class ResolveWorkers : public WebFixture {
protected:
    ResolveWorkers() { SetProgramDir(std::string(VELBRIN_FIXTURES) + "/../../data/"); }
    ~ResolveWorkers() override { SetProgramDir(""); }

    // Every address below is entered by the links of the first page.
    TWebFile& Record(const std::string& url)
    {
        TWebFile* file = web->Tree.FindFile(url);
        if (!file)
            throw std::runtime_error("No record for " + url);
        return *file;
    }

    void Captured(const std::string& name, const std::string& mime, const std::string& bytes)
    {
        TWebFile& file = Record("http://www.site.test/" + name);
        WriteWholeFile(capture + name, bytes);
        file.SetFileName(name);
        file.SetMimeType(mime);
        file.State = StateCapturedFile;
    }

    // A Web as a capture leaves it: two pages in three stored with their
    // items kept, the others prepared from disk (a Web loaded again);
    // pictures, a style sheet and a server-side map captured, some
    // addresses not.
    void Build()
    {
        if (fs::exists(capture))
            fs::remove_all(capture);
        web = InitWeb(PageUrl(0));
        web->Options.RealLinkFlag = true;
        web->Options.SuppressLinkFlag = true;
        web->CaptureDate = 46000.5;
        for (int i = 0; i < kPages; ++i) {
            TWebFile& page = Record(PageUrl(i));
            page.SetFileName(PageName(i));
            page.SetMimeType("text/html");
            page.State = StateCapturedPage;
            if (i % 3 == 0) {
                WriteWholeFile(capture + PageName(i), PageBytes(i));
                EXPECT_TRUE(web->SetHtmlLinks(page, PageUrl(i)));
            } else {
                web->StoreHtmlPage(page, PageUrl(i), PageBytes(i));
            }
        }
        for (int k = 0; k < 4; ++k)
            Captured("img" + std::to_string(k) + ".gif", "image/gif", "GIF89a" + std::to_string(k));
        Captured("plan.gif", "image/gif", "GIF89a plan");
        WriteWholeFile(capture + "plan.map",
                       "<AREA SHAPE=\"RECT\" COORDS=\"0,0,9,9\" HREF=\"http://www.site.test/p3.htm\">\n");
        Captured("site.css", "text/css",
                 "body { background: url(img1.gif) } p { background: url(\"img4.gif\") }\n");
        // A capture chooses new names against those of the directory, which
        // are then remembered as the pass replaces the pages.
        EXPECT_FALSE(FileExistsNoCase(capture + "P0.HTM.NEW"));
        web->CapturedCount = kPages + 6;
        web->ClearTodo();
        ASSERT_GT(web->KeptPages.Count(), 20u);
    }

    TFiles Files() const
    {
        TFiles files;
        for (const auto& entry : fs::directory_iterator(capture))
            if (entry.is_regular_file())
                files[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
        return files;
    }

    int Resolve(TResolveView& view, int workers)
    {
        return ResolveLinks(*web, params, {}, view, {}, workers);
    }

    // The capture directory after a whole pass with one worker.
    TFiles ResolvedOneByOne()
    {
        Build();
        TResolveView view;
        EXPECT_EQ(Resolve(view, 1), kResolveDone);
        return Files();
    }

    TSommaireParam params;
    std::unique_ptr<TWEB> web;
};

// Cancels once the pass has shown the progress of a number of pages.
struct CancellingView : TResolveView {
    int Shown = 0;
    void ShowProgress(int done, int) override { Shown = std::max(Shown, done); }
    bool Cancelled() override { return Shown >= 8; }
};

} // namespace

TEST_F(ResolveWorkers, FourWorkersGiveTheFilesAndLogOfOne)
{
    const TFiles expected = ResolvedOneByOne();
    const std::int32_t expectedSize = web->TotalSize;
    const std::size_t expectedMaps = web->MapList.Count();
    // The pass did rewrite: pages lead to the stored files, and the map page
    // got its client-side map.
    ASSERT_EQ(expected.count("p5.htm"), 1u);
    EXPECT_NE(expected.at("p5.htm"), PageBytes(5));
    EXPECT_NE(expected.at("p5.htm").find("BadLink.htm"), std::string::npos);
    EXPECT_NE(expected.at(PageName(kMapPage)).find("USEMAP"), std::string::npos);
    EXPECT_GT(expectedMaps, 0u);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Build();
        TResolveView view;
        ASSERT_EQ(Resolve(view, 4), kResolveDone);
        const TFiles files = Files();
        ASSERT_EQ(files.size(), expected.size());
        for (const auto& [name, bytes] : expected) {
            ASSERT_EQ(files.count(name), 1u) << name;
            EXPECT_EQ(files.at(name), bytes) << name; // the log and the index pages too
        }
        EXPECT_EQ(web->TotalSize, expectedSize);
        EXPECT_EQ(web->MapList.Count(), expectedMaps);
        // The items of the pages written are of no more use.
        EXPECT_EQ(web->KeptPages.Count(), 0u);
    }
}

TEST_F(ResolveWorkers, CancelledPassLeavesEveryPageWholeAndKeepsTheItemsOfPagesNotRewritten)
{
    const TFiles rewritten = ResolvedOneByOne();
    Build();
    const TFiles stored = Files();
    const std::int32_t sizeBefore = web->TotalSize;

    CancellingView view;
    EXPECT_EQ(Resolve(view, 4), kResolveCancelled);
    EXPECT_EQ(web->TotalSize, sizeBefore);

    int old = 0;
    for (int i = 0; i < kPages; ++i) {
        const std::string name = PageName(i);
        SCOPED_TRACE(name);
        const std::string now = ReadWholeFile(capture + name);
        const bool isOld = now == stored.at(name);
        EXPECT_TRUE(isOld || now == rewritten.at(name));
        if (isOld) {
            ++old;
            // Not rewritten: the items kept when it was stored still serve.
            if (i % 3 != 0) {
                EXPECT_FALSE(web->KeptPages.Find(name, StampOf(capture + name).value()).empty());
            }
        }
    }
    // The pages after the map page wait for it, and it is never reached.
    EXPECT_GE(old, kPages - kMapPage - 1);
    for (const std::string& name : ListFiles(capture, "*"))
        EXPECT_FALSE(IsAtomicTempName(name)) << name;

    // The pass run again finishes the job.
    TResolveView again;
    EXPECT_EQ(Resolve(again, 4), kResolveDone);
    for (int i = 0; i < kPages; ++i)
        EXPECT_EQ(ReadWholeFile(capture + PageName(i)), rewritten.at(PageName(i))) << PageName(i);
}
