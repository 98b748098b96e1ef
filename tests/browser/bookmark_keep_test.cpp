// A browser's bookmark file belongs to the user: saving it after a change
// writes back every byte the change does not touch, where it was.

#include "browser/Bookmarks.h"
#include "browser/WebBookmark.h"

#include "BrowserTestSupport.h"

#include <gtest/gtest.h>
#include <ctime>
#include <regex>

using namespace velbrin;
using namespace velbrin::test;

namespace {

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// The exports as browsers write them, the same with CR LF line ends, and one
// that does not end with a line end.
std::vector<std::pair<std::string, std::string>> Exports()
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* name : {"firefox-profile.html", "chromium-profile.html", "firefox-export.html",
                             "chromium-export.html", "dd-descriptions.html"})
        files.emplace_back(name, ReadText(Fixture(name)));
    files.emplace_back("firefox-profile.html with CR LF", WithCrLf(files[0].second));
    std::string cut = files[1].second;
    cut.pop_back();
    files.emplace_back("chromium-profile.html without its last line end", cut);
    return files;
}

// Dates of the program's own entries, which are the time of the test.
std::string WithoutDates(const std::string& text)
{
    static const std::regex date(R"re((ADD_DATE|LAST_VISIT|LAST_MODIFIED)="[0-9]+")re");
    return std::regex_replace(text, date, "$1=\"N\"");
}

std::string Replaced(std::string text, const std::string& part, const std::string& by)
{
    const std::size_t at = text.find(part);
    EXPECT_NE(at, std::string::npos) << part;
    EXPECT_EQ(text.find(part, at + 1), std::string::npos) << part << " is not unique";
    if (at != std::string::npos)
        text.replace(at, part.size(), by);
    return text;
}

// The first item of that title, depth first.
TBookmarkItem* ItemTitled(const TBookmarkFolder& folder, const std::string& title)
{
    for (const auto& child : folder.Children()) {
        if (TBookmarkItem* item = child->AsItem(); item && item->Title == title)
            return item;
        if (const TBookmarkFolder* sub = child->AsFolder()) {
            if (TBookmarkItem* found = ItemTitled(*sub, title))
                return found;
        }
    }
    return nullptr;
}

} // namespace

TEST(BookmarkKeep, UnchangedExportsSaveAsTheirOwnBytes)
{
    for (const auto& [name, bytes] : Exports()) {
        SCOPED_TRACE(name);
        TBookMarks bookmarks;
        ASSERT_EQ(bookmarks.LoadFrom(bytes), BookmarksLoaded);
        EXPECT_EQ(bookmarks.SaveText(), bytes);
    }

    // Through the file too: the separators, META lines, icons, tags,
    // keywords, toolbar marks and the H1 text all come back.
    TempDir dir;
    const std::string file = dir.Path() + "bookmarks.html";
    const std::string original = ReadText(Fixture("firefox-profile.html"));
    WriteText(file, original);
    TBookMarks bookmarks;
    bookmarks.SetFileName(file);
    ASSERT_EQ(bookmarks.Load(), BookmarksLoaded);
    bookmarks.Save();
    EXPECT_EQ(ReadText(file), original);
}

TEST(BookmarkKeep, EditsReplaceOnlyTheirOwnBytes)
{
    const std::string original = ReadText(Fixture("firefox-profile.html"));
    TBookMarks bookmarks;
    ASSERT_EQ(bookmarks.LoadFrom(original), BookmarksLoaded);

    TBookmarkItem* mail = ItemTitled(bookmarks, "Mail");
    TBookmarkItem* train = ItemTitled(bookmarks, "Fahrplan K\xC3\xB6ln \xE2\x80\x93 M\xC3\xBCnchen");
    TBookmarkItem* gratin = ItemTitled(bookmarks, "Gratin dauphinois \xE2\x80\x94 la vraie recette");
    TBookmarkItem* reviews = ItemTitled(bookmarks, "Reviews \xF0\x9F\x93\x9D");
    ASSERT_TRUE(mail && train && gratin && reviews);
    mail->Title = "Courrier";
    train->Description = "Nur samstags";
    gratin->LastVisit = 1718000000;
    gratin->Description = "Au four, 1 h";
    reviews->Parent()->RemoveItem(reviews);
    TBookmarkFolder* recettes = bookmarks.FindFolder("Lesezeichen f\xC3\xBCr sp\xC3\xA4ter")->FindFolder("Recettes");
    ASSERT_NE(recettes, nullptr);
    TBookmarkItem& added = recettes->AddItem(std::make_unique<TBookmarkItem>("https://cuisine.example.fr/tarte", "Tarte", ""));
    added.AddDate = added.LastVisit = added.LastModified = 1719000000;

    std::string expected = Replaced(original, ">Mail</A>", ">Courrier</A>");
    expected = Replaced(expected, "<DD>Verbindungen am Wochenende, mit Umstieg in Frankfurt\n", "<DD>Nur samstags\n");
    expected = Replaced(expected, "TAGS=\"cuisine,hiver,gratin\">Gratin dauphinois \xE2\x80\x94 la vraie recette</A>\n",
                        "TAGS=\"cuisine,hiver,gratin\" LAST_VISIT=\"1718000000\">Gratin dauphinois \xE2\x80\x94 la "
                        "vraie recette</A>\n            <DD>Au four, 1 h\n");
    expected = Replaced(expected,
                        "                <DT><A HREF=\"https://review.example.org/dashboard\" ADD_DATE=\"1712000300\" "
                        "LAST_MODIFIED=\"1712000300\">Reviews \xF0\x9F\x93\x9D</A>\n",
                        "");
    expected = Replaced(expected, " beurre</A>\n        </DL><p>\n",
                        " beurre</A>\n            <DT><A HREF=\"https://cuisine.example.fr/tarte\" ADD_DATE=\"1719000000\" "
                        "LAST_VISIT=\"1719000000\" LAST_MODIFIED=\"1719000000\">Tarte</A>\n        </DL><p>\n");
    EXPECT_EQ(bookmarks.SaveText(), expected);

    // A folder taken out goes with its heading, description, list and "<p>";
    // a changed TITLE leaves the H1 alone.
    TBookMarks again;
    ASSERT_EQ(again.LoadFrom(original), BookmarksLoaded);
    again.FindFolder("Lesezeichen f\xC3\xBCr sp\xC3\xA4ter")->RemoveFolder(
        again.FindFolder("Lesezeichen f\xC3\xBCr sp\xC3\xA4ter")->FindFolder("Recettes"));
    again.Title = "Meine Lesezeichen";
    const std::size_t from = original.find("        <DT><H3 ADD_DATE=\"1706000000\"");
    const std::size_t to = original.find("        </DL><p>\n", from) + 17;
    std::string cut = original;
    cut.erase(from, to - from);
    cut = Replaced(cut, "<TITLE>Bookmarks</TITLE>", "<TITLE>Meine Lesezeichen</TITLE>");
    EXPECT_EQ(again.SaveText(), cut);
}

TEST(BookmarkKeep, AddRemoveAndAddAWebAgainKeepEveryOriginalLine)
{
    for (const auto& [name, original] : Exports()) {
        if (name == "dd-descriptions.html")
            continue;
        SCOPED_TRACE(name);
        SettingsHome settings;
        const std::string file = settings.dir.Path() + "bookmarks.html";
        settings.param->BookmarkFile = file;
        settings.param->BookmarkFolder = "Local webs";
        settings.param->UseBookmark = true;
        WriteText(file, original);
        const TWebBookmark web{settings.dir.Path() + "site/", "Caf\xE9 \"Kr\xE4mer\" & Co", "http://www.site.example/?a=1&b=2"};

        // Our folder goes at the end of the top list, in the file's layout;
        // the lines before and after it are the file's own.
        const bool crlf = original.find("\r\n") != std::string::npos;
        const std::string eol = crlf ? "\r\n" : "\n";
        std::size_t listEnd = original.rfind("</DL>");
        listEnd = original.rfind('\n', listEnd) + 1;
        const std::string block = "    <DT> <H3 FOLDED ADD_DATE=\"N\">Local webs</H3>" + eol + "    <DL><p>" + eol +
                                  "        <DT><A HREF=\"" + WebBookmarkAddress(web.Directory) +
                                  "\" ADD_DATE=\"N\" LAST_VISIT=\"N\" LAST_MODIFIED=\"N\">"
                                  "Caf\xC3\xA9 &quot;Kr\xC3\xA4mer&quot; &amp; Co</A>" + eol +
                                  "        <DD>http://www.site.example/?a=1&amp;b=2" + eol + "    </DL><p>" + eol;

        TBookMarks bookmarks;
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            ASSERT_EQ(AddWebBookmark(bookmarks, *settings.param, web, {}), TBookmarkChange::Added);
            const std::string added = ReadText(file);
            ASSERT_GT(added.size(), original.size());
            const std::size_t blockSize = added.size() - original.size();
            EXPECT_EQ(added.substr(0, listEnd), original.substr(0, listEnd));
            EXPECT_EQ(added.substr(listEnd + blockSize), original.substr(listEnd));
            EXPECT_EQ(WithoutDates(added.substr(listEnd, blockSize)), block);
            // Found again, with its title as the file holds it: nothing to write.
            EXPECT_EQ(AddWebBookmark(bookmarks, *settings.param, web, {}), TBookmarkChange::None);

            ASSERT_TRUE(RemoveWebBookmark(bookmarks, *settings.param, web.Directory));
            EXPECT_EQ(ReadText(file), original);
        }
    }
}

TEST(BookmarkKeep, NewDatesAreSecondsSince1970InUtc)
{
    {
        // Nine hours ahead of UTC: a local-time date would be 32400 s too late.
        EnvOverride zone("TZ", "Asia/Tokyo");
        ::tzset();
        const auto utc = static_cast<double>(std::time(nullptr));
        EXPECT_NEAR(static_cast<double>(BookmarkNow()), utc, 5.0);
        const TBookmarkItem item("http://x/", "x", "");
        EXPECT_NEAR(static_cast<double>(item.AddDate), utc, 5.0);
        EXPECT_EQ(item.LastVisit, item.AddDate);
        EXPECT_NEAR(static_cast<double>(TBookmarkFolder("f").AddDate), utc, 5.0);
    }
    ::tzset();
}

TEST(BookmarkKeep, FilesOfOneLongLineAreEditedInOnePass)
{
    // 100,000 folders on one line: every edit looks up its line once, not the
    // whole line again (which took minutes).
    std::string line = "<DL>";
    for (int i = 0; i < 100000; ++i)
        line += "<DT><H3>f" + std::to_string(i) + "</H3><DL><DT><A HREF=x" + std::to_string(i) + ">t</A></DL>";
    line += "</DL>";
    TBookMarks bookmarks;
    ASSERT_EQ(bookmarks.LoadFrom(line), BookmarksLoaded);
    for (const auto& child : bookmarks.Children()) {
        TBookmarkFolder* folder = child->AsFolder();
        folder->AddItem(std::make_unique<TBookmarkItem>("y", "new", "")).AddDate = 0;
        folder->Name += "!";
    }
    bookmarks.RemoveFolder(bookmarks.Children().front()->AsFolder());
    TBookMarks again;
    ASSERT_EQ(again.LoadFrom(bookmarks.SaveText()), BookmarksLoaded);
    ASSERT_EQ(again.FolderCount(), 99999);
    EXPECT_EQ(Dump(again), Dump(bookmarks));
}
