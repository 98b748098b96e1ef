#include "capture/ErrorBox.h"
#include "ui/MessageBoxes.h"
#include "ui/ShownText.h"
#include "ui/ModalDriver.h"

#include <QLabel>

using namespace velbrin;
using namespace velbrin::test;

namespace {

struct ShownButton {
    QString Text;
    int Left;
    int Width;
};

// The buttons of the box's panel, left to right.
std::vector<ShownButton> PanelButtons(QWidget* box)
{
    auto* panel = box->findChild<QWidget*>(QStringLiteral("PanelButtons"));
    EXPECT_NE(panel, nullptr);
    std::vector<ShownButton> shown;
    if (!panel)
        return shown;
    EXPECT_EQ(panel->size(), QSize(357, 21));
    for (QPushButton* button : panel->findChildren<QPushButton*>())
        shown.push_back({button->text(), button->x(), button->width()});
    std::sort(shown.begin(), shown.end(), [](const ShownButton& a, const ShownButton& b) { return a.Left < b.Left; });
    return shown;
}

class ErrorBoxes : public ::testing::Test {
protected:
    ErrorBoxes() { m_old = SetErrorBoxView(std::make_unique<TQtErrorBoxView>(nullptr)); }
    ~ErrorBoxes() override { SetErrorBoxView(std::move(m_old)); }

private:
    std::unique_ptr<TErrorBoxView> m_old;
};

} // namespace

TEST_F(ErrorBoxes, ConnectionBoxShowsItsLinesAndCentredButtonsAndAnswersThePressedOne)
{
    QString caption, message;
    std::vector<ShownButton> buttons;
    WhenModal([&](QWidget* box) {
        caption = box->windowTitle();
        message = box->findChild<QLabel*>(QStringLiteral("Msg"))->text();
        buttons = PanelButtons(box);
        Click(box, QStringLiteral("&No"));
    });
    const TModalResult answer = ErrorBox(TErrorKind::Connection, "\r\nRename Web's URL?", mbYes | mbNo, 0,
                                         "http://www.example.org/");
    EXPECT_EQ(answer, TModalResult::No);
    EXPECT_EQ(caption, QStringLiteral("Connection error"));
    EXPECT_EQ(message, QStringLiteral("URL :http://www.example.org/\nCannot reach server,its Internet address is "
                                      "either misspelled or unknown!\n\nRename Web's URL?"));
    // Two buttons of 80, 4 apart, centred in 357: (357 - 164) / 2.
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].Text, QStringLiteral("&Yes"));
    EXPECT_EQ(buttons[1].Text, QStringLiteral("&No"));
    EXPECT_EQ(buttons[0].Left, 96);
    EXPECT_EQ(buttons[1].Left, 180);
    EXPECT_EQ(buttons[0].Width, 80);
}

TEST_F(ErrorBoxes, AllFourButtonsComeInTheirOrderAndClosingTheBoxIsCancel)
{
    std::vector<ShownButton> buttons;
    WhenModal([&](QWidget* box) {
        buttons = PanelButtons(box);
        box->close();
    });
    EXPECT_EQ(ShowMessageBox(nullptr, "Question", "Go on?", mbCancel | mbOk | mbNo | mbYes), TModalResult::Cancel);
    ASSERT_EQ(buttons.size(), 4u);
    const QString texts[] = {"&Yes", "&No", "&Ok", "&Cancel"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i].Text, texts[i]);
        EXPECT_EQ(buttons[i].Left, 12 + 84 * i); // (357 - 4 * 80 - 3 * 4) / 2, rounded down
    }

    // A warning: one Ok, centred; its answer is Ok.
    QString caption;
    WhenModal([&](QWidget* box) {
        caption = box->windowTitle();
        buttons = PanelButtons(box);
        Click(box, QStringLiteral("&Ok"));
    });
    EXPECT_EQ(WarningBox(TWarning::UndefinedMimeType), TModalResult::Ok);
    EXPECT_EQ(caption, QStringLiteral("Warning"));
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].Left, 138);
}

TEST(ShownText, ValidUtf8IsShownAsUtf8AndAnythingElseAsLatin1)
{
    EXPECT_EQ(ShownText("D\xC3\xA9" "but"), QString::fromUtf8("D\xC3\xA9" "but"));
    EXPECT_EQ(ShownText("D\xE9" "but de capture"), QString::fromUtf8("D\xC3\xA9" "but de capture"));
    EXPECT_EQ(StoredText(ShownText("caf\xC3\xA9")), "caf\xC3\xA9");
}
