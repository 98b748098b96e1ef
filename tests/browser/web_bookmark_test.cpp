#include "browser/Bookmarks.h"
#include "browser/WebBookmark.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/Text.h"

#include "BrowserTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using namespace velbrin;
using namespace velbrin::test;

namespace {

struct AskedBox {
    TErrorKind Kind;
    std::string Text;
    TBoxButtons Buttons;
};

class WebBookmarkTest : public ::testing::Test {
protected:
    WebBookmarkTest()
    {
        param().BookmarkFile = file;
        param().BookmarkFolder = "Local webs";
        param().UseBookmark = true;
    }

    TParam& param() { return *settings.param; }

    // Prompts that record each question and answer it with `answer`; the
    // setup dialog runs `edit` and confirms when it returns true.
    TBrowserPrompts Prompts(TModalResult answer, std::function<bool()> edit = {})
    {
        TBrowserPrompts prompts;
        prompts.ErrorBox = [this, answer](TErrorKind kind, std::string_view text, TBoxButtons buttons) {
            asked.push_back({kind, std::string(text), buttons});
            return answer;
        };
        prompts.EditSettings = [this, edit](int page) {
            pages.push_back(page);
            return edit && edit();
        };
        return prompts;
    }

    TWebBookmark Web(const std::string& name, const std::string& title) const
    {
        return {settings.dir.Path() + name + "/", title, "http://www." + name + ".example/start.htm?a=1&b=2"};
    }

    std::unique_ptr<TBookMarks> Reload()
    {
        auto reread = std::make_unique<TBookMarks>();
        reread->SetFileName(file);
        EXPECT_EQ(reread->Load(), BookmarksLoaded);
        return reread;
    }

    SettingsHome settings;
    const std::string file = settings.dir.Path() + "bookmarks.html";
    TBookMarks bookmarks;
    std::vector<AskedBox> asked;
    std::vector<int> pages;
};

} // namespace

TEST_F(WebBookmarkTest, AddCreatesTheFolderAtTheEndAndKeepsTheBrowsersEntries)
{
    WriteText(file, ReadText(Fixture("chromium-export.html")));
    const auto before = Reload();

    const TWebBookmark web = Web("site", "My <site> & more");
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), web, Prompts(TModalResult::No)), TBookmarkChange::Added);
    EXPECT_TRUE(bookmarks.Children().empty()); // released
    EXPECT_TRUE(asked.empty());

    const auto after = Reload();
    ASSERT_EQ(after->Children().size(), before->Children().size() + 1);
    const TBookmarkFolder* folder = after->Children().back()->AsFolder();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Name, "Local webs");
    ASSERT_EQ(folder->ItemCount(), 1);
    const TBookmarkItem& item = *folder->Children()[0]->AsItem();
    EXPECT_EQ(item.Url, "file://" + web.Directory + "_Home.htm");
    EXPECT_EQ(item.Title, "My &lt;site&gt; &amp; more");
    EXPECT_EQ(item.Description, "http://www.site.example/start.htm?a=1&amp;b=2");
    EXPECT_GT(item.AddDate, 0);

    // Everything the browser had is still there.
    after->RemoveFolder(folder);
    EXPECT_EQ(Dump(*after), Dump(*before));
}

TEST_F(WebBookmarkTest, AddAgainChangesNothingOrOnlyTheTitle)
{
    CreateBookmarkFile(file);
    const TWebBookmark web = Web("site", "Site");
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::Added);

    // Unchanged: the file is not written again.
    const std::string written = ReadText(file);
    struct stat before {};
    ::stat(file.c_str(), &before);
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::None);
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);

    EXPECT_EQ(AddWebBookmark(bookmarks, param(), Web("site", "Renamed"), {}), TBookmarkChange::Retitled);
    const auto reread = Reload();
    const TBookmarkFolder* folder = reread->FindFolder("Local webs");
    ASSERT_EQ(folder->ItemCount(), 1);
    EXPECT_EQ(folder->Children()[0]->AsItem()->Title, "Renamed");
    EXPECT_NE(ReadText(file), written);
}

TEST_F(WebBookmarkTest, AnUntitledWebKeepsItsAddressAsTitle)
{
    CreateBookmarkFile(file);
    const TWebBookmark web = Web("site", "");
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::Added);
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::None);
    const auto reread = Reload();
    const TBookmarkItem* item = reread->FindItem(WebBookmarkAddress(web.Directory));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Title, item->Url);
}

TEST_F(WebBookmarkTest, EveryAddReadsTheFileAfresh)
{
    // The same object serves the whole run: a second Web must not replace
    // the file by what the released tree holds.
    WriteText(file, ReadText(Fixture("firefox-export.html")));
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), Web("one", "One"), {}), TBookmarkChange::Added);
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), Web("two", "Two"), {}), TBookmarkChange::Added);
    const auto reread = Reload();
    EXPECT_EQ(reread->FindFolder("Local webs")->ItemCount(), 2);
    EXPECT_NE(reread->FindItem("https://news.example.com/"), nullptr);
    EXPECT_EQ(reread->FolderCount(), 4);
}

TEST_F(WebBookmarkTest, ABookmarkMovedIntoASubfolderIsFoundThere)
{
    const TWebBookmark web = Web("site", "Site");
    WriteText(file, "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><DT><H3>Local webs</H3><DL><DT><H3>Old</H3><DL>"
                    "<DT><A HREF=\"" + WebBookmarkAddress(web.Directory) + "\">Site</A></DL></DL></DL>");
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::None);
    EXPECT_TRUE(RemoveWebBookmark(bookmarks, param(), web.Directory));
    const auto reread = Reload();
    EXPECT_EQ(reread->FindItem(WebBookmarkAddress(web.Directory)), nullptr);
    ASSERT_NE(reread->FindFolder("Local webs"), nullptr); // still holds "Old"
}

TEST_F(WebBookmarkTest, DirectoriesWithBlanksQuotesAndFragmentsFindTheirBookmark)
{
    CreateBookmarkFile(file);
    for (const char* name : {"My Webs/site", "it's \"odd\" & <odd>", "C#/notes?x=1"}) {
        SCOPED_TRACE(name);
        const TWebBookmark web = Web(name, name);
        ASSERT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::Added);
        EXPECT_EQ(AddWebBookmark(bookmarks, param(), web, {}), TBookmarkChange::None);
        EXPECT_TRUE(RemoveWebBookmark(bookmarks, param(), web.Directory));
        EXPECT_FALSE(RemoveWebBookmark(bookmarks, param(), web.Directory));
    }
}

TEST_F(WebBookmarkTest, RemoveTakesTheFolderWhenItIsLeftEmpty)
{
    WriteText(file, ReadText(Fixture("dd-descriptions.html")));
    const std::string original = ReadText(file);
    EXPECT_FALSE(RemoveWebBookmark(bookmarks, param(), settings.dir.Path() + "one/"));
    EXPECT_EQ(ReadText(file), original); // nothing to remove: not rewritten

    ASSERT_EQ(AddWebBookmark(bookmarks, param(), Web("one", "One"), {}), TBookmarkChange::Added);
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), Web("two", "Two"), {}), TBookmarkChange::Added);
    EXPECT_TRUE(RemoveWebBookmark(bookmarks, param(), settings.dir.Path() + "one/"));
    EXPECT_EQ(Reload()->FindFolder("Local webs")->ItemCount(), 1);
    EXPECT_TRUE(RemoveWebBookmark(bookmarks, param(), settings.dir.Path() + "two"));
    const auto reread = Reload();
    EXPECT_EQ(reread->FindFolder("Local webs"), nullptr);
    EXPECT_NE(reread->FindFolder("Travel"), nullptr);
    EXPECT_TRUE(bookmarks.Children().empty());
}

TEST_F(WebBookmarkTest, AFileThatDoesNotLoadAsksOnceThenStopsAsking)
{
    param().BookmarkFile = settings.dir.Path() + "missing.html";
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), Web("site", "Site"), Prompts(TModalResult::No)),
              TBookmarkChange::NotLoaded);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Kind, TErrorKind::BookmarkFile);
    EXPECT_EQ(asked[0].Text, "Create or choose another bookmark file?");
    EXPECT_EQ(asked[0].Buttons, TBoxButtons(mbYes | mbNo));
    EXPECT_TRUE(pages.empty());
    EXPECT_FALSE(param().UseBookmark);

    // Switched off: silent.
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), Web("site", "Site"), Prompts(TModalResult::Yes)),
              TBookmarkChange::NotLoaded);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_FALSE(FileExists(param().BookmarkFile));
}

TEST_F(WebBookmarkTest, ChoosingAnotherFileInTheSetupDialogCarriesOn)
{
    param().BookmarkFile = settings.dir.Path() + "missing.html";
    const std::string chosen = settings.dir.Path() + "chosen.html";
    // Yes, then the dialog is cancelled: bookmarks go off.
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), Web("site", "Site"), Prompts(TModalResult::Yes)),
              TBookmarkChange::NotLoaded);
    EXPECT_EQ(pages, std::vector<int>{kBrowserSettingsPage});
    EXPECT_FALSE(param().UseBookmark);

    param().UseBookmark = true;
    const auto choose = [&] {
        CreateBookmarkFile(chosen);
        param().BookmarkFile = chosen;
        return true;
    };
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), Web("site", "Site"), Prompts(TModalResult::Yes, choose)),
              TBookmarkChange::Added);
    EXPECT_TRUE(param().UseBookmark);
    TBookMarks reread;
    reread.SetFileName(chosen);
    ASSERT_EQ(reread.Load(), BookmarksLoaded);
    EXPECT_NE(reread.FindFolder("Local webs"), nullptr);
}

TEST_F(WebBookmarkTest, ABadDateRaisesAndLeavesTheFileAlone)
{
    const std::string bad = "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><DT><A HREF=x ADD_DATE=\"soon\">x</A></DL>";
    WriteText(file, bad);
    EXPECT_THROW(AddWebBookmark(bookmarks, param(), Web("site", "Site"), {}), EConvertError);
    EXPECT_THROW(RemoveWebBookmark(bookmarks, param(), settings.dir.Path() + "site/"), EConvertError);
    EXPECT_EQ(ReadText(file), bad);
    EXPECT_TRUE(bookmarks.Children().empty());
    EXPECT_TRUE(param().UseBookmark);
}

TEST_F(WebBookmarkTest, TitlesAndFolderNamesGoIntoTheFileInUtf8)
{
    WriteText(file, ReadText(Fixture("firefox-profile.html")));
    param().BookmarkFolder = "Mes s\xE9jours"; // Latin-1, as an old settings file holds it
    const TWebBookmark latin1 = Web("ete", "\xC9t\xE9 \xE0 Z\xFCrich");
    const TWebBookmark utf8 = Web("tokyo", "\xE6\x9D\xB1\xE4\xBA\xAC \xC3\xA9t\xC3\xA9");
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), latin1, {}), TBookmarkChange::Added);
    ASSERT_EQ(AddWebBookmark(bookmarks, param(), utf8, {}), TBookmarkChange::Added);

    const std::string text = ReadText(file);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_NE(text.find(">Mes s\xC3\xA9jours</H3>"), std::string::npos);
    EXPECT_NE(text.find(">\xC3\x89t\xC3\xA9 \xC3\xA0 Z\xC3\xBCrich</A>"), std::string::npos);
    EXPECT_NE(text.find(">\xE6\x9D\xB1\xE4\xBA\xAC \xC3\xA9t\xC3\xA9</A>"), std::string::npos);

    // The folder and the bookmarks are found again under their converted texts.
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), latin1, {}), TBookmarkChange::None);
    EXPECT_EQ(AddWebBookmark(bookmarks, param(), utf8, {}), TBookmarkChange::None);
    EXPECT_EQ(Reload()->FindFolder("Mes s\xC3\xA9jours")->ItemCount(), 2);
    EXPECT_TRUE(RemoveWebBookmark(bookmarks, param(), latin1.Directory));
}
