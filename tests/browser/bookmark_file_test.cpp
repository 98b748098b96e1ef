#include "browser/Bookmarks.h"
#include "core/Errors.h"

#include "BrowserTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using namespace velbrin;
using namespace velbrin::test;

namespace {

TBookmarkLoad LoadText(TBookMarks& bookmarks, const std::string& text)
{
    return bookmarks.LoadFrom(text);
}

std::string Repeat(const std::string& piece, std::size_t count)
{
    std::string out;
    out.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out += piece;
    return out;
}

// What an importer that reads the file line by line (one tag per line, "<DT>"
// prefixes and blanks dropped, an A or H3 complete on its line) finds: one
// line per folder or link, with the names of the folders above it.
std::string LineImport(const std::string& text)
{
    std::vector<std::string> path;
    std::string pendingFolder;
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        line.erase(0, line.find_first_not_of(" \t"));
        // A separator, with what follows it on its line.
        if (line.starts_with("<HR>"))
            line.erase(0, line.find_first_not_of(" \t", 4));
        if (line.starts_with("<DT>"))
            line.erase(0, line.find_first_not_of(' ', 4));
        std::string where;
        for (const std::string& name : path)
            where += name + "/";
        if (line.starts_with("<H3")) {
            const std::size_t close = line.find("</H3>");
            if (close == std::string::npos)
                return "H3 not closed on its line: " + line;
            const std::size_t open = line.rfind('>', close) + 1;
            pendingFolder = line.substr(open, close - open);
            out += where + "[" + pendingFolder + "]\n";
        } else if (line.starts_with("<A")) {
            const std::size_t close = line.find("</A>");
            if (close == std::string::npos)
                return "A not closed on its line: " + line;
            const std::size_t open = line.rfind('>', close) + 1;
            out += where + line.substr(open, close - open) + "\n";
        } else if (line.starts_with("<DL>")) {
            path.push_back(pendingFolder);
            pendingFolder.clear();
        } else if (line.starts_with("</DL>")) {
            if (path.empty())
                return "list closed once too often";
            path.pop_back();
        }
    }
    return out;
}

// The same listing from the tree (the top list's name is the empty first segment).
void ListTree(const TBookmarkFolder& folder, const std::string& where, std::string& out)
{
    for (const auto& child : folder.Children()) {
        if (const TBookmarkFolder* sub = child->AsFolder()) {
            out += where + "[" + sub->Name + "]\n";
            ListTree(*sub, where + sub->Name + "/", out);
        } else {
            out += where + child->AsItem()->Title + "\n";
        }
    }
}

std::string ListTree(const TBookmarkFolder& root)
{
    std::string out;
    ListTree(root, "/", out);
    return out;
}

} // namespace

TEST(BookmarkSave, WritesTheExactLinesTabsAndLineEnds)
{
    TBookMarks bookmarks;
    bookmarks.Title = "Velbrin's webs";
    bookmarks.Description = "Velbrin's webs";
    TBookmarkFolder& folder = bookmarks.AddFolder(std::make_unique<TBookmarkFolder>("Local webs", "Captured"));
    folder.AddDate = 900000000;
    TBookmarkItem& item = folder.AddItem(std::make_unique<TBookmarkItem>("file:///w/_Home.htm", "Site", "http://s/"));
    item.AddDate = 1;
    item.LastVisit = 2;
    item.LastModified = -3;
    TBookmarkItem& bare = bookmarks.AddItem(std::make_unique<TBookmarkItem>("http://x/", "X", ""));
    bare.AddDate = bare.LastVisit = bare.LastModified = 0;

    EXPECT_EQ(bookmarks.SaveText(),
              "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n\r\n"
              "<!-- This is an automatically generated file.\r\n\r\n"
              "Il will be read an overwritten.\r\n\r\n"
              "Do Not Edit!-->\r\n\r\n"
              "<TITLE>Velbrin's webs</TITLE>\r\n\r\n"
              "<H1>Velbrin's webs</H1>\r\n"
              "<DD>Velbrin's webs\r\n\r\n"
              "<DL><p>\r\n"
              "\t<DT> <H3 FOLDED ADD_DATE=\"900000000\">Local webs</H3>\r\n"
              "\t<DD>Captured\r\n\r\n"
              "\t<DL><p>\r\n"
              "\t\t<DT><A HREF=\"file:///w/_Home.htm\" ADD_DATE=\"1\" LAST_VISIT=\"2\" LAST_MODIFIED=\"-3\">Site</A>\r\n"
              "\t\t<DD>http://s/\r\n"
              "\t</DL><p>\r\n"
              "\t<DT><A HREF=\"http://x/\" ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">X</A>\r\n"
              "</DL><p>\r\n");
}

TEST(BookmarkSave, LongAddressesAndTitlesAreWrittenWhole)
{
    // A line cut at 255 would lose the closing quote or "</A>" and break the file.
    TBookMarks bookmarks;
    const std::string url = "http://example.org/" + std::string(300, 'u');
    const std::string title = std::string(400, 't');
    bookmarks.AddItem(std::make_unique<TBookmarkItem>(url, title, ""));
    TBookMarks again;
    ASSERT_EQ(again.LoadFrom(bookmarks.SaveText()), BookmarksLoaded);
    ASSERT_EQ(again.ItemCount(), 1);
    EXPECT_EQ(again.FindItem(url)->Title, title);
}

TEST(BookmarkSave, RoundTripKeepsFoldersItemsDatesAndDescriptions)
{
    TBookMarks bookmarks;
    bookmarks.Title = "Mine";
    TBookmarkFolder& a = bookmarks.AddFolder(std::make_unique<TBookmarkFolder>("A", "first folder"));
    a.AddDate = 100;
    TBookmarkFolder& b = a.AddFolder(std::make_unique<TBookmarkFolder>("B"));
    b.AddDate = 4102444800; // 2100: beyond 32 bits
    TBookmarkItem& deep = b.AddItem(std::make_unique<TBookmarkItem>("http://d/", "Deep", "deep one"));
    deep.AddDate = 5;
    deep.LastVisit = 6;
    deep.LastModified = 7;
    a.AddFolder(std::make_unique<TBookmarkFolder>("Empty")).AddDate = 8;
    bookmarks.AddItem(std::make_unique<TBookmarkItem>("http://top/?a=1&amp;b=2", "Top &amp; more", ""));

    TempDir dir;
    bookmarks.SetFileName(dir.Path() + "bookmarks.html");
    bookmarks.Save();

    TBookMarks loaded;
    loaded.SetFileName(dir.Path() + "bookmarks.html");
    ASSERT_EQ(loaded.Load(), BookmarksLoaded);
    EXPECT_EQ(Dump(loaded), Dump(bookmarks));
    EXPECT_EQ(loaded.Title, "Mine");
    EXPECT_EQ(loaded.Name, "Mine");
    EXPECT_EQ(loaded.Description, "Mine");
    EXPECT_EQ(loaded.FolderCount(), 1);
    EXPECT_EQ(loaded.ItemCount(), 1);
    EXPECT_FALSE(loaded.Modified);
    EXPECT_FALSE(loaded.FindFolder("A")->Modified);

    // Saved again without a change, the file keeps its bytes.
    EXPECT_EQ(loaded.SaveText(), ReadText(dir.Path() + "bookmarks.html"));
    TBookMarks third;
    ASSERT_EQ(third.LoadFrom(loaded.SaveText()), BookmarksLoaded);
    EXPECT_EQ(Dump(third), Dump(bookmarks));
}

TEST(BookmarkLoad, FirefoxExportKeepsEveryFolderAndLink)
{
    TBookMarks bookmarks;
    bookmarks.SetFileName(Fixture("firefox-export.html"));
    ASSERT_EQ(bookmarks.Load(), BookmarksLoaded);
    EXPECT_EQ(bookmarks.Title, "Bookmarks");
    EXPECT_EQ(bookmarks.Description, "Bookmarks");
    EXPECT_EQ(bookmarks.FolderCount(), 3);
    EXPECT_EQ(bookmarks.ItemCount(), 3);

    // Tags of several kilobytes (icons) are read whole; fragments stay in addresses.
    const TBookmarkItem* wiki = bookmarks.FindItem("https://en.wikipedia.org/wiki/Bookmark_(digital)#History");
    ASSERT_NE(wiki, nullptr);
    EXPECT_EQ(wiki->Title, "Bookmark (digital) &#8211; Wikipedia");
    EXPECT_EQ(wiki->AddDate, 1680000000);
    EXPECT_EQ(wiki->LastVisit, 0);
    EXPECT_EQ(wiki->LastModified, 1680000100);
    EXPECT_EQ(wiki->Parent(), &bookmarks);

    const TBookmarkItem* doc = bookmarks.FindItem("https://docs.example.org/guide/intro.html?lang=fr&amp;page=2");
    ASSERT_NE(doc, nullptr);
    EXPECT_GT(doc->Title.size(), 255u);
    EXPECT_TRUE(doc->Title.ends_with("fin"));

    const TBookmarkFolder* toolbar = bookmarks.FindFolder("Bookmarks Toolbar");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->AddDate, 1672531200);
    const TBookmarkFolder* projects = toolbar->FindFolder("Projects");
    ASSERT_NE(projects, nullptr);
    EXPECT_EQ(projects->FolderCount(), 2);
    EXPECT_EQ(projects->ItemCount(), 1);
    const TBookmarkItem* local = bookmarks.FindItem("file:///home/user/My Webs/site/_Home.htm");
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->Parent(), projects->FindFolder("Archive 2023"));
    EXPECT_TRUE(projects->FindFolder("Empty folder")->Children().empty());
    EXPECT_NE(bookmarks.FindItem("https://app.example.net/#/inbox"), nullptr);
    EXPECT_EQ(bookmarks.FindFolder("Other Bookmarks")->ItemCount(), 1);

    // Saved and read again: nothing the tree holds is lost.
    TBookMarks again;
    ASSERT_EQ(again.LoadFrom(bookmarks.SaveText()), BookmarksLoaded);
    EXPECT_EQ(Dump(again), Dump(bookmarks));
    EXPECT_EQ(LineImport(bookmarks.SaveText()), ListTree(bookmarks));
}

TEST(BookmarkLoad, ChromiumExportKeepsEveryFolderAndLink)
{
    TBookMarks bookmarks;
    bookmarks.SetFileName(Fixture("chromium-export.html"));
    ASSERT_EQ(bookmarks.Load(), BookmarksLoaded);
    EXPECT_EQ(ListTree(bookmarks),
              "/[Bookmarks bar]\n"
              "/Bookmarks bar/Example Domain\n"
              "/Bookmarks bar/[Reading &amp; Notes]\n"
              "/Bookmarks bar/Reading &amp; Notes/A very long article name that goes on and on about bookmark "
              "formats and their quirks in browsers today and yesterday, with even more words until the title "
              "itself passes two hundred and fifty-five characters for sure &lt;really&gt; &quot;sure&quot;\n"
              "/Bookmarks bar/Reading &amp; Notes/Quoted address\n"
              "/[Other bookmarks]\n"
              "/Other bookmarks/Inbox (3) - user@example.com\n");
    const TBookmarkFolder* reading = bookmarks.FindFolder("Bookmarks bar")->FindFolder("Reading &amp; Notes");
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->AddDate, 1695000100);
    const TBookmarkItem* article = reading->Children()[0]->AsItem();
    ASSERT_NE(article, nullptr);
    EXPECT_GT(article->Url.size(), 255u);
    EXPECT_TRUE(article->Url.ends_with("#comments"));
    EXPECT_EQ(reading->Children()[1]->AsItem()->Url, "https://example.com/a&quot;quoted&quot;path");

    TBookMarks again;
    ASSERT_EQ(again.LoadFrom(bookmarks.SaveText()), BookmarksLoaded);
    EXPECT_EQ(Dump(again), Dump(bookmarks));
    EXPECT_EQ(LineImport(bookmarks.SaveText()), ListTree(bookmarks));
}

TEST(BookmarkLoad, DescriptionsBelongToTheLastEntryRead)
{
    TBookMarks bookmarks;
    bookmarks.SetFileName(Fixture("dd-descriptions.html"));
    ASSERT_EQ(bookmarks.Load(), BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks),
              "[Travel] 852000000 (Places to go)\n"
              "  http://www.example.org/trains.html | Trains &amp; timetables | 852000100 853000000 852500000 "
              "(Updated every spring)\n"
              "  http://www.example.org/maps.htm#north | Maps north | 0 0 0 ()\n"
              "#top | Back to top | 0 0 0 ()\n");
    EXPECT_EQ(bookmarks.Title, "Bookmarks for Ann");

    // A DD after a list, or before any entry, describes nothing.
    TBookMarks other;
    ASSERT_EQ(LoadText(other, "<H1>h</H1><DD>lost<DL><DT><H3>F</H3><DL></DL><DD>also lost</DL>"), BookmarksLoaded);
    EXPECT_EQ(Dump(other), "[F] 0 ()\n");
}

TEST(BookmarkLoad, ResultsOfFilesThatAreNotBookmarkFiles)
{
    TBookMarks bookmarks;
    EXPECT_EQ(bookmarks.Load(), BookmarksMissing); // no file name
    bookmarks.SetFileName("/nonexistent/dir/bookmarks.html");
    EXPECT_EQ(bookmarks.Load(), BookmarksMissing);

    EXPECT_EQ(LoadText(bookmarks, "<!DOCTYPE HTML><DL><DT><A HREF=x>x</A></DL>"), NotABookmarkFile);
    EXPECT_EQ(LoadText(bookmarks, "<!-- comment --><DL></DL>"), NotABookmarkFile);
    EXPECT_EQ(bookmarks.Children().size(), 0u);
    EXPECT_EQ(LoadText(bookmarks, "<!DOCTYPE NETSCAPE-Bookmark-file-1><TITLE>t</TITLE>"), NotABookmarkFile);
    EXPECT_EQ(LoadText(bookmarks, "<TITLE>t</TITLE><A HREF=x>x</A>"), BookmarksMissing);
    EXPECT_EQ(bookmarks.Children().size(), 0u);
    EXPECT_EQ(LoadText(bookmarks, ""), BookmarksMissing);

    EXPECT_EQ(LoadText(bookmarks, "<DL><DT><A HREF=x>x</A></DL>"), BookmarksLoaded);
    EXPECT_EQ(bookmarks.ItemCount(), 1);
    EXPECT_EQ(LoadText(bookmarks, "<!doctype netscape-bookmark-file-1>\n<DL><DT><A HREF=y>y</A></DL>"), BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "y | y | 0 0 0 ()\n"); // loading again replaces the tree

    // One list end too many fails, even after a good list; the tree is emptied.
    EXPECT_EQ(LoadText(bookmarks, "<DL><DT><A HREF=x>x</A></DL></DL>"), TooManyListEnds);
    EXPECT_EQ(bookmarks.Children().size(), 0u);
    // A declaration further down is an ordinary comment.
    EXPECT_EQ(LoadText(bookmarks, "<HTML><!DOCTYPE HTML><DL></DL>"), BookmarksLoaded);
}

TEST(BookmarkLoad, TitlesAreTheTextUpToTheirClosingTag)
{
    TBookMarks bookmarks;
    ASSERT_EQ(LoadText(bookmarks, "<DL><DT><A HREF=x>a <B>b</B>\n</A><DT><A HREF=y>  </A></DL>"), BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "x | a b | 0 0 0 ()\ny |  | 0 0 0 ()\n");

    // An unclosed A or H3 takes its own text only: the entries after it stay entries.
    ASSERT_EQ(LoadText(bookmarks, "<DL><DT><A HREF=x>first\n<DT><H3>F\n<DL><DT><A HREF=y>second</A></DL></DL>"),
              BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "x | first | 0 0 0 ()\n[F] 0 ()\n  y | second | 0 0 0 ()\n");

    // The root is named by the file's title, wherever the TITLE stands.
    ASSERT_EQ(LoadText(bookmarks, "<TITLE>early</TITLE><DL></DL><TITLE>late</TITLE>"), BookmarksLoaded);
    EXPECT_EQ(bookmarks.Name, "late");
    EXPECT_EQ(bookmarks.Description, "late");

    // Attribute values keep their blanks, ">" and single quotes; names ignore case.
    ASSERT_EQ(LoadText(bookmarks, "<DL><dt><a add_date = ' 12 ' title=\"a > b\" href = 'x y'>t</a></DL>"),
              BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "x y | t | 12 0 0 ()\n");
    // An empty HREF makes no link; a lone "<" is text.
    ASSERT_EQ(LoadText(bookmarks, "<DL><DT><A HREF=\"\">e</A><DT><A>n</A><DT><A HREF=z>1 < 2</A></DL>"),
              BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "z | 1 < 2 | 0 0 0 ()\n");
}

TEST(BookmarkLoad, DatesMustBeDecimalIntegers)
{
    TBookMarks bookmarks;
    bookmarks.SetFileName("bm.html");
    ASSERT_EQ(LoadText(bookmarks, "<DL><A HREF=x ADD_DATE=\"\" LAST_VISIT=-5 LAST_MODIFIED>t</A></DL>"), BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "x | t | 0 -5 0 ()\n");

    for (const char* bad : {"<DL><A HREF=x ADD_DATE=\"12abc\">t</A></DL>", "<DL><A HREF=x LAST_VISIT=0x10>t</A></DL>",
                            "<DL><A HREF=x LAST_MODIFIED=\"99999999999999999999\">t</A></DL>",
                            "<DL><DT><H3 ADD_DATE=\"1.5\">F</H3><DL></DL></DL>"}) {
        SCOPED_TRACE(bad);
        try {
            LoadText(bookmarks, bad);
            ADD_FAILURE() << "no conversion error";
        } catch (const EConvertError& error) {
            EXPECT_NE(std::string(error.what()).find("bm.html"), std::string::npos) << error.what();
        }
        EXPECT_TRUE(bookmarks.Children().empty());
    }
}

TEST(BookmarkLoad, HostileFilesLoadOrFailCleanly)
{
    TBookMarks bookmarks;
    // Folders nested as deep as allowed load; one level more does not.
    std::string nested = "<DL>" + Repeat("<DT><H3>f</H3><DL>", kMaxBookmarkDepth) + "<A HREF=deep>d</A>";
    ASSERT_EQ(LoadText(bookmarks, nested), BookmarksLoaded);
    EXPECT_NE(bookmarks.FindItem("deep"), nullptr);
    EXPECT_EQ(LoadText(bookmarks, "<DL>" + Repeat("<DL>", kMaxBookmarkDepth + 1)), NotABookmarkFile);
    EXPECT_EQ(LoadText(bookmarks, Repeat("<DL>", 100000)), NotABookmarkFile);

    // A title of megabytes, on one line.
    ASSERT_EQ(LoadText(bookmarks, "<DL><A HREF=x>" + std::string(8 << 20, 'x') + "</A></DL>"), BookmarksLoaded);
    EXPECT_EQ(bookmarks.FindItem("x")->Title.size(), std::size_t(8 << 20));

    // Many links without their closing tag: each keeps its own text.
    ASSERT_EQ(LoadText(bookmarks, "<DL>" + Repeat("<A HREF=x>t", 200000)), BookmarksLoaded);
    EXPECT_EQ(bookmarks.ItemCount(), 200000);
    EXPECT_EQ(bookmarks.FindItem("x")->Title, "t");

    // A quote that never closes makes the rest of the file text.
    ASSERT_EQ(LoadText(bookmarks, "<DL><A HREF=x>a</A><A HREF=\"y>b</A></DL>" + Repeat("<A x=\"", 50000)),
              BookmarksLoaded);
    EXPECT_EQ(Dump(bookmarks), "x | a | 0 0 0 ()\n");

    // A file that ends inside a tag keeps that text; written into a new file,
    // it must not swallow what that file puts after it.
    ASSERT_EQ(LoadText(bookmarks, "<DL><A HREF=x>a</A></DL><TITLE>t <!-- never closed"), BookmarksLoaded);
    EXPECT_EQ(bookmarks.Title, "t <!-- never closed");
    TBookMarks fresh;
    fresh.Title = bookmarks.Title;
    fresh.AddItem(std::make_unique<TBookmarkItem>("x", "a", "")).AddDate = 0;
    TBookMarks again;
    ASSERT_EQ(again.LoadFrom(fresh.SaveText()), BookmarksLoaded);
    EXPECT_EQ(again.Title, "t &lt;!-- never closed");
    ASSERT_EQ(again.ItemCount(), 1);
    // Saved over the file, it stays as it was, and an entry added to a list
    // the file never closes goes before the unfinished comment.
    const std::string unfinished = "<DL><A HREF=x>a</A>\n<!-- never closed <A HREF=z>z</A>";
    ASSERT_EQ(LoadText(bookmarks, unfinished), BookmarksLoaded);
    EXPECT_EQ(bookmarks.SaveText(), unfinished);
    TBookmarkItem& added = bookmarks.AddItem(std::make_unique<TBookmarkItem>("y", "b", ""));
    added.AddDate = added.LastVisit = added.LastModified = 0;
    ASSERT_EQ(again.LoadFrom(bookmarks.SaveText()), BookmarksLoaded);
    EXPECT_EQ(Dump(again), "x | a | 0 0 0 ()\ny | b | 0 0 0 ()\n");

    // NUL bytes and lone markup characters are just bytes.
    ASSERT_EQ(LoadText(bookmarks, std::string("<DL><A HREF=\"a\0b\">\0<</A></DL>\0", 30)), BookmarksLoaded);
    EXPECT_EQ(bookmarks.ItemCount(), 1);
}

TEST(BookmarkSave, ReplacesTheFileAtomicallyAndKeepsItsModeAndLink)
{
    TempDir dir;
    const std::string real = dir.Path() + "real.html";
    const std::string link = dir.Path() + "bookmarks.html";
    WriteText(real, "old");
    ::chmod(real.c_str(), 0600);
    std::filesystem::create_symlink(real, link);

    TBookMarks bookmarks;
    bookmarks.Title = "T";
    bookmarks.SetFileName(link);
    bookmarks.Save();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText(real), bookmarks.SaveText());
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);

    bookmarks.SetFileName(dir.Path() + "missing/bookmarks.html");
    EXPECT_THROW(bookmarks.Save(), EInOutError);
    bookmarks.SetFileName("");
    EXPECT_THROW(bookmarks.Save(), EInOutError);
}

TEST(BookmarkSave, CreatedFileLoadsAsAnEmptyList)
{
    TempDir dir;
    CreateBookmarkFile(dir.Path() + "new.htm");
    TBookMarks bookmarks;
    bookmarks.SetFileName(dir.Path() + "new.htm");
    ASSERT_EQ(bookmarks.Load(), BookmarksLoaded);
    EXPECT_EQ(bookmarks.Title, "Velbrin's webs");
    EXPECT_TRUE(bookmarks.Children().empty());
}
