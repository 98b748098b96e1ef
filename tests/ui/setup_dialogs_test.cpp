// The setup dialog, the first-run dialog and the browser icon.
#include "browser/Bookmarks.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "core/Files.h"
#include "core/IniFile.h"
#include "support/EnvOverride.h"
#include "support/TempDir.h"
#include "ui/BrowserIcon.h"
#include "ui/MainWinTestSupport.h"
#include "ui/ModalDriver.h"
#include "ui/ParamForm.h"
#include "ui/WebTab.h"
#include "ui/WorkPathDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>

using namespace velbrin;
using namespace velbrin::test;

namespace {

// A browser program "webby" in dir: an executable file, its desktop entry
// under dir's "data/applications/" and a red icon. Returns the program.
std::string MakeWebby(const std::string& dir)
{
    ForceDirectories(dir + "bin/");
    ForceDirectories(dir + "data/applications/");
    const std::string program = dir + "bin/webby";
    WriteWholeFile(program, "#!/bin/sh\n", 0755);
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    red.save(QString::fromStdString(dir + "webby.png"));
    WriteWholeFile(dir + "data/applications/webby.desktop", "[Desktop Entry]\nName=Webby\nIcon[fr]=nothing\nIcon=" +
                                                                dir + "webby.png\nExec=\"" + program + "\" %u\n");
    return program;
}

// A home of its own with settings read from "<root>/work/", and a browser
// "webby" the desktop names as its default: an executable file, its desktop
// entry and a red icon.
class SetupTest : public ::testing::Test {
protected:
    SetupTest()
        : m_home("HOME", root.Path() + "home")
        , m_config("XDG_CONFIG_HOME", std::nullopt)
        , m_data("XDG_DATA_HOME", root.Path() + "data")
        , m_dataDirs("XDG_DATA_DIRS", root.Path() + "nodata")
    {
        SetWorkPath("");
        ForceDirectories(root.Path() + "home/");
        webby = MakeWebby(root.Path());
        settings = std::make_unique<TParam>(
            [this](const std::string&) { return std::optional<std::string>(root.Path() + "work"); },
            [](const std::string&) { return std::optional<std::string>("webby.desktop"); });
        settings->BrowserAuto = false;
        settings->ExeName.clear();
    }
    ~SetupTest() override
    {
        settings.reset();
        SetWorkPath("");
    }

    std::string MakeProgram(const std::string& name)
    {
        ForceDirectories(root.Path() + "bin/");
        std::string file = root.Path() + "bin/" + name;
        WriteWholeFile(file, "#!/bin/sh\n", 0755);
        return file;
    }

    // The form with every question recorded and answered from the test.
    void Bind(TParamForm& form)
    {
        form.Prompts.Message = [this](std::string_view caption, std::string_view text, TBoxButtons) {
            messages.push_back(std::string(caption) + "|" + std::string(text));
            return TModalResult::Ok;
        };
        form.Prompts.OpenFile = [this](const QString&, const QString&, const std::string&, bool) {
            return chosenFile;
        };
        form.Prompts.ChooseDirectory = [](const std::string&) { return std::optional<std::string>(); };
    }

    template <typename T> static T* Find(QWidget* dialog, const char* name)
    {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QStringList Items(QComboBox* combo)
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }

    // Types into the browser field and leaves it.
    static void TypeBrowser(QComboBox* combo, const std::string& text)
    {
        Type(combo->lineEdit(), QString::fromStdString(text));
        emit combo->lineEdit()->editingFinished();
    }

    TempDir root;
    EnvOverride m_home;
    EnvOverride m_config;
    EnvOverride m_data;
    EnvOverride m_dataDirs;
    std::string webby;
    std::unique_ptr<TParam> settings;
    std::vector<std::string> messages;
    std::optional<std::string> chosenFile;
};

} // namespace

TEST_F(SetupTest, BrowserListIsShownReversedAndEachOkStoresTheOrderShown)
{
    settings->BrowserList = {"/opt/a", "/opt/b", "/opt/c"};
    settings->ExeName = webby;
    QStringList shown;
    QString field;
    for (int run = 0; run < 2; ++run) {
        TParamForm form(*settings, nullptr);
        WhenModal([&](QWidget* dialog) {
            auto* combo = Find<QComboBox>(dialog, "ExeNameCombo");
            shown = Items(combo);
            field = combo->currentText();
            Click(dialog, QStringLiteral("&OK"));
        });
        EXPECT_TRUE(form.Run(TSetupPage::Browser));
        EXPECT_EQ(field, QString::fromStdString(webby));
        EXPECT_EQ(settings->ExeName, webby);
        if (run == 0) {
            EXPECT_EQ(shown, (QStringList{"/opt/c", "/opt/b", "/opt/a"}));
            EXPECT_EQ(settings->BrowserList, (TStringList{"/opt/c", "/opt/b", "/opt/a"}));
            // OK writes the file at once.
            TIniFile ini(TParam::SettingsFileName());
            EXPECT_EQ(ini.ReadString("BrowserList", "0", ""), "/opt/c");
            EXPECT_EQ(ini.ReadString("BrowserList", "2", ""), "/opt/a");
        }
    }
    EXPECT_EQ(settings->BrowserList, (TStringList{"/opt/a", "/opt/b", "/opt/c"}));
}

TEST_F(SetupTest, BrowserFieldRevertsToTheLastAcceptedProgramAndTheListKeepsTen)
{
    const std::string other = MakeProgram("other");
    for (int i = 0; i < 9; ++i)
        settings->BrowserList.push_back("/opt/b" + std::to_string(i));
    settings->ExeName = webby;
    TParamForm form(*settings, nullptr);
    Bind(form);
    QString afterMissing, afterBrowse, afterSecond, afterMissingAgain;
    QStringList listAfterSecond, listAfterThird;
    WhenModal([&](QWidget* dialog) {
        auto* combo = Find<QComboBox>(dialog, "ExeNameCombo");
        // Nothing accepted yet in this run: a missing program empties the field.
        TypeBrowser(combo, root.Path() + "bin/missing");
        afterMissing = combo->currentText();
        chosenFile = webby;
        Click(dialog, QStringLiteral("B&rowse..."));
        afterBrowse = combo->currentText();
        TypeBrowser(combo, other);
        afterSecond = combo->currentText();
        listAfterSecond = Items(combo);
        TypeBrowser(combo, "/no/such/program");
        afterMissingAgain = combo->currentText();
        // A tenth entry is kept; an eleventh is not.
        TypeBrowser(combo, webby);
        listAfterThird = Items(combo);
        Click(dialog, QStringLiteral("&OK"));
    });
    EXPECT_TRUE(form.Run(TSetupPage::Browser));
    EXPECT_EQ(afterMissing, QString());
    EXPECT_EQ(afterBrowse.toStdString(), webby);
    EXPECT_EQ(afterSecond.toStdString(), other);
    ASSERT_EQ(listAfterSecond.size(), 10);
    EXPECT_EQ(listAfterSecond.back().toStdString(), webby);
    EXPECT_EQ(afterMissingAgain.toStdString(), other);
    EXPECT_EQ(listAfterThird, listAfterSecond);
    EXPECT_EQ(settings->ExeName, webby);
    EXPECT_EQ(settings->BrowserList.size(), 10u);
    EXPECT_EQ(settings->BrowserList.front(), "/opt/b8");
}

TEST_F(SetupTest, AutomaticSearchTakesEffectAtOnceAndSurvivesCancel)
{
    settings->MaxSockets = 5;
    std::vector<std::string> painted;
    settings->PaintBrowserIcon = [&](const std::string& exeName) { painted.push_back(exeName); };
    TParamForm form(*settings, nullptr);
    bool fieldEnabled = true;
    QString field;
    WhenModal([&](QWidget* dialog) {
        Find<QSpinBox>(dialog, "MaxSocketsEdit")->setValue(9);
        Find<QCheckBox>(dialog, "BrowserAutoCheck")->click();
        auto* combo = Find<QComboBox>(dialog, "ExeNameCombo");
        fieldEnabled = combo->isEnabled();
        field = combo->currentText();
        Click(dialog, QStringLiteral("&Cancel"));
    });
    EXPECT_FALSE(form.Run(TSetupPage::Browser));
    EXPECT_FALSE(fieldEnabled);
    EXPECT_EQ(field.toStdString(), webby);
    EXPECT_TRUE(settings->BrowserAuto);
    EXPECT_EQ(settings->ExeName, webby);
    // The window's icons follow the new browser; nothing else changed.
    EXPECT_EQ(painted, std::vector<std::string>{webby});
    EXPECT_EQ(settings->MaxSockets, 5);
}

TEST_F(SetupTest, CaptureDirectoryIsStoredWithOneSlashAndAFullPathIsRequired)
{
    TParamForm form(*settings, nullptr);
    Bind(form);
    std::vector<bool> open;
    WhenModal([&](QWidget* dialog) {
        auto* path = Find<QLineEdit>(dialog, "PathEdit");
        path->setText(QStringLiteral("relative/webs"));
        Click(dialog, QStringLiteral("&OK"));
        open.push_back(dialog->isVisible());
        path->setText(QString::fromStdString(root.Path() + "captures//"));
        Click(dialog, QStringLiteral("&OK"));
        open.push_back(dialog->isVisible());
    });
    EXPECT_TRUE(form.Run(TSetupPage::Communication));
    EXPECT_EQ(open, (std::vector<bool>{true, false}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("full path"), std::string::npos);
    EXPECT_EQ(settings->Path, root.Path() + "captures/");

    TParamForm again(*settings, nullptr);
    WhenModal([&](QWidget* dialog) {
        Find<QLineEdit>(dialog, "PathEdit")->setText(QString::fromStdString(root.Path() + "other"));
        Click(dialog, QStringLiteral("&OK"));
    });
    EXPECT_TRUE(again.Run(TSetupPage::Directories));
    EXPECT_EQ(settings->Path, root.Path() + "other/");
    EXPECT_EQ(TIniFile(TParam::SettingsFileName()).ReadString("Web", "Path", ""), root.Path() + "other/");
}

TEST_F(SetupTest, CommunicationPageRefusesAMissingCertificateFileAndDropsAProxyWithoutAddress)
{
    TParamForm form(*settings, nullptr);
    Bind(form);
    bool addressEnabled = true, portEnabled = true, stillOpen = false;
    TSetupPage pageAfterRefusal = TSetupPage::HtmlPages;
    const std::string missing = root.Path() + "no-such-ca.pem";
    WhenModal([&](QWidget* dialog) {
        addressEnabled = Find<QLineEdit>(dialog, "ProxyAdressEdit")->isEnabled();
        portEnabled = Find<QSpinBox>(dialog, "ProxyPortEdit")->isEnabled();
        Find<QCheckBox>(dialog, "UseProxyCheck")->click();
        Find<QSpinBox>(dialog, "TryCountEdit")->setValue(7);
        Find<QLineEdit>(dialog, "CaCertificatesEdit")->setText(QString::fromStdString(missing));
        form.SelectPage(TSetupPage::HtmlPages);
        Click(dialog, QStringLiteral("&OK"));
        stillOpen = dialog->isVisible();
        pageAfterRefusal = form.CurrentPage();
        Find<QLineEdit>(dialog, "CaCertificatesEdit")->clear();
        Click(dialog, QStringLiteral("&OK"));
    });
    EXPECT_TRUE(form.Run(TSetupPage::Communication));
    EXPECT_FALSE(addressEnabled);
    EXPECT_FALSE(portEnabled);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(pageAfterRefusal, TSetupPage::Communication);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(missing), std::string::npos);
    EXPECT_EQ(settings->TryCount, 7);
    EXPECT_EQ(settings->CaCertificates, "");
    // Ticked with an empty address: no proxy.
    EXPECT_FALSE(settings->UseProxy);
}

TEST_F(SetupTest, BookmarkBrowseCreatesAFileTheReaderLoadsAndRefusesOtherFiles)
{
    const std::string created = root.Path() + "marks/bookmarks.htm";
    ForceDirectories(root.Path() + "marks/");
    const std::string notes = root.Path() + "marks/notes.htm";
    WriteWholeFile(notes, "<html><body>just a page</body></html>\n");
    TParamForm form(*settings, nullptr);
    Bind(form);
    QString afterCreate, afterRefusal;
    WhenModal([&](QWidget* dialog) {
        auto* field = Find<QLineEdit>(dialog, "BookmarkFileEdit");
        chosenFile = created;
        Click(dialog, QStringLiteral("Br&owse..."));
        afterCreate = field->text();
        chosenFile = notes;
        Click(dialog, QStringLiteral("Br&owse..."));
        afterRefusal = field->text();
        Find<QLineEdit>(dialog, "BookmarkFolderEdit")->clear();
        Click(dialog, QStringLiteral("&OK"));
    });
    EXPECT_TRUE(form.Run(TSetupPage::Browser));
    EXPECT_EQ(afterCreate.toStdString(), created);
    EXPECT_EQ(afterRefusal.toStdString(), created);
    EXPECT_EQ(messages, std::vector<std::string>{"Error|It is not a valid bookmarks file!"});
    EXPECT_EQ(settings->BookmarkFile, created);
    EXPECT_EQ(settings->BookmarkFolder, "Local webs");

    TBookMarks bookmarks;
    bookmarks.SetFileName(created);
    EXPECT_EQ(bookmarks.Load(), BookmarksLoaded);
    EXPECT_EQ(bookmarks.Title, "Velbrin's webs");
}

TEST_F(SetupTest, PageNumbersSelectTheTabAndTheTabSetFollowsThePages)
{
    EXPECT_EQ(SetupPageOf(0), TSetupPage::Communication);
    EXPECT_EQ(SetupPageOf(2), TSetupPage::Directories);
    EXPECT_EQ(SetupPageOf(0x80 | 4), TSetupPage::HtmlPages);
    EXPECT_EQ(SetupPageOf(9), TSetupPage::Communication);

    TParamForm form(*settings, nullptr);
    auto* tabs = Find<QTabBar>(&form, "PageTabs");
    auto* pages = Find<QStackedWidget>(&form, "Pages");
    form.SelectPage(SetupPageOf(3));
    EXPECT_EQ(tabs->currentIndex(), 2);
    tabs->setCurrentIndex(3);
    EXPECT_EQ(pages->currentIndex(), 3);
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("&HTML Pages"));
}

TEST_F(SetupTest, BrowserIconIsTheDesktopEntryIconOfTheProgram)
{
    EXPECT_EQ(BrowserIconName(webby), root.Path() + "webby.png");
    QImage icon = PaintBrowserIcon(webby).toImage();
    ASSERT_EQ(icon.size(), QSize(kBrowserIconSize, kBrowserIconSize));
    EXPECT_EQ(QColor(icon.pixel(16, 16)), QColor(Qt::red));

    // No program: the button face alone.
    const QColor face = QApplication::palette().color(QPalette::Button);
    QImage empty = PaintBrowserIcon(root.Path() + "bin/missing").toImage();
    EXPECT_EQ(QColor(empty.pixel(16, 16)), face);
    EXPECT_EQ(BrowserIconName(MakeProgram("unlisted")), "");
}

TEST_F(SetupTest, FirstRunPathEndsWithOneSlashAndAMissingDirectoryIsCreatedOnlyOnYes)
{
    // The suggestion is the home's Webs directory.
    TWorkPathDlg suggestion;
    EXPECT_EQ(Find<QLineEdit>(&suggestion, "WorkPathEdit")->text().toStdString(), root.Path() + "home/Webs/");

    const std::string missing = root.Path() + "first/run";
    TWorkPathDlg dialog;
    std::vector<TModalResult> answers{TModalResult::No, TModalResult::Yes};
    std::vector<std::string> questions;
    dialog.Ask = [&](std::string_view caption, std::string_view text, TBoxButtons) {
        questions.push_back(std::string(caption) + "|" + std::string(text));
        TModalResult answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    std::vector<bool> existed;
    WhenModal([&](QWidget* shown) {
        Type(Find<QLineEdit>(shown, "WorkPathEdit"), QString::fromStdString(missing));
        Click(shown, QStringLiteral("&OK"));
        existed.push_back(DirectoryExists(missing));
        existed.push_back(shown->isVisible());
        Click(shown, QStringLiteral("&OK"));
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(existed, (std::vector<bool>{false, true}));
    EXPECT_EQ(questions, (std::vector<std::string>(2, "Directory no exist|Create this directory?")));
    EXPECT_TRUE(DirectoryExists(missing));
    EXPECT_EQ(dialog.WorkPath(), missing + "/");

    // Two trailing slashes on an existing directory: no question, one slash.
    TWorkPathDlg twice;
    twice.Ask = [&](std::string_view, std::string_view, TBoxButtons) {
        ADD_FAILURE() << "asked about an existing directory";
        return TModalResult::No;
    };
    WhenModal([&](QWidget* shown) {
        Type(Find<QLineEdit>(shown, "WorkPathEdit"), QString::fromStdString(missing + "//"));
        Click(shown, QStringLiteral("&OK"));
    });
    EXPECT_EQ(twice.exec(), QDialog::Accepted);
    EXPECT_EQ(twice.WorkPath(), missing + "/");
}

TEST_F(SetupTest, FirstRunCancelCreatesNothing)
{
    settings.reset();
    DeleteFile(root.Path() + "work/velbrin.ini");
    EXPECT_TRUE(WorkPathNeeded());
    WhenModal([&](QWidget* shown) { Click(shown, QStringLiteral("&Cancel")); });
    EXPECT_EQ(AskWorkPath(nullptr), std::nullopt);
    EXPECT_FALSE(DirectoryExists(root.Path() + "home/Webs/"));
}

TEST_F(MainWinTest, SetupCommandRunsTheSetupDialogAndTheWebTabShowsTheBrowserIcon)
{
    EnvOverride data("XDG_DATA_HOME", Home() + "data");
    EnvOverride dataDirs("XDG_DATA_DIRS", Home() + "nodata");
    const std::string webby = MakeWebby(Home());
    TMainWin window(Work());
    ASSERT_EQ(window.StartError(), "");
    TParam& settings = window.Settings();
    settings.BrowserAuto = false;
    settings.ExeName = webby;
    settings.FindBrowser();
    auto shownColour = [&] {
        return QColor(window.WebTab()->BrowserIcon()->icon().pixmap(kBrowserIconSize).toImage().pixel(16, 16));
    };
    EXPECT_EQ(shownColour(), QColor(Qt::red));

    // The setup dialog opens on its first page; what it takes holds at once,
    // and a browser that is no longer there leaves the icon empty.
    TSetupPage opened = TSetupPage::HtmlPages;
    WhenModal([&](QWidget* dialog) {
        if (auto* form = dynamic_cast<TParamForm*>(dialog))
            opened = form->CurrentPage();
        dialog->findChild<QSpinBox*>(QStringLiteral("MaxSocketsEdit"))->setValue(2);
        DeleteFile(webby);
        Click(dialog, QStringLiteral("&OK"));
    });
    window.Run(TCommand::Setup);
    EXPECT_EQ(opened, TSetupPage::Communication);
    EXPECT_EQ(settings.MaxSockets, 2);
    EXPECT_EQ(shownColour(), QApplication::palette().color(QPalette::Button));
}
