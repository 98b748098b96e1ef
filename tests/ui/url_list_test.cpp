#include "MainWinTestSupport.h"

#include "capture/WebTestSupport.h"
#include "ui/UrlTab.h"

#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QToolButton>

namespace velbrin::test {
namespace {

constexpr std::uint8_t kStateNone = 0xFF;

// Counts the emissions of a signal and keeps the first argument of each.
template <typename Arg>
struct Spy {
    template <typename Sender, typename Signal>
    Spy(Sender* sender, Signal signal)
    {
        QObject::connect(sender, signal, [this](const Arg& first, auto&&...) { Args.push_back(first); });
    }
    int count() const { return static_cast<int>(Args.size()); }
    std::vector<Arg> Args;
};

TWebFile* Link(TWEB& web, const std::string& url, TWebFile* parent, std::uint8_t state = kStateNone,
               std::uint8_t type = LinkTypePage)
{
    TWebFile* record = web.NewLink(TLinkItem{type, url, ""}, parent);
    EXPECT_NE(record, nullptr) << url;
    if (record && state != kStateNone)
        web.SetState(*record, state);
    return record;
}

void ShowAll(TOPTIONS& options)
{
    options.ResolvedUrlFlag = options.TodoUrlFlag = options.ErrorUrlFlag = options.FilteredUrlFlag = true;
}

// The items of the list: text, then the colour of its state when it has one.
std::vector<std::string> Items(TUrlTab& tab)
{
    std::vector<std::string> items;
    const TUrlListModel& model = tab.Model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        std::string item = index.data().toString().toStdString();
        if (QVariant colour = index.data(Qt::ForegroundRole); colour.isValid())
            item += " " + colour.value<QBrush>().color().name().toStdString();
        items.push_back(item);
    }
    return items;
}

std::string Field(const TUrlTab& tab, const char* name)
{
    return tab.findChild<QLineEdit*>(name)->text().toStdString();
}

class UrlList : public WebFixture {
protected:
    // The start page captured ("Welcome", stored as index.htm) and links of
    // every state below it.
    std::unique_ptr<TWEB> SampleWeb()
    {
        auto web = InitWeb("http://www.example.org/");
        ShowAll(web->Options);
        TWebFile* home = web->Tree.FindFile(web->Url);
        home->SetDescription("Welcome");
        home->SetFileName("index.htm");
        web->SetState(*home, StateCapturedPage);
        WriteWholeFile(capture + "index.htm", "<html>home</html>");
        Link(*web, "http://www.example.org/docs/guide.htm", home, StateToExplore);
        Link(*web, "http://www.example.org/docs/a.htm", home, StateNotFound);
        Link(*web, "http://www.example.org/err.htm", home, StateError);
        Link(*web, "http://other.org/x/y.htm", home, StateFiltered);
        Link(*web, "http://www.example.org/busy.htm", home, StateInProgress);
        Link(*web, "http://www.example.org/pic.gif", home, StateCapturedFile, LinkTypeInline);
        return web;
    }

    // The tab following web as the window binds it.
    void Follow(TUrlTab& tab, TWEB& web)
    {
        tab.Follow(&web);
        web.LinksChanged = [&tab](const TWebFile* record) { tab.LinkChanged(record); };
        tab.WebToControls(web);
    }
};

TEST_F(UrlList, ListsPageLinksOfTheTickedStatesSortedWithTheirColours)
{
    auto web = SampleWeb();
    TUrlTab tab;
    Follow(tab, *web);
    EXPECT_EQ(Items(tab), (std::vector<std::string>{"docs/a.htm #800000", "docs/guide.htm #008000",
                                                    "err.htm #800000", "other.org/x/y.htm #000080", "Welcome"}));

    // The first item is selected: a link without stored file.
    EXPECT_EQ(Field(tab, "AddressEdit"), "http://www.example.org/docs/a.htm");
    EXPECT_EQ(Field(tab, "FileEdit"), "");
    EXPECT_EQ(Field(tab, "DateEdit"), "");
    EXPECT_TRUE(tab.LaunchIcon()->isEnabled());
    Spy<std::string> launched(&tab, &TUrlTab::LaunchRequested);
    tab.LaunchIcon()->click();

    // A captured page shows its file and date and launches the file.
    tab.Select(4);
    EXPECT_EQ(Field(tab, "AddressEdit"), "http://www.example.org/");
    EXPECT_EQ(Field(tab, "FileEdit"), "index.htm");
    EXPECT_NE(Field(tab, "DateEdit"), "");
    tab.LaunchIcon()->click();
    ASSERT_EQ(launched.count(), 2);
    EXPECT_EQ(launched.Args[0], "http://www.example.org/docs/a.htm");
    EXPECT_EQ(launched.Args[1], capture + "index.htm");

    // Clearing a box rebuilds the list and stores the option in the Web.
    tab.findChild<QCheckBox*>("ErrorUrlCheck")->click();
    EXPECT_FALSE(web->Options.ErrorUrlFlag);
    EXPECT_EQ(Items(tab), (std::vector<std::string>{"docs/guide.htm #008000", "other.org/x/y.htm #000080", "Welcome"}));
}

TEST_F(UrlList, AllBoxesClearedListNothing)
{
    auto web = SampleWeb();
    web->Options.ResolvedUrlFlag = web->Options.TodoUrlFlag = false;
    web->Options.ErrorUrlFlag = web->Options.FilteredUrlFlag = false;
    TUrlTab tab;
    Follow(tab, *web);
    EXPECT_EQ(tab.Model().rowCount(), 0);
    EXPECT_EQ(Field(tab, "AddressEdit"), "");
    EXPECT_EQ(Field(tab, "FileEdit"), "");
    EXPECT_EQ(Field(tab, "DateEdit"), "");
    EXPECT_FALSE(tab.LaunchIcon()->isEnabled());

    // Links keep arriving: none is listed.
    Link(*web, "http://www.example.org/new.htm", web->Tree.FindFile(web->Url));
    EXPECT_EQ(tab.Model().rowCount(), 0);
    EXPECT_EQ(Field(tab, "AddressEdit"), "");
}

TEST_F(UrlList, AStateChangeMovesOnlyItsRowInALargeWeb)
{
    auto web = InitWeb("http://www.example.org/");
    ShowAll(web->Options);
    web->Options.InternalLinkDepth = 1000;
    TUrlTab tab;
    Follow(tab, *web);
    int resets = 0;
    QObject::connect(&tab.Model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    Spy<QModelIndex> inserted(&tab.Model(), &QAbstractItemModel::rowsInserted);

    // 20,000 links entered one by one, as a capture enters them.
    TWebFile* home = web->Tree.FindFile(web->Url);
    for (int i = 0; i < 20000; ++i)
        Link(*web, "http://www.example.org/d" + std::to_string(i % 50) + "/p" + std::to_string(i) + ".htm", home);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(inserted.count(), 20000);
    ASSERT_EQ(tab.Model().rowCount(), 20001);

    const std::string address = "http://www.example.org/d7/p12357.htm";
    const int before = tab.Model().RowOf(address);
    ASSERT_GE(before, 0);
    tab.Select(before);
    const QString next = tab.Model().index(before + 1).data().toString();
    Spy<QModelIndex> changed(&tab.Model(), &QAbstractItemModel::dataChanged);
    Spy<QModelIndex> moved(&tab.Model(), &QAbstractItemModel::rowsMoved);
    Spy<QModelIndex> removed(&tab.Model(), &QAbstractItemModel::rowsRemoved);

    // Described now: the row moves to its new place and stays selected.
    TWebFile* record = web->Tree.FindFile(address);
    record->SetDescription("Zz last page");
    web->SetState(*record, StateCapturedPage);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(moved.count(), 1);
    ASSERT_EQ(changed.count(), 1);
    const int after = changed.Args[0].row();
    EXPECT_EQ(after, 20000);
    EXPECT_EQ(tab.Model().At(after).Address, address);
    EXPECT_EQ(tab.Model().index(after).data().toString(), "Zz last page");
    EXPECT_EQ(tab.SelectedAddress(), address);
    EXPECT_EQ(tab.Model().index(before).data().toString(), next);

    // Taken for download, the link leaves the list: one row removed.
    web->SetState(*record, StateInProgress);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(tab.Model().rowCount(), 20000);
    EXPECT_EQ(tab.Model().RowOf(address), -1);

    // A change of many links builds the list again.
    web->Reinit("http://www.example.org/");
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(tab.Model().rowCount(), 1);
}

class UrlListWindow : public MainWinTest {};

TEST_F(UrlListWindow, ForceCaptureAndCreateNewWebActOnFilteredLinksOnly)
{
    TMainWin& window = Open();
    TWEB& web = ShowUnsaved(Home() + "webs/site/");
    ShowAll(web.Options);
    window.WebToControls();
    TWebFile* home = web.Tree.FindFile(web.Url);
    web.SetState(*home, StateCapturedPage);
    TWebFile* filtered = Link(web, "http://other.org/x/y.htm", home, StateFiltered);
    ASSERT_EQ(filtered->WebDepth, 1);
    TUrlTab& tab = *window.UrlTab();
    window.Tabs()->setCurrentWidget(&tab);

    // Not on a captured link.
    tab.Select(tab.Model().RowOf(web.Url));
    EXPECT_FALSE(tab.ForceCaptureAction()->isEnabled());
    tab.ForceCaptureAction()->trigger();
    tab.CreateWebAction()->trigger();
    EXPECT_EQ(home->State, StateCapturedPage);
    EXPECT_TRUE(Shown.empty());

    // "Create new Web..." on the filtered link writes a Web of its own and
    // keeps the current one open.
    std::vector<std::string> offered;
    window.Prompts().NewWebFromLink = [&](const std::string& address) {
        offered.push_back(address);
        return std::optional<TNewWebAnswer>(TNewWebAnswer{address, Home() + "webs/other/", "Other", false});
    };
    tab.Select(tab.Model().RowOf("http://other.org/x/y.htm"));
    EXPECT_TRUE(tab.CreateWebAction()->isEnabled());
    tab.CreateWebAction()->trigger();
    EXPECT_EQ(offered, std::vector<std::string>{"http://other.org/x/y.htm"});
    ASSERT_TRUE(FileExists(Home() + "webs/other/Local.Web"));
    EXPECT_EQ(window.WebsList().front(), Home() + "webs/other/Local.Web");
    EXPECT_EQ(window.CurrentWeb(), &web);

    // Asked again into the same directory, the Web already there is kept.
    const std::string project = ReadText(Home() + "webs/other/Local.Web");
    tab.CreateWebAction()->trigger();
    EXPECT_EQ(ReadText(Home() + "webs/other/Local.Web"), project);
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0].substr(0, 15), "Create new Web|");

    // "Force capture ": to explore, depth 0, drawn green at once.
    EXPECT_TRUE(tab.ForceCaptureAction()->isEnabled());
    tab.ForceCaptureAction()->trigger();
    EXPECT_EQ(filtered->State, StateToExplore);
    EXPECT_EQ(filtered->WebDepth, 0);
    const QModelIndex row = tab.Model().index(tab.Model().RowOf("http://other.org/x/y.htm"));
    EXPECT_EQ(row.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 128, 0));
    EXPECT_FALSE(tab.ForceCaptureAction()->isEnabled());
}

} // namespace
} // namespace velbrin::test
