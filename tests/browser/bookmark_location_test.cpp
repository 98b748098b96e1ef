#include "browser/BookmarkFileLocation.h"

#include "BrowserTestSupport.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::test;

namespace {

constexpr const char* kExport = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n</DL>\n";

class BookmarkLocationTest : public ::testing::Test {
protected:
    std::string Home() const { return dir.Path() + "home/"; }
    std::string Firefox() const { return Home() + ".mozilla/firefox/"; }

    void Age(const std::string& file, int minutes)
    {
        std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::minutes(minutes));
    }

    TempDir dir;
    EnvOverride home{"HOME", dir.Path() + "home"};
    EnvOverride config{"XDG_CONFIG_HOME", std::nullopt};
};

} // namespace

TEST_F(BookmarkLocationTest, FirefoxProfilesInTheirOrder)
{
    WriteText(Firefox() + "profiles.ini", "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
                                          "[Profile0]\nName=release\nIsRelative=1\nPath=abc.default-release\n\n"
                                          "[Profile2]\nName=elsewhere\nIsRelative=0\nPath=" +
                                              dir.Path() + "elsewhere\n\n"
                                              "[Install4F96D1932A9F858E]\nDefault=abc.default-release\nLocked=1\n");
    // No profile has the file: nothing from the profiles.
    EXPECT_EQ(FindBookmarkFile("/usr/bin/firefox"), "");

    WriteText(dir.Path() + "elsewhere/bookmarks.html", kExport);
    EXPECT_EQ(FindBookmarkFile("/usr/lib/firefox-esr/firefox-esr"), dir.Path() + "elsewhere/bookmarks.html");
    WriteText(Firefox() + "old.default/bookmarks.html", kExport);
    EXPECT_EQ(FindBookmarkFile("/usr/bin/firefox"), Firefox() + "old.default/bookmarks.html");
    WriteText(Firefox() + "abc.default-release/bookmarks.html", kExport);
    EXPECT_EQ(FindBookmarkFile("/usr/bin/firefox"), Firefox() + "abc.default-release/bookmarks.html");

    // Another browser does not look into these profiles.
    EXPECT_EQ(FindBookmarkFile("/usr/bin/chromium"), "");
}

TEST_F(BookmarkLocationTest, TheNewestExportOfTheDownloadDirectoryThenOfHome)
{
    EXPECT_EQ(FindBookmarkFile("/usr/bin/chromium"), "");

    WriteText(Home() + "bookmarks.html", kExport);
    EXPECT_EQ(FindBookmarkFile("/usr/bin/chromium"), Home() + "bookmarks.html");

    WriteText(Home() + "Downloads/bookmarks_1_2_24.html", kExport);
    WriteText(Home() + "Downloads/Bookmarks.HTM", kExport);
    WriteText(Home() + "Downloads/bookmarks_9_9_24.html", "<html>not an export</html>");
    WriteText(Home() + "Downloads/bookmarks.html.bak", kExport);
    Age(Home() + "Downloads/Bookmarks.HTM", 60);
    EXPECT_EQ(FindBookmarkFile("/usr/bin/chromium"), Home() + "Downloads/bookmarks_1_2_24.html");
    Age(Home() + "Downloads/bookmarks_1_2_24.html", 120);
    EXPECT_EQ(FindBookmarkFile("/usr/bin/firefox"), Home() + "Downloads/Bookmarks.HTM");

    // The download directory the desktop names.
    WriteText(Home() + ".config/user-dirs.dirs", "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Telechargements\"\n");
    EXPECT_EQ(FindBookmarkFile("/usr/bin/chromium"), Home() + "bookmarks.html");
    WriteText(Home() + "Telechargements/bookmarks.html", kExport);
    EXPECT_EQ(FindBookmarkFile("/usr/bin/chromium"), Home() + "Telechargements/bookmarks.html");
}
