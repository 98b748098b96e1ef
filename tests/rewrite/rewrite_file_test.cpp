#include "rewrite/RewriteWeb.h"

#include "core/FileStream.h"
#include "rewrite/RewriteFooter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace velbrin;
using velbrin::test::kFooter;
using velbrin::test::kFooterAndSuppress;
using velbrin::test::RewriteWeb;

namespace {

const std::string kAddress = "http://www.example.org/dir/page.htm";

} // namespace

TEST(RewritePage, RewritesTheStoredFileInPlace)
{
    RewriteWeb web;
    TWebFile& page = web.Add(kAddress, StateCapturedPage, "PAGE.HTM");
    web.Add("http://www.example.org/dir/next.htm", StateCapturedPage, "NEXT.HTM");
    web.WriteFile("PAGE.HTM", "<A HREF=\"http://www.example.org/dir/next.htm\">next</A>\r\ntail");

    TRewriteResult result = RewritePage(web.Path(), page, web.tree, web.maps, kFooter, RewriteWeb::kCaptureDate);
    EXPECT_EQ(result.Status, TRewriteStatus::Written) << result.Message;
    EXPECT_TRUE(result.Done());
    // The footer names the page's own address, from the tree.
    EXPECT_EQ(web.ReadFile("PAGE.HTM"), "<A HREF=\"NEXT.HTM\" OLDREF=\"http://www.example.org/dir/next.htm\">next</A>"
                                        "\r\ntail" +
                                            RealLinkFooter(kAddress, RewriteWeb::kCaptureDate));

    // Nothing to change the second time: the file is left alone.
    result = RewritePage(web.Path(), page, web.tree, web.maps, kFooter, RewriteWeb::kCaptureDate);
    EXPECT_EQ(result.Status, TRewriteStatus::Unchanged);
    EXPECT_TRUE(result.Done());

    // The directory may come without its "/".
    std::string directory = web.Path();
    directory.pop_back();
    result = RewritePage(directory, page, web.tree, web.maps, {}, RewriteWeb::kCaptureDate);
    EXPECT_EQ(result.Status, TRewriteStatus::Written) << result.Message;
    EXPECT_EQ(web.ReadFile("PAGE.HTM"),
              "<A HREF=\"NEXT.HTM\" OLDREF=\"http://www.example.org/dir/next.htm\">next</A>\r\ntail");
}

TEST(RewritePage, PagesThatCannotBeRewritten)
{
    RewriteWeb web;
    TWebFile& page = web.Add(kAddress, StateCapturedPage, "PAGE.HTM");
    TRewriteResult result = RewritePage(web.Path(), page, web.tree, web.maps, kFooter, 0);
    EXPECT_EQ(result.Status, TRewriteStatus::Missing);
    EXPECT_FALSE(result.Done());

    // A name that would lead outside the directory is not followed.
    page.SetFileName("../PAGE.HTM");
    result = RewritePage(web.Path() + "sub/", page, web.tree, web.maps, kFooter, 0);
    EXPECT_EQ(result.Status, TRewriteStatus::UnsafeName);
    EXPECT_FALSE(result.Message.empty());
    page.SetFileName("");
    EXPECT_EQ(RewritePage(web.Path(), page, web.tree, web.maps, kFooter, 0).Status, TRewriteStatus::Missing);
}

TEST(RewritePage, FailedWriteKeepsThePreviousContent)
{
    RewriteWeb web;
    const std::string name = "page.htm";
    TWebFile& page = web.Add(kAddress, StateCapturedPage, name);
    const std::string content = "<A HREF=\"http://www.example.org/gone.htm\">x</A>";
    ASSERT_NO_THROW({
        TFileStream file(web.Path() + name, TFileStream::Mode::Create);
        file.WriteBuffer(content.data(), content.size());
    });

    // Files may not grow past 16 bytes for a moment: the rewritten page
    // cannot be written, as on a full disk.
    rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const TRewriteResult result =
        RewritePage(web.Path(), page, web.tree, web.maps, kFooterAndSuppress, RewriteWeb::kCaptureDate);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.Status, TRewriteStatus::WriteError);
    EXPECT_FALSE(result.Message.empty());
    EXPECT_EQ(web.ReadFile(name), content);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(web.Path()))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{name}) << "no scratch file is left";
}

TEST(RewritePage, NothingOfThePageIsLost)
{
    RewriteWeb web;
    const std::string footer = RealLinkFooter(RewriteWeb::kPageAddress, RewriteWeb::kCaptureDate);
    for (const std::string& page : std::initializer_list<std::string>{
             "", "plain text, no tag", "<P>text after the last tag", std::string("<P>\0bytes\xFF\r\n", 12)}) {
        EXPECT_EQ(web.Rewrite(page), page);
        EXPECT_EQ(web.Rewrite(page, kFooterAndSuppress), page + footer);
    }
    // An unfinished end stays the end.
    for (const char* end : {"<", "<B", "<!-- x", "<!x", "<!-- <A HREF=x"}) {
        EXPECT_EQ(web.Rewrite(std::string("<P>x") + end), std::string("<P>x") + end);
        EXPECT_EQ(web.Rewrite(std::string("<P>x") + end, kFooterAndSuppress), "<P>x" + footer + end);
    }
}

TEST(RewritePage, StoredStyleSheetLeadsToStoredFilesAndBack)
{
    // Lines of a documentation theme, as a capture stores them.
    const std::string captured = "@import url(\"http://www.example.org/_static/default.css\");\n\n"
                                 "ul.search li {\n    padding: 5px 0 5px 20px;\n"
                                 "    background-image: url(http://www.example.org/_static/file.png);\n}\n"
                                 "    .version_switcher_placeholder::after {\n"
                                 "        content: url('http://www.example.org/_static/caret-down.svg');\n";
    RewriteWeb web;
    web.Add("http://www.example.org/_static/pydoctheme.css", StateCapturedFile, "pydoctheme.css");
    web.Add("http://www.example.org/_static/default.css", StateCapturedFile, "default.css");
    web.Add("http://www.example.org/_static/file.png", StateCapturedFile, "file1.png");
    web.Add("http://www.example.org/_static/caret-down.svg", StateError, "");
    web.WriteFile("pydoctheme.css", captured);

    // Only page links lead to the bad link page; a picture not stored keeps its address.
    const TPageRewriter rewriter(web.Path(), web.tree, web.maps, velbrin::test::kSuppress, 0);
    EXPECT_EQ(rewriter.RewriteStyleSheetFile("pydoctheme.css").Status, TRewriteStatus::Written);
    const std::string rewritten = web.ReadFile("pydoctheme.css");
    EXPECT_EQ(rewritten, "@import url(\"default.css\")/*VELBRIN OLDREF=%22http://www.example.org/_static/default.css%22*/;\n\n"
                         "ul.search li {\n    padding: 5px 0 5px 20px;\n"
                         "    background-image: url(file1.png)/*VELBRIN OLDREF=http://www.example.org/_static/file.png*/;\n}\n"
                         "    .version_switcher_placeholder::after {\n"
                         "        content: url('http://www.example.org/_static/caret-down.svg');\n");
    EXPECT_EQ(rewriter.RewriteStyleSheetFile("pydoctheme.css").Status, TRewriteStatus::Unchanged);

    const TWebTree nothingStored;
    const TPageRewriter back(web.Path(), nothingStored, web.maps, {}, 0);
    EXPECT_EQ(back.RewriteStyleSheetFile("pydoctheme.css").Status, TRewriteStatus::Written);
    EXPECT_EQ(web.ReadFile("pydoctheme.css"), captured);
    EXPECT_EQ(back.RewriteStyleSheetFile("../pydoctheme.css").Status, TRewriteStatus::UnsafeName);
}
