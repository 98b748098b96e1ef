#include "capture/WebTestSupport.h"

#include "core/MemoryStream.h"
#include "html/EditedItems.h"
#include "html/HtmlParser.h"
#include "rewrite/KeptPages.h"
#include "rewrite/RewritePage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace velbrin;
using namespace velbrin::test;
namespace fs = std::filesystem;

namespace {

// Pages stored the way a capture stores a body it received (prepared in
// memory, written once), then rewritten by the resolution pass with the
// items kept when they were stored.
class KeptItems : public WebFixture {
protected:
    KeptItems()
    {
        web = InitWeb(kPageUrl);
        web->Options.RealLinkFlag = true;
        page = web->Tree.FindFile(kPageUrl);
        page->SetFileName("page.htm");
    }

    std::string Store(const std::string& bytes)
    {
        web->StoreHtmlPage(*page, kPageUrl, bytes);
        return ReadWholeFile(capture + "page.htm");
    }

    // Every address the pages entered leads to a stored file, so that the
    // rewrite changes every link it can.
    void CaptureEverything()
    {
        int n = 0;
        web->Tree.ForEachFile([&](TWebFile& file, const std::string& url) {
            if (url != kPageUrl) {
                file.State = StateCapturedFile;
                file.SetFileName("f" + std::to_string(++n) + ".gif");
            }
            return false;
        });
    }

    TPageRewriter Rewriter() const
    {
        return TPageRewriter(capture, web->Tree, web->MapList, TRewriteFlags{true, true}, web->CaptureDate);
    }

    std::vector<TTag> KeptFor(const std::string& name) const
    {
        return web->KeptPages.Find(name, StampOf(capture + name).value_or(TFileStamp{}));
    }

    static std::string ReadBytes(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static std::vector<fs::path> FixturePages()
    {
        std::vector<fs::path> pages;
        for (const char* dir : {"pages", "site"}) {
            for (const auto& entry : fs::recursive_directory_iterator(fs::path(VELBRIN_FIXTURES) / dir)) {
                const std::string name = entry.path().filename().string();
                if (entry.is_regular_file() && name != "copyright" && name != "README"
                    && entry.path().extension() != ".gif" && entry.path().extension() != ".jpg")
                    pages.push_back(entry.path());
            }
        }
        std::sort(pages.begin(), pages.end());
        return pages;
    }

    static constexpr const char* kPageUrl = "http://www.site.test/dir/page.htm";
    std::unique_ptr<TWEB> web;
    TWebFile* page = nullptr;
};

} // namespace

TEST_F(KeptItems, RewriteFromKeptItemsEqualsRewriteOfAFreshScan)
{
    int kept = 0;
    int pages = 0;
    for (const fs::path& path : FixturePages()) {
        SCOPED_TRACE(path.string());
        ++pages;
        const std::string prepared = Store(ReadBytes(path));
        CaptureEverything();
        const std::vector<TTag> items = KeptFor("page.htm");
        if (!items.empty()) {
            ++kept;
            // The items followed while the page was written are those of a
            // scan of the written page that the pass reads.
            TMemoryStreamEx source(prepared);
            EXPECT_EQ(items, ItemsAPassReads(THtmlParser(source).Items(), prepared));
        }
        const std::string fresh = Rewriter().Rewrite(prepared, kPageUrl);
        const TRewriteResult result = Rewriter().RewriteFile("page.htm", kPageUrl, &web->KeptPages);
        EXPECT_TRUE(result.Done()) << result.Message;
        EXPECT_EQ(result.FromKeptItems, !items.empty());
        EXPECT_EQ(ReadWholeFile(capture + "page.htm"), fresh);
    }
    // Only the pages that end in an unfinished tag or comment, or whose tags
    // had to be read without their quotes, are scanned again.
    EXPECT_GE(pages, 20);
    EXPECT_GE(kept, pages - 4);
}

TEST_F(KeptItems, PageChangedOnDiskAfterItWasStoredIsTokenizedAgain)
{
    const std::string bytes = ReadBytes(fs::path(VELBRIN_FIXTURES) / "pages/python-doc/about.html");
    Store(bytes);
    CaptureEverything();
    ASSERT_FALSE(KeptFor("page.htm").empty());

    // Another page of another size.
    const std::string other = "<html><body><a href=\"http://www.site.test/dir/other.htm\">x</a></body></html>";
    WriteWholeFile(capture + "page.htm", other);
    TRewriteResult result = Rewriter().RewriteFile("page.htm", kPageUrl, &web->KeptPages);
    EXPECT_FALSE(result.FromKeptItems);
    EXPECT_EQ(ReadWholeFile(capture + "page.htm"), Rewriter().Rewrite(other, kPageUrl));

    // The same size, written later: an edit in place.
    std::string edited = Store(bytes);
    CaptureEverything();
    std::replace(edited.begin(), edited.end(), '<', '{');
    const auto stamp = StampOf(capture + "page.htm");
    WriteWholeFile(capture + "page.htm", edited);
    fs::last_write_time(capture + "page.htm", fs::last_write_time(capture + "page.htm") + std::chrono::seconds(2));
    ASSERT_EQ(StampOf(capture + "page.htm")->Size, stamp->Size);
    result = Rewriter().RewriteFile("page.htm", kPageUrl, &web->KeptPages);
    EXPECT_FALSE(result.FromKeptItems);
    EXPECT_EQ(ReadWholeFile(capture + "page.htm"), Rewriter().Rewrite(edited, kPageUrl));
}

TEST_F(KeptItems, PageWhoseRewriteChangesNothingIsNotWritten)
{
    const auto identity = [this] {
        struct stat info {};
        ::stat((capture + "page.htm").c_str(), &info);
        return std::pair(info.st_ino, info.st_mtim.tv_nsec + info.st_mtim.tv_sec * 1000000000LL);
    };
    Store(ReadBytes(fs::path(VELBRIN_FIXTURES) / "pages/python-doc/editors.html"));
    CaptureEverything();
    TRewriteResult result = Rewriter().RewriteFile("page.htm", kPageUrl, &web->KeptPages);
    ASSERT_EQ(result.Status, TRewriteStatus::Written);
    const auto written = identity();
    const std::string bytes = ReadWholeFile(capture + "page.htm");

    result = Rewriter().RewriteFile("page.htm", kPageUrl, &web->KeptPages);
    EXPECT_EQ(result.Status, TRewriteStatus::Unchanged);
    EXPECT_EQ(identity(), written);
    EXPECT_EQ(ReadWholeFile(capture + "page.htm"), bytes);

    // A page without links and without a footer: as stored, it already
    // reads as its rewrite, which keeps the file as it is.
    web->Options.RealLinkFlag = false;
    Store("<html><head><title>t</title></head><body><p>plain</p></body></html>\n");
    const auto stored = identity();
    result = TPageRewriter(capture, web->Tree, web->MapList, TRewriteFlags{}, web->CaptureDate)
                 .RewriteFile("page.htm", kPageUrl, &web->KeptPages);
    EXPECT_EQ(result.Status, TRewriteStatus::Unchanged);
    EXPECT_TRUE(result.FromKeptItems);
    EXPECT_EQ(identity(), stored);
}

TEST_F(KeptItems, AnAddressGivenAgainAfterABaseResolvesAgainstTheBase)
{
    const std::string stored = Store("<html><body><a href=\"a.htm#one\">1</a><img src=a.htm>"
                                     "<a href=\"a.htm#two\">2</a><base href=\"/other/\"><a href=\"a.htm\">3</a>"
                                     "<p style=\"background: url(a.htm)\">4</p></body></html>");
    for (const char* expected : {"<a href=\"http://www.site.test/dir/a.htm#one\">1</a>",
                                 "<img src=http://www.site.test/dir/a.htm>",
                                 "<a href=\"http://www.site.test/dir/a.htm#two\">2</a>",
                                 "<a href=\"http://www.site.test/other/a.htm\">3</a>",
                                 "url(http://www.site.test/other/a.htm)"}) {
        EXPECT_NE(stored.find(expected), std::string::npos) << expected << "\n" << stored;
    }
    EXPECT_NE(web->Tree.FindFile("http://www.site.test/dir/a.htm"), nullptr);
    EXPECT_NE(web->Tree.FindFile("http://www.site.test/other/a.htm"), nullptr);
}

// The compact form of items gives back what it was given, numbers of one
// byte and of several alike, and nothing usable from bytes cut short.
TEST(ItemCode, RoundTripAndCutCode)
{
    const std::vector<TTag> items = {
        {TagBoundary, TagUnknown, 0, 0},
        {TagOpen, TagA, 3, 40},                       // one byte each
        {TagOpen | TagTextFollows, TagImg, 43, 70000}, // a long tag
        {TagClose, TagA, 200000, 4},                  // far after the last
        {TagOpen, TagComment, 200003, 1},             // sharing the "<" before it
        {TagBoundary, TagUnknown, 300000, 0},
    };
    const std::string code = EncodeItems(items);
    EXPECT_EQ(DecodeItems(code), items);
    for (std::size_t cut = 0; cut < code.size(); ++cut)
        EXPECT_NE(DecodeItems(std::string_view(code).substr(0, cut)), items) << cut;
}
