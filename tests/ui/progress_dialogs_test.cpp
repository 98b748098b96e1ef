// The resolve form over a small Web, the directory chooser, the address check
// and the About box.
#include "capture/WebTestSupport.h"
#include "config/ProgramDir.h"
#include "core/Files.h"
#include "ui/AboutDlg.h"
#include "ui/DirectoryDlg.h"
#include "ui/ModalDriver.h"
#include "ui/ResolveForm.h"
#include "ui/UrlVerifDlg.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTcpServer>

using namespace velbrin;
using namespace velbrin::test;

namespace {

const std::string kPage = "<HTML><BODY><A HREF=\"http://www.example.org/two.htm\">Two</A></BODY></HTML>\r\n";

class ResolveFormTest : public WebFixture {
protected:
    ResolveFormTest()
    {
        SetProgramDir(std::string(VELBRIN_FIXTURES) + "/../../data/"); // the index templates
        web = InitWeb("http://www.example.org/one.htm");
        // The start page as a capture prepares it: its link enters two.htm.
        TWebFile* one = web->Tree.FindFile("http://www.example.org/one.htm");
        EXPECT_NE(one, nullptr);
        WriteWholeFile(web->Path + "one.htm", kPage);
        one->SetFileName("one.htm");
        EXPECT_TRUE(web->SetHtmlLinks(*one, "http://www.example.org/one.htm"));
        Stored(*one);
        TWebFile* two = web->Tree.FindFile("http://www.example.org/two.htm");
        EXPECT_NE(two, nullptr);
        WriteWholeFile(web->Path + "two.htm", kPage);
        two->SetFileName("two.htm");
        Stored(*two);
        web->ClearTodo();
        web->TotalSize = 7;
    }
    ~ResolveFormTest() override { SetProgramDir(""); }

    void Stored(TWebFile& record)
    {
        record.SetMimeType("text/html");
        record.State = StateCapturedPage;
        web->CountCaptured();
    }

    std::unique_ptr<TWEB> web;
    TSommaireParam params;
};

} // namespace

TEST_F(ResolveFormTest, RunsThePassToItsEndShowingTheSite)
{
    TResolveForm form(*web, params, {}, nullptr);
    EXPECT_EQ(form.Run(), kResolveDone);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("SiteLabel"))->text(), QStringLiteral("www.example.org"));
    EXPECT_EQ(web->TotalSize,
              static_cast<std::int32_t>(GetFileSize(web->Path + "one.htm") + GetFileSize(web->Path + "two.htm")));
    EXPECT_NE(ReadWholeFile(web->Path + "two.htm"), kPage); // rewritten for offline reading
    EXPECT_TRUE(FileExists(web->Path + "_Home.htm"));
}

TEST_F(ResolveFormTest, CancelStopsThePassAndLeavesTheTotalSize)
{
    TResolveForm form(*web, params, {}, nullptr);
    // Pressed as soon as the form lets events through.
    QTimer::singleShot(0, form.CancelButton(), &QPushButton::click);
    EXPECT_EQ(form.Run(), kResolveCancelled);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(web->TotalSize, 7);
    EXPECT_EQ(ReadWholeFile(web->Path + "two.htm"), kPage);
}

TEST(DirectoryChooser, NewDirectoryCreatesNestedDirectoriesAndSelectsThem)
{
    TempDir root;
    const QString base = QString::fromStdString(root.Path()).chopped(1);
    WriteWholeFile(root.Path() + "file.txt", "x");
    QString shownAtStart, prefilled, afterAbsolute, afterRelative, errorCaption, errorText;
    WhenModal([&](QWidget* chooser) {
        auto* selected = chooser->findChild<QLineEdit*>(QStringLiteral("DirEdit"));
        shownAtStart = selected->text();
        // An absolute path with missing parents.
        WhenModal([&](QWidget* prompt) {
            auto* name = prompt->findChild<QLineEdit*>();
            prefilled = name->text();
            name->setText(base + "/a/b/c");
            Click(prompt, QStringLiteral("&OK"));
        }, chooser);
        Click(chooser, QStringLiteral("&New directory"));
        afterAbsolute = selected->text();
        // A name typed without "/" goes into the selected directory.
        WhenModal([&](QWidget* prompt) {
            prompt->findChild<QLineEdit*>()->setText(QStringLiteral("d/e"));
            Click(prompt, QStringLiteral("&OK"));
        }, chooser);
        Click(chooser, QStringLiteral("&New directory"));
        afterRelative = selected->text();
        // Under a file nothing can be made: the error box, and the selection stays.
        WhenModal([&](QWidget* prompt) {
            WhenModal([&](QWidget* box) {
                errorCaption = box->windowTitle();
                errorText = box->findChild<QLabel*>(QStringLiteral("Msg"))->text();
                Click(box, QStringLiteral("&Ok"));
            }, prompt);
            prompt->findChild<QLineEdit*>()->setText(base + "/file.txt/x");
            Click(prompt, QStringLiteral("&OK"));
        }, chooser);
        Click(chooser, QStringLiteral("&New directory"));
        Click(chooser, QStringLiteral("&OK"));
    });
    const std::optional<std::string> chosen = ChooseDirectory(nullptr, QStringLiteral("Select"), root.Path());
    EXPECT_EQ(shownAtStart, base);
    EXPECT_EQ(prefilled, base + "/");
    EXPECT_EQ(afterAbsolute, base + "/a/b/c");
    EXPECT_EQ(afterRelative, base + "/a/b/c/d/e");
    EXPECT_EQ(errorCaption, QStringLiteral("Erreur"));
    EXPECT_EQ(errorText, QStringLiteral("Can not create the new folder!"));
    EXPECT_EQ(chosen, root.Path() + "a/b/c/d/e");
    EXPECT_TRUE(DirectoryExists(root.Path() + "a/b/c/d/e"));

    // The first-run chooser offers no new directory.
    bool offered = true;
    WhenModal([&](QWidget* chooser) {
        offered = chooser->findChild<QPushButton*>(QStringLiteral("NewDirButton"))->isVisible();
        Click(chooser, QStringLiteral("&Cancel"));
    });
    EXPECT_EQ(ChooseDirectory(nullptr, QStringLiteral("Select directory"), root.Path(), false), std::nullopt);
    EXPECT_FALSE(offered);
}

TEST(AddressCheck, TellsAReachableServerFromAClosedPort)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const std::string address = "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/docs/";
    {
        TUrlVerifDlg check(address, nullptr);
        EXPECT_EQ(check.Message(), QStringLiteral("Please wait, checking 127.0.0.1..."));
        check.show();
        ASSERT_TRUE(WaitFor([&] { return check.Finished(); }));
        EXPECT_EQ(check.Message(), QStringLiteral("Web 127.0.0.1 : connection possible"));
    }
    server.close();
    TUrlVerifDlg check(address, nullptr);
    check.show();
    ASSERT_TRUE(WaitFor([&] { return check.Finished(); }));
    EXPECT_FALSE(check.Reached());
    EXPECT_EQ(check.Message(), QStringLiteral("127.0.0.1 : cannot connect to this Web"));
}

TEST(AboutBox, ContactTurnsBlueUnderTheMouseAndAClickOpensAMail)
{
    TAboutDlg about(nullptr);
    std::vector<std::string> opened;
    about.OpenMail = [&](const std::string& target) { opened.push_back(target); };
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Velbrin"));
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("Version"))->text().contains(QStringLiteral("1.073v32")));
    auto* contact = about.findChild<QLabel*>(QStringLiteral("ContactLabel"));
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(contact->palette().color(QPalette::WindowText), QColor(Qt::black));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(contact, &enter);
    EXPECT_EQ(contact->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(contact, &leave);
    EXPECT_EQ(contact->palette().color(QPalette::WindowText), QColor(Qt::black));

    const QPointF inside(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, inside, contact->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, contact->mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(contact, &press);
    QApplication::sendEvent(contact, &release);
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:contact@velbrin.example"}));
}
