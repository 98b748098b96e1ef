#include "capture/WebTestSupport.h"
#include "core/Text.h"
#include "ui/CaptureTab.h"
#include "ui/FileTab.h"
#include "ui/MultimediaTab.h"
#include "ui/OptionsTab.h"
#include "ui/TabPages.h"
#include "ui/UrlTab.h"
#include "ui/WebTab.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velbrin::test {
namespace {

template <typename T>
T* Child(const QWidget& page, const char* name)
{
    T* child = page.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

class TabPagesTest : public WebFixture {};

// Every option the Options and File pages hold, with values none of which is a default.
TOPTIONS PageOptions()
{
    TOPTIONS options;
    options.InternalPathLimit = true;
    options.ExternalPathLimit = false;
    options.InternalLinkDepth = 7;
    options.ExternalWebDepth = 2;
    options.ExternalLinkDepth = 1000;
    options.RefLimit = true;
    options.RealLinkFlag = false;
    options.SuppressLinkFlag = true;
    options.BackgroundOnlyFlag = true;
    options.MaxFileCount = 10;
    options.MinFileSize = 2;
    options.MaxFileSize = 300;
    options.MaxDiskSize = 32767;
    options.MaxTime = 5;
    options.Username = "Andr\xE9";         // Latin-1
    options.Password = "p\xC3\xA2ss w:rd"; // UTF-8
    // Options of the other pages, which these two must leave alone.
    options.ListGifFlag = true;
    options.TodoUrlFlag = true;
    options.StretchImageFlag = true;
    return options;
}

TEST_F(TabPagesTest, OptionsAndLimitsComeBackWhole)
{
    auto source = InitWeb("http://www.example.org/");
    source->Options = PageOptions();
    TOptionsTab options;
    TFileTab file;
    options.WebToControls(*source);
    file.WebToControls(*source);

    // Another Web whose page options all differ takes every one of them.
    auto target = NewWeb();
    target->Options.ListGifFlag = true;
    target->Options.TodoUrlFlag = true;
    target->Options.StretchImageFlag = true;
    target->Options.ExternalPathLimit = true;
    target->Options.RealLinkFlag = true;
    target->Options.Username = "someone";
    options.ControlsToWeb(*target);
    file.ControlsToWeb(*target);
    EXPECT_EQ(target->Options, PageOptions());
    EXPECT_EQ(target->Options.Username, "Andr\xE9");

    // Each ticked limit enables its field; clearing the box disables it and stores 0.
    for (const char* name : {"MaxFileCount", "MinFileSize", "MaxFileSize", "MaxDiskSize", "MaxTime"}) {
        QWidget& page = std::string_view(name) == "MaxTime" ? static_cast<QWidget&>(options) : file;
        auto* check = Child<QCheckBox>(page, (std::string(name) + "Check").c_str());
        auto* edit = Child<QSpinBox>(page, (std::string(name) + "Edit").c_str());
        ASSERT_TRUE(check && edit);
        EXPECT_TRUE(check->isChecked()) << name;
        EXPECT_TRUE(edit->isEnabled()) << name;
        check->setChecked(false);
        EXPECT_FALSE(edit->isEnabled()) << name;
    }
    options.ControlsToWeb(*target);
    file.ControlsToWeb(*target);
    TOPTIONS cleared = PageOptions();
    cleared.MaxFileCount = cleared.MinFileSize = cleared.MaxFileSize = cleared.MaxDiskSize = cleared.MaxTime = 0;
    EXPECT_EQ(target->Options, cleared);

    // A limit of 0 shows a clear box and a disabled field; ticking it again enables the field.
    file.WebToControls(*target);
    auto* countCheck = Child<QCheckBox>(file, "MaxFileCountCheck");
    auto* countEdit = Child<QSpinBox>(file, "MaxFileCountEdit");
    EXPECT_FALSE(countCheck->isChecked());
    EXPECT_FALSE(countEdit->isEnabled());
    countCheck->setChecked(true);
    countEdit->setValue(25);
    file.ControlsToWeb(*target);
    EXPECT_EQ(target->Options.MaxFileCount, 25);

    // Depths stop at 1000.
    EXPECT_EQ(Child<QSpinBox>(options, "InternalLinkDepthEdit")->maximum(), 1000);
    EXPECT_EQ(Child<QSpinBox>(options, "ExternalWebDepthEdit")->maximum(), 1000);
}

TEST_F(TabPagesTest, ExternalWebsGroupIsGreyedBelowOneLevel)
{
    auto web = InitWeb("http://www.example.org/");
    web->Options = PageOptions();
    web->Options.ExternalWebDepth = 0;
    TOptionsTab options;
    options.WebToControls(*web);
    auto* group = Child<QGroupBox>(options, "ExternalWebsGroup");
    auto* restrict = Child<QCheckBox>(options, "ExternalPathLimitCheck");
    auto* label = Child<QLabel>(options, "ExternalLinkDepthLabel");
    auto* depth = Child<QSpinBox>(options, "ExternalLinkDepthEdit");
    auto* webDepth = Child<QSpinBox>(options, "ExternalWebDepthEdit");

    const auto expectGreyed = [&](bool greyed) {
        EXPECT_EQ(group->palette().color(QPalette::WindowText) == QColor(Qt::gray), greyed);
        EXPECT_EQ(restrict->isEnabled(), !greyed);
        EXPECT_EQ(label->isEnabled(), !greyed);
        EXPECT_EQ(depth->isEnabled(), !greyed);
        EXPECT_EQ(depth->palette().color(QPalette::Disabled, QPalette::Base) == QColor(192, 192, 192), greyed);
        EXPECT_TRUE(webDepth->isEnabled());
    };
    expectGreyed(true);
    webDepth->setValue(1);
    expectGreyed(false);
    webDepth->setValue(0);
    expectGreyed(true);
    web->Options.ExternalWebDepth = 3;
    options.WebToControls(*web);
    expectGreyed(false);

    // Greyed settings keep their values.
    web->Options.ExternalWebDepth = 0;
    options.WebToControls(*web);
    options.ControlsToWeb(*web);
    EXPECT_EQ(web->Options.ExternalLinkDepth, 1000);
}

TEST_F(TabPagesTest, CaptureViewShowsRowsCountsAndResets)
{
    TCaptureTab tab;
    TCaptureView& view = tab;
    for (int i = 1; i <= kSocketRows; ++i)
        EXPECT_EQ(Child<QLineEdit>(tab, ("State" + std::to_string(i)).c_str())->text(), "Idle");

    view.ShowSocketRow(3, TSocketRow{"www.exampl\xE9.org", "/a/b c.html", "Receiving", 2048, 40});
    view.ShowSocketRow(0, TSocketRow{"x", "x", "x", 1, 1});   // no such row
    view.ShowSocketRow(10, TSocketRow{"x", "x", "x", 1, 1});  // no such row
    view.ShowSocketRow(9, TSocketRow{"h", "/", "Request", -1, 250});
    EXPECT_EQ(Child<QLineEdit>(tab, "Web3")->text(), QString::fromUtf8("www.exampl\xC3\xA9.org"));
    EXPECT_EQ(Child<QLineEdit>(tab, "Url3")->text(), "/a/b c.html");
    EXPECT_EQ(Child<QLineEdit>(tab, "State3")->text(), "Receiving");
    EXPECT_EQ(Child<QLineEdit>(tab, "Size3")->text(), "2048");
    EXPECT_EQ(Child<QProgressBar>(tab, "Meter3")->value(), 40);
    EXPECT_EQ(Child<QLineEdit>(tab, "Size9")->text(), "");
    EXPECT_EQ(Child<QProgressBar>(tab, "Meter9")->value(), 100);
    EXPECT_EQ(Child<QLineEdit>(tab, "Web2")->text(), "");

    tab.ResetRows();
    for (const char* suffix : {"3", "9"}) {
        const std::string s = suffix;
        EXPECT_EQ(Child<QLineEdit>(tab, ("Web" + s).c_str())->text(), "");
        EXPECT_EQ(Child<QLineEdit>(tab, ("Url" + s).c_str())->text(), "");
        EXPECT_EQ(Child<QLineEdit>(tab, ("State" + s).c_str())->text(), "Idle");
        EXPECT_EQ(Child<QLineEdit>(tab, ("Size" + s).c_str())->text(), "");
        EXPECT_EQ(Child<QProgressBar>(tab, ("Meter" + s).c_str())->value(), 0);
    }

    // A Web at rest: its counts, the size of its files and the free space of its drive.
    auto web = InitWeb("http://www.example.org/");
    web->NotFoundCount = 4;
    web->TotalSize = 1234567;
    tab.WebToControls(*web);
    EXPECT_EQ(Child<QLineEdit>(tab, "LinkCountEdit")->text(), "1");
    EXPECT_EQ(Child<QLineEdit>(tab, "NotFoundCountEdit")->text(), "4");
    EXPECT_EQ(Child<QLineEdit>(tab, "TotalSizeEdit")->text(), QString::fromStdString(FormatBytes(1234567)));
    EXPECT_FALSE(Child<QLineEdit>(tab, "FreeDiskSizeEdit")->text().isEmpty());
    view.ShowCounts(TCaptureCounts{20, 11, 5, 1, 2, 3});
    EXPECT_EQ(Child<QLineEdit>(tab, "TodoCountEdit")->text(), "11");
    EXPECT_EQ(Child<QLineEdit>(tab, "FilteredCountEdit")->text(), "3");
    EXPECT_EQ(Child<QLineEdit>(tab, "ErrorCountEdit")->text(), "1");
    view.ShowTotals(5000, -1);
    EXPECT_EQ(Child<QLineEdit>(tab, "FreeDiskSizeEdit")->text(), "");

    // The received size and the clock belong to a running capture.
    auto* received = Child<QLineEdit>(tab, "ReceivedSizeEdit");
    auto* clock = Child<QLabel>(tab, "TimePanel");
    EXPECT_TRUE(received->isHidden());
    EXPECT_TRUE(clock->isHidden());
    tab.SetCapturing(true);
    EXPECT_FALSE(received->isHidden());
    EXPECT_FALSE(clock->isHidden());
    view.ShowReceived(1536);
    view.ShowClock("100:00:00");
    EXPECT_EQ(received->text(), "1536 Kb");
    EXPECT_EQ(clock->text(), "100:00:00");
    tab.SetCapturing(false);
    EXPECT_TRUE(received->isHidden());
    EXPECT_TRUE(clock->isHidden());
}

TEST_F(TabPagesTest, WebPageKeepsUnchangedBytesAndStoresEdits)
{
    auto web = InitWeb("http://www.example.org/docs/");
    web->Title = "Caf\xE9 du web";  // Latin-1
    web->CapturedCount = 12;
    web->TotalSize = 10 * 1024 + 1000;
    TWebTab tab;
    int titleEdited = 0;
    QObject::connect(&tab, &TWebTab::TitleEdited, [&] { ++titleEdited; });
    tab.WebToControls(*web);
    EXPECT_EQ(Child<QLineEdit>(tab, "PageCountEdit")->text(), "12");
    EXPECT_EQ(Child<QLineEdit>(tab, "SizeEdit")->text(), "10 Ko");
    EXPECT_EQ(Child<QLineEdit>(tab, "CaptureDateEdit")->text(), "");
    EXPECT_TRUE(tab.HomeButton()->isDefault());
    EXPECT_EQ(tab.BrowserIcon()->toolTip(), "Navigator's Icon");

    const std::string path = web->Path;
    tab.ControlsToWeb(*web);
    EXPECT_EQ(web->Title, "Caf\xE9 du web");
    EXPECT_EQ(web->Url, "http://www.example.org/docs/");
    EXPECT_EQ(web->Path, path);

    // Leaving the title field signals only a changed text; the text is stored as typed.
    emit tab.TitleEdit()->editingFinished();
    EXPECT_EQ(titleEdited, 0);
    tab.TitleEdit()->setText(QString::fromUtf8("Caf\xC3\xA9 du monde"));
    tab.TitleEdit()->setModified(true);
    emit tab.TitleEdit()->editingFinished();
    EXPECT_EQ(titleEdited, 1);
    tab.ControlsToWeb(*web);
    EXPECT_EQ(web->Title, "Caf\xC3\xA9 du monde");

    // An emptied address or directory is not taken.
    Child<QLineEdit>(tab, "UrlEdit")->clear();
    Child<QLineEdit>(tab, "PathEdit")->clear();
    tab.ControlsToWeb(*web);
    EXPECT_EQ(web->Url, "http://www.example.org/docs/");
    EXPECT_EQ(web->Path, path);

    web->CaptureDate = EncodeDateTime(2024, 3, 5, 14, 30, 0);
    tab.WebToControls(*web);
    EXPECT_FALSE(Child<QLineEdit>(tab, "CaptureDateEdit")->text().isEmpty());
}

// The notebook in the window's client area, above its button row: every
// control of every page lies inside its page and is wide and high enough
// for its caption.
TEST_F(TabPagesTest, PagesFitTheWindow)
{
    QWidget client;
    client.setFixedSize(528, 419);
    auto* layout = new QVBoxLayout(&client);
    auto* notebook = new QTabWidget(&client);
    auto* web = new TWebTab;
    auto* capture = new TCaptureTab;
    const std::vector<QWidget*> pages{web, new TOptionsTab, new TFileTab, capture, new TUrlTab, new TMultimediaTab};
    for (int i = 0; i < kTabPageCount; ++i)
        notebook->addTab(pages[i], TabCaption(static_cast<TTabPage>(i)));
    layout->addWidget(notebook);
    auto* buttons = new QHBoxLayout;
    for (const char* caption : {"&Start", "Sto&p", "&Quit"})
        buttons->addWidget(new QPushButton(QString::fromLatin1(caption)));
    layout->addLayout(buttons);
    web->BookmarkFolderButton()->setText("Local webs");
    capture->SetCapturing(true);
    client.show();

    EXPECT_EQ(notebook->tabText(2), "F&ile");
    EXPECT_EQ(notebook->tabText(3), "C&apture");
    for (int i = 0; i < kTabPageCount; ++i) {
        notebook->setCurrentIndex(i);
        QApplication::processEvents();
        QWidget* page = pages[i];
        EXPECT_LE(page->minimumSizeHint().height(), page->height()) << i;
        EXPECT_LE(page->minimumSizeHint().width(), page->width()) << i;
        for (QWidget* child : page->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(page) || child->parentWidget() == nullptr)
                continue;
            const QRect onPage(child->mapTo(page, QPoint(0, 0)), child->size());
            EXPECT_TRUE(page->rect().contains(onPage))
                << i << " " << child->objectName().toStdString() << " " << child->metaObject()->className();
            auto* label = qobject_cast<QLabel*>(child);
            if (label && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << i << " " << label->objectName().toStdString();
            } else if (label || qobject_cast<QAbstractButton*>(child)) {
                EXPECT_GE(child->width(), child->sizeHint().width()) << i << " " << child->objectName().toStdString();
                EXPECT_GE(child->height(), child->minimumSizeHint().height()) << i << " " << child->objectName().toStdString();
            }
        }
    }
}

} // namespace
} // namespace velbrin::test
