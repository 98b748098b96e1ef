// The New Web dialog, the delete-files question, the stop question and the
// copy progress.
#include "capture/WebTestSupport.h"
#include "ui/CopyDlg.h"
#include "ui/DeleteFilesDlg.h"
#include "ui/ModalDriver.h"
#include "ui/NewForm.h"
#include "ui/StopDlg.h"

#include <QCheckBox>
#include <QPlainTextEdit>

using namespace velbrin;
using namespace velbrin::test;

namespace {

class NewWebDialog : public WebFixture {
protected:
    QLineEdit* Field(QWidget* dialog, const char* name)
    {
        auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(edit, nullptr) << name;
        return edit;
    }
};

} // namespace

TEST_F(NewWebDialog, DirectoryFollowsTheTypedAddressUnderTheDefaultDirectory)
{
    ASSERT_EQ(settings->Path.back(), '/');
    TNewForm form(*settings, nullptr);
    form.SetAddress("http://www.example.org/");
    form.SetTitle("Example");
    QString shownAtStart, afterTyping;
    WhenModal([&](QWidget* dialog) {
        shownAtStart = Field(dialog, "PathEdit")->text();
        Type(Field(dialog, "UrlEdit"), QStringLiteral("http://docs.example.net/manual/v2/intro.html"));
        afterTyping = Field(dialog, "PathEdit")->text();
        Click(dialog, QStringLiteral("Create &and Capture"));
    });
    EXPECT_EQ(form.Run(), TNewFormResult::CreateAndCapture);
    // The default directory keeps its letter case; only the Web's name is upper case.
    EXPECT_EQ(shownAtStart.toStdString(), settings->Path + "EXAMPLE/");
    EXPECT_EQ(afterTyping.toStdString(), settings->Path + "V2/");
    EXPECT_EQ(form.Address(), "http://docs.example.net/manual/v2/intro.html");
    EXPECT_EQ(form.Directory(), settings->Path + "V2/");
    EXPECT_EQ(form.Title(), "Example");
    EXPECT_EQ(NewWebDirectory("/srv/Webs", "http://www.example.org/"), "/srv/Webs/EXAMPLE/");
}

TEST_F(NewWebDialog, WithoutFollowingItRefusesToCloseUntilHostAndDirectoryAreGiven)
{
    TNewForm form(*settings, nullptr);
    form.SetFlags(nfAskBrowser); // neither the capture button nor a following directory
    form.SetAddress("");
    bool captureEnabled = true;
    std::vector<bool> stillOpen;
    QString pathAfterTyping;
    WhenModal([&](QWidget* dialog) {
        captureEnabled = Button(dialog, QStringLiteral("Create &and Capture"))->isEnabled();
        Type(Field(dialog, "UrlEdit"), QStringLiteral("http://www.example.org/a/"));
        pathAfterTyping = Field(dialog, "PathEdit")->text();
        Click(dialog, QStringLiteral("&Create")); // no directory
        stillOpen.push_back(dialog->isVisible());
        Field(dialog, "PathEdit")->setText(QStringLiteral("/tmp/somewhere"));
        Type(Field(dialog, "UrlEdit"), QStringLiteral("no host here"));
        Click(dialog, QStringLiteral("&Create")); // no host
        stillOpen.push_back(dialog->isVisible());
        Type(Field(dialog, "UrlEdit"), QStringLiteral("http://www.example.org/a/"));
        Click(dialog, QStringLiteral("&Create"));
        stillOpen.push_back(dialog->isVisible());
    });
    EXPECT_EQ(form.Run(), TNewFormResult::Create);
    EXPECT_FALSE(captureEnabled);
    EXPECT_EQ(pathAfterTyping, QString());
    EXPECT_EQ(stillOpen, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(form.Directory(), "/tmp/somewhere/");

    // Cancel always closes.
    TNewForm empty(*settings, nullptr);
    empty.SetFlags(0);
    WhenModal([&](QWidget* dialog) { Click(dialog, QStringLiteral("Ca&ncel")); });
    EXPECT_EQ(empty.Run(), TNewFormResult::Cancel);
}

TEST(DeleteFilesQuestion, ShowsTheCountAndDirectoryAndMapsEachButton)
{
    QString question, directory, caption;
    WhenModal([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        question = dialog->findChild<QPlainTextEdit*>()->toPlainText();
        directory = dialog->findChild<QLineEdit*>()->text();
        Click(dialog, QStringLiteral("&Keep"));
    });
    EXPECT_EQ(AskDeleteFiles(nullptr, "/home/me/Webs/caf\xE9/", 1), TDeleteFilesAnswer::Keep);
    EXPECT_EQ(caption, QStringLiteral("Create new web"));
    EXPECT_EQ(question, QStringLiteral("This directory has 1 files\nDelete files?"));
    EXPECT_EQ(directory, QString::fromUtf8("/home/me/Webs/caf\xC3\xA9/"));

    WhenModal([&](QWidget* dialog) { Click(dialog, QStringLiteral("&Delete")); });
    EXPECT_EQ(AskDeleteFiles(nullptr, "/x/", 12), TDeleteFilesAnswer::Delete);
    WhenModal([&](QWidget* dialog) { Click(dialog, QStringLiteral("&Cancel")); });
    EXPECT_EQ(AskDeleteFiles(nullptr, "/x/", 12), TDeleteFilesAnswer::Cancel);
    WhenModal([&](QWidget* dialog) { dialog->close(); });
    EXPECT_EQ(AskDeleteFiles(nullptr, "/x/", 12), TDeleteFilesAnswer::Cancel);
}

TEST(StopQuestion, AbortsAllUnlessCompletingIsCheckedAndCancelChangesNothing)
{
    bool initiallyChecked = true;
    QString caption;
    WhenModal([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        initiallyChecked = dialog->findChild<QCheckBox*>()->isChecked();
        Click(dialog, QStringLiteral("&OK"));
    });
    EXPECT_EQ(AskStopCapture(nullptr), std::optional<bool>(true));
    EXPECT_EQ(caption, QStringLiteral("Stop capture"));
    EXPECT_FALSE(initiallyChecked);

    WhenModal([&](QWidget* dialog) {
        auto* complete = dialog->findChild<QCheckBox*>();
        EXPECT_EQ(complete->text(), QStringLiteral("Complete captures in progress"));
        complete->setChecked(true);
        Click(dialog, QStringLiteral("&OK"));
    });
    EXPECT_EQ(AskStopCapture(nullptr), std::optional<bool>(false));

    WhenModal([&](QWidget* dialog) {
        dialog->findChild<QCheckBox*>()->setChecked(true);
        Click(dialog, QStringLiteral("&Cancel"));
    });
    EXPECT_EQ(AskStopCapture(nullptr), std::nullopt);
}

TEST(CopyProgress, LightsItsBoxesInProportionWithoutACloseButton)
{
    TCopyDlg copy(QStringLiteral("Copy Web"), "/a/Local.Web", "/b/Local.Web", nullptr);
    EXPECT_FALSE(copy.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(copy.isModal());
    copy.ShowProgress("page1.htm", 7, 14);
    EXPECT_EQ(copy.BoxesLit(), 15);
    EXPECT_EQ(copy.FileShown(), QStringLiteral("page1.htm"));
    copy.ShowProgress("last.gif", 14, 14);
    EXPECT_EQ(copy.BoxesLit(), 30);
    copy.ShowProgress("none", 3, 0);
    EXPECT_EQ(copy.BoxesLit(), 0);
}
