#include "core/Errors.h"
#include "core/Files.h"

#include "support/TempDir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace velbrin;

namespace {

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

} // namespace

TEST(Directories, CheckKeepsExactlyOneSlash)
{
    test::TempDir dir;
    std::string name = dir.Path() + "//";
    EXPECT_TRUE(CheckDirectory(name));
    EXPECT_EQ(name, dir.Path());

    std::string missing = dir.Path() + "missing";
    EXPECT_FALSE(CheckDirectory(missing));
    EXPECT_EQ(missing, dir.Path() + "missing/");
}

TEST(Directories, DeleteRemovesFilesThenTheDirectory)
{
    test::TempDir dir;
    std::string web = dir.Path() + "web/";
    ASSERT_TRUE(ForceDirectories(web));
    Write(web + "a.htm", "a");
    Write(web + "noext", "b");
    DeleteDirectory(web);
    EXPECT_FALSE(DirectoryExists(web));

    // A subdirectory is passed over, and then the directory cannot go.
    ASSERT_TRUE(ForceDirectories(web + "sub/"));
    EXPECT_THROW(DeleteDirectory(web), EInOutError);
}

TEST(FileCopies, CopyAppendSize)
{
    test::TempDir dir;
    Write(dir.Path() + "src", "0123456789");
    EXPECT_TRUE(CopyFile(dir.Path() + "src", dir.Path() + "dst"));
    EXPECT_EQ(ReadWholeFile(dir.Path() + "dst"), "0123456789");
    EXPECT_FALSE(CopyFile(dir.Path() + "missing", dir.Path() + "dst2"));
    EXPECT_FALSE(FileExists(dir.Path() + "dst2"));

    AppendToFile(dir.Path() + "log", "one");
    AppendToFile(dir.Path() + "log", "two");
    EXPECT_EQ(ReadWholeFile(dir.Path() + "log"), "onetwo");
    EXPECT_EQ(GetFileSize(dir.Path() + "log"), 6);
    EXPECT_EQ(GetFileSize(dir.Path() + "missing"), 0);
}

TEST(FileCopies, ByExtensionList)
{
    test::TempDir dir;
    std::string from = dir.Path() + "templates/";
    ForceDirectories(from);
    Write(from + "_Home.vlb", "template");
    Write(from + "style.css", "css");
    Write(from + "logo.GIF", "gif");
    std::string to = dir.Path() + "out/deep/";

    EXPECT_TRUE(CopyFilesByExtension(to, from, "+*,-vlb"));
    EXPECT_TRUE(FileExists(to + "style.css"));
    EXPECT_TRUE(FileExists(to + "logo.GIF"));
    EXPECT_FALSE(FileExists(to + "_Home.vlb"));

    EXPECT_FALSE(CopyFilesByExtension(to, dir.Path() + "nothing/", "+*"));
}

TEST(FilePatterns, IgnoreCase)
{
    EXPECT_TRUE(MatchesMask("_Home.vlb", "*.VLB"));
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("a.htm", "?.htm"));
    EXPECT_FALSE(MatchesMask("ab.htm", "?.htm"));
    EXPECT_TRUE(MatchesMask("name", "name.*"));
    EXPECT_FALSE(MatchesMask("a.html", "*.htm"));
}

TEST(CaseInsensitiveExistence, SeesNamesInAnyCase)
{
    test::TempDir dir;
    EXPECT_FALSE(FileExistsNoCase(dir.Path() + "index.htm"));
    Write(dir.Path() + "INDEX.htm", "x");
    EXPECT_TRUE(FileExistsNoCase(dir.Path() + "index.htm"));
    DeleteFile(dir.Path() + "INDEX.htm");
    EXPECT_FALSE(FileExistsNoCase(dir.Path() + "index.htm"));
    // Created behind our back, after the directory was read.
    Write(dir.Path() + "Page.HTM", "x");
    EXPECT_TRUE(FileExistsNoCase(dir.Path() + "page.htm"));
}

TEST(AtomicWrites, FailureLeavesTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    test::TempDir dir;
    std::string target = dir.Path() + "webs.dat";
    WriteWholeFile(target, "old");
    ::chmod(dir.Path().c_str(), 0500);
    EXPECT_THROW(WriteWholeFile(target, "new"), EInOutError);
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadWholeFile(target), "old");
}

TEST(AtomicWrites, FailedRenameIsReportedAndCleansUp)
{
    test::TempDir dir;
    std::string occupied = dir.Path() + "taken";
    ASSERT_TRUE(ForceDirectories(occupied + "/inner"));
    EXPECT_THROW(WriteWholeFile(occupied, "bytes"), EInOutError);
    EXPECT_TRUE(DirectoryExists(occupied + "/inner"));
    EXPECT_EQ(ListFiles(dir.Path(), "*").size(), 0u); // no temporary file left behind
}

TEST(AtomicWrites, NewFilesGetTheRequestedMode)
{
    test::TempDir dir;
    WriteWholeFile(dir.Path() + "velbrin.ini", "[x]", 0600);
    struct stat info {};
    ASSERT_EQ(::stat((dir.Path() + "velbrin.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(OverwriteInPlace, LongerAndShorterContentKeepTheFile)
{
    test::TempDir dir;
    std::string page = dir.Path() + "p.htm";
    Write(page, "<p>downloaded</p>");
    struct stat before {};
    ASSERT_EQ(::stat(page.c_str(), &before), 0);

    ASSERT_TRUE(OverwriteFile(page, "<p>prepared, and longer</p>", "<p>downloaded</p>"));
    EXPECT_EQ(ReadWholeFile(page), "<p>prepared, and longer</p>");
    ASSERT_TRUE(OverwriteFile(page, "<p>short</p>", "<p>prepared, and longer</p>"));
    EXPECT_EQ(ReadWholeFile(page), "<p>short</p>");

    struct stat after {};
    ASSERT_EQ(::stat(page.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino); // written over, not replaced
    EXPECT_EQ(ListFiles(dir.Path(), "*").size(), 1u);
}

TEST(OverwriteInPlace, FileThatChangedMeanwhileIsLeftAlone)
{
    test::TempDir dir;
    std::string page = dir.Path() + "p.htm";
    Write(page, "someone else's bytes");
    EXPECT_FALSE(OverwriteFile(page, "prepared", "downloaded"));
    EXPECT_EQ(ReadWholeFile(page), "someone else's bytes");
    EXPECT_FALSE(OverwriteFile(dir.Path() + "missing.htm", "prepared", ""));
    EXPECT_FALSE(FileExists(dir.Path() + "missing.htm"));
}

TEST(OverwriteInPlace, FailedWritePutsThePreviousContentBack)
{
    test::TempDir dir;
    std::string page = dir.Path() + "p.htm";
    const std::string downloaded = "<html>downloaded page</html>";
    Write(page, downloaded);

    // A file size limit stops the write half way, as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = downloaded.size() + 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    bool threw = false;
    try {
        OverwriteFile(page, std::string(4096, 'x'), downloaded);
    } catch (const EInOutError&) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadWholeFile(page), downloaded);
}

TEST(FileNames, Parts)
{
    EXPECT_EQ(ExtractFilePath("/a/b/c.web"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/c.web"), "c.web");
    EXPECT_EQ(ExtractFileExt("/a/b.c/d"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/c.WEB"), ".WEB");
    EXPECT_EQ(ExpandFileName("/a/./b/../c/"), "/a/c/");
}
